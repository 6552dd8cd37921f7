#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "application/Application.h"
#include "application/Messenger.h"
#include "support/application/Recorder.h"
#include "system/Signal.h"
#include "system/Thread.h"

using korvane::application::Application;
using korvane::application::Handler;
using korvane::application::Message;
using korvane::application::MessageQuit;
using korvane::application::Messenger;
using korvane::system::Signal;
using korvane::system::Thread;
using korvane::testing::CountingApplication;
using korvane::testing::messagesInUse;
using korvane::testing::Recorder;
using korvane::testing::whenRunning;

TEST(ApplicationTest, PostAndSendFailBeforeTheLoopRuns) {
    const uint32_t inUse = messagesInUse();
    Recorder recorder;
    CountingApplication application;
    ASSERT_TRUE(application.addHandler(&recorder));
    EXPECT_FALSE(Messenger::post(&recorder, 1));
    EXPECT_FALSE(Messenger::send(&recorder, 2));
    EXPECT_FALSE(Messenger::post(&application, MessageQuit));
    EXPECT_EQ(messagesInUse(), inUse) << "a failed post creates no message";

    // Not even from onStart: the route is set after it.
    bool postedFromStart = true;
    application.whenStarting = [&] { postedFromStart = Messenger::post(&recorder, 3); };
    std::thread helper = whenRunning(application, [&] { Messenger::post(&application, MessageQuit); });
    EXPECT_TRUE(application.run());
    helper.join();
    EXPECT_FALSE(postedFromStart);
    EXPECT_TRUE(recorder.getReceived().empty());
    EXPECT_EQ(application.starts.load(), 1);
    EXPECT_EQ(application.stops.load(), 1);
}

TEST(ApplicationTest, QuitComesAfterEarlierPostsAndBeforeLaterOnes) {
    const uint32_t inUse = messagesInUse();
    Recorder recorder;
    Recorder other;
    {
        CountingApplication application;
        EXPECT_EQ(Application::getApplication(), &application);
        application.addHandler(&recorder);
        application.addHandler(&other);
        std::thread helper = whenRunning(application, [&] {
            EXPECT_TRUE(Messenger::post(&recorder, 1));
            // Quit addressed to another handler is an ordinary message.
            EXPECT_TRUE(Messenger::post(&other, MessageQuit));
            EXPECT_TRUE(Messenger::post(&recorder, 2));
            EXPECT_TRUE(Messenger::post(&application, MessageQuit));
            EXPECT_TRUE(Messenger::post(&recorder, 3));
        });
        EXPECT_TRUE(application.run());
        helper.join();
        EXPECT_EQ(recorder.getReceived(), (std::vector<uint32_t>{1, 2}));
        EXPECT_EQ(other.getReceived(), (std::vector<uint32_t>{MessageQuit}));
        for (Thread* thread : recorder.getThreads())
            EXPECT_EQ(thread, Thread::getCurrent());
        EXPECT_EQ(application.stops.load(), 1);
    }
    EXPECT_EQ(Application::getApplication(), nullptr);
    // Handled messages and the one left behind the quit are all back in the pool.
    EXPECT_EQ(messagesInUse(), inUse);
}

TEST(ApplicationTest, SendsFromAnotherThreadJumpTheQueueNewestFirst) {
    Recorder recorder;
    CountingApplication application;
    application.addHandler(&recorder);
    Signal blocked;
    Signal release;
    recorder.onMessage = [&](Message* message) {
        if (message->what == 100) {
            blocked.set();
            release.wait();
        }
    };
    std::thread helper = whenRunning(application, [&] {
        Messenger::post(&recorder, 100);
        blocked.wait();
        // The loop is busy with 100: everything below waits in its queue.
        Messenger::post(&recorder, 1);
        Messenger::post(&recorder, 2);
        EXPECT_TRUE(Messenger::send(&recorder, 11));
        EXPECT_TRUE(Messenger::send(&recorder, 12));
        Messenger::post(&application, MessageQuit);
        release.set();
    });
    application.run();
    helper.join();
    EXPECT_EQ(recorder.getReceived(), (std::vector<uint32_t>{100, 12, 11, 1, 2}));
}

TEST(ApplicationTest, SendOnTheLoopThreadIsHandledBeforeItReturns) {
    Recorder first;
    Recorder second;
    CountingApplication application;
    application.addHandler(&first);
    application.addHandler(&second);
    std::vector<uint32_t> order;
    second.onMessage = [&](Message* message) { order.push_back(message->what); };
    first.onMessage = [&](Message*) {
        EXPECT_TRUE(Messenger::send(&second, 2));
        order.push_back(1);
        Messenger::post(&application, MessageQuit);
    };
    std::thread helper = whenRunning(application, [&] { Messenger::post(&first, 1); });
    application.run();
    helper.join();
    EXPECT_EQ(order, (std::vector<uint32_t>{2, 1}));
}

TEST(ApplicationTest, EverySendFromAnotherThreadWakesTheLoop) {
    // Each send races with the loop going back to its wait after the previous one; none may be left
    // waiting for a later message. (A race: a loop that misses such sends fails here only now and then.)
    Recorder recorder;
    CountingApplication application;
    application.addHandler(&recorder);
    std::atomic<int> handled{0};
    recorder.onMessage = [&](Message*) { handled.fetch_add(1, std::memory_order_release); };
    bool stuck = false;
    std::thread helper = whenRunning(application, [&] {
        for (int round = 1; round <= 3000 && !stuck; ++round) {
            Messenger::send(&recorder, round);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (handled.load(std::memory_order_acquire) < round && !stuck)
                stuck = std::chrono::steady_clock::now() > deadline;
        }
        Messenger::post(&application, MessageQuit);
    });
    application.run();
    helper.join();
    EXPECT_FALSE(stuck);
}

TEST(ApplicationTest, ASendQueuedWhileTheLoopDoesNotWaitStillWakesIt) {
    Recorder recorder;
    CountingApplication application;
    application.addHandler(&recorder);
    // The route exists before the loop reaches its wait, so the send below finds nobody waiting.
    application.setThread(Thread::getCurrent());
    std::thread([&] { EXPECT_TRUE(Messenger::send(&recorder, 1)); }).join();
    std::atomic<bool> stuck{false};
    std::thread helper([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (recorder.getReceived().empty() && !stuck)
            stuck = std::chrono::steady_clock::now() > deadline;
        Messenger::post(&application, MessageQuit);
    });
    application.run();
    helper.join();
    EXPECT_FALSE(stuck.load());
    EXPECT_EQ(recorder.getReceived(), (std::vector<uint32_t>{1}));
}

TEST(ApplicationTest, HandledMessagesGoBackToThePool) {
    Recorder recorder;
    CountingApplication application;
    application.addHandler(&recorder);
    const uint32_t inUse = messagesInUse();
    uint32_t totalAfterFirstBatch = 0;
    Signal batchDone;
    recorder.onMessage = [&](Message* message) {
        if (message->what == 0)
            batchDone.set();
    };
    std::thread helper = whenRunning(application, [&] {
        // Batches of 32 with at most one batch in flight fit in the records the first batch needed.
        for (int batch = 0; batch < 100; ++batch) {
            for (int i = 31; i >= 0; --i)
                Messenger::post(&recorder, i);
            batchDone.wait();
            if (batch == 0)
                totalAfterFirstBatch = Message::getPoolStatistics().messages;
        }
        Messenger::post(&application, MessageQuit);
    });
    application.run();
    helper.join();
    EXPECT_EQ(recorder.getReceived().size(), 3200u);
    EXPECT_EQ(Message::getPoolStatistics().messages, totalAfterFirstBatch);
    EXPECT_EQ(messagesInUse(), inUse);
}

namespace {

class DyingHandler : public Handler {
public:
    explicit DyingHandler(bool* destroyed) : destroyed(destroyed) {}
    ~DyingHandler() override { *destroyed = true; }

private:
    bool* destroyed;
};

} // namespace

TEST(MessengerTest, HandlersAreAttachedOnceAndReleasedWithTheMessenger) {
    auto* application = new CountingApplication;
    EXPECT_EQ(application->getReferenceCount(), 1) << "its own chain does not keep a messenger alive";
    EXPECT_EQ(application->getMessenger(), application);
    EXPECT_FALSE(application->addHandler(application));
    EXPECT_FALSE(application->addHandler(nullptr));
    EXPECT_FALSE(application->removeHandler(application));

    Recorder unattached;
    EXPECT_TRUE(application->removeHandler(&unattached));
    EXPECT_EQ(unattached.getMessenger(), nullptr);
    EXPECT_EQ(unattached.getReferenceCount(), 1);

    bool destroyed = false;
    auto* handler = new DyingHandler(&destroyed);
    ASSERT_TRUE(application->addHandler(handler));
    EXPECT_EQ(handler->getReferenceCount(), 2);
    EXPECT_EQ(handler->getMessenger(), application);
    EXPECT_FALSE(application->addHandler(handler)) << "already attached";

    // A handler of one messenger is not taken by another, and the other cannot detach it.
    CountingApplication other;
    EXPECT_FALSE(other.addHandler(handler));
    EXPECT_TRUE(other.removeHandler(handler));
    EXPECT_EQ(handler->getMessenger(), application);

    handler->release();
    EXPECT_FALSE(destroyed) << "the messenger's chain holds it";

    Recorder survivor;
    application->addHandler(&survivor);
    application->release();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(survivor.getMessenger(), nullptr);
    EXPECT_EQ(survivor.getReferenceCount(), 1);
}

TEST(MessengerTest, AHandlerDestroyedWhileAttachedLeavesItsMessenger) {
    CountingApplication application;
    {
        Recorder recorder;
        application.addHandler(&recorder);
    }
    EXPECT_EQ(application.getClassPath(), "Object:Handler:Messenger:Application");
    EXPECT_FALSE(application.isLooper());
    std::thread helper = whenRunning(application, [&] { Messenger::post(&application, MessageQuit); });
    EXPECT_TRUE(application.run());
    helper.join();
}
