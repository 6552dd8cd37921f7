#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "application/Looper.h"
#include "application/Messenger.h"
#include "support/application/Recorder.h"
#include "system/Signal.h"
#include "system/Thread.h"

using korvane::application::Looper;
using korvane::application::Message;
using korvane::application::Messenger;
using korvane::system::Signal;
using korvane::system::Thread;
using korvane::testing::messagesInUse;
using korvane::testing::Recorder;

namespace {

// Lets the test wait until a looper has handled a message with a given code.
class Waiter : public Recorder {
public:
    bool handleMessage(Message* message) override {
        Recorder::handleMessage(message);
        std::lock_guard guard(mutex);
        handled.push_back(message->what);
        changed.notify_all();
        return true;
    }

    void waitFor(uint32_t what) {
        std::unique_lock guard(mutex);
        changed.wait(guard, [&] { return std::find(handled.begin(), handled.end(), what) != handled.end(); });
    }

    Signal reached;

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint32_t> handled;
};

} // namespace

TEST(LooperTest, HandlesMessagesInOrderOnItsOwnThread) {
    Looper looper;
    Waiter recorder;
    looper.addHandler(&recorder);
    EXPECT_FALSE(Messenger::post(&recorder, 1)) << "no route before start";
    ASSERT_TRUE(looper.start());
    EXPECT_FALSE(looper.start());
    Thread* loopThread = looper.getThread();
    ASSERT_NE(loopThread, nullptr);
    EXPECT_EQ(loopThread->getClassPath(), "Object:Thread:LooperThread");

    EXPECT_TRUE(Messenger::post(&recorder, 1));
    EXPECT_TRUE(Messenger::send(&recorder, 2));
    EXPECT_TRUE(Messenger::post(&recorder, 3));
    EXPECT_TRUE(Messenger::send(&looper, 4));
    EXPECT_TRUE(Messenger::send(&recorder, 5));
    EXPECT_TRUE(Messenger::post(&recorder, 6));
    recorder.waitFor(6);
    // Sent and posted messages share the thread's queue: order of giving is kept.
    EXPECT_EQ(recorder.getReceived(), (std::vector<uint32_t>{1, 2, 3, 5, 6}));
    for (Thread* thread : recorder.getThreads())
        EXPECT_EQ(thread, loopThread);

    EXPECT_TRUE(looper.quit());
    EXPECT_EQ(looper.getThread(), nullptr);
    EXPECT_FALSE(looper.quit());
    EXPECT_FALSE(Messenger::post(&recorder, 7)) << "no route after quit";
    EXPECT_FALSE(Messenger::send(&recorder, 7));
}

TEST(LooperTest, RestartsAfterQuitAndDeliversAtOnce) {
    Looper looper;
    Waiter recorder;
    looper.addHandler(&recorder);
    for (uint32_t round = 1; round <= 3; ++round) {
        ASSERT_TRUE(looper.start());
        // Right after start returns, a post reaches the new loop.
        EXPECT_TRUE(Messenger::post(&recorder, round));
        recorder.waitFor(round);
        EXPECT_TRUE(looper.quit());
    }
    EXPECT_EQ(recorder.getReceived(), (std::vector<uint32_t>{1, 2, 3}));
}

TEST(LooperTest, SendOnTheLooperThreadIsHandledAtOnce) {
    Looper looper;
    Waiter first;
    Recorder second;
    looper.addHandler(&first);
    looper.addHandler(&second);
    std::vector<uint32_t> order;
    second.onMessage = [&](Message* message) { order.push_back(message->what); };
    first.onMessage = [&](Message* message) {
        if (message->what == 1) {
            EXPECT_TRUE(Messenger::send(&second, 2));
            order.push_back(1);
            first.reached.set();
        }
    };
    ASSERT_TRUE(looper.start());
    Messenger::post(&first, 1);
    first.reached.wait();
    looper.quit();
    EXPECT_EQ(order, (std::vector<uint32_t>{2, 1}));
}

TEST(LooperTest, QuitFromTheLooperThreadKeepsTheThreadUntilCollected) {
    const uint32_t inUse = messagesInUse();
    Looper looper;
    Waiter recorder;
    looper.addHandler(&recorder);
    Thread* loopThread = nullptr;
    bool quitResult = false;
    bool postedBehindQuit = false;
    Thread* threadAfterQuit = nullptr;
    recorder.onMessage = [&](Message* message) {
        if (message->what == 1) {
            quitResult = looper.quit();
            threadAfterQuit = looper.getThread();
            // Queued behind the quit message: never handled.
            postedBehindQuit = Messenger::post(&recorder, 2);
        }
    };
    ASSERT_TRUE(looper.start());
    loopThread = looper.getThread();
    loopThread->addReference();
    Messenger::post(&recorder, 1);
    // The loop ends by itself once the handler returns.
    while (loopThread->isAlive())
        std::this_thread::yield();
    EXPECT_TRUE(quitResult);
    EXPECT_EQ(threadAfterQuit, loopThread);
    EXPECT_TRUE(postedBehindQuit);
    EXPECT_EQ(looper.getThread(), loopThread);
    EXPECT_FALSE(looper.start()) << "the ended thread is still set";
    EXPECT_FALSE(Messenger::post(&recorder, 3)) << "the loop has ended";

    EXPECT_TRUE(looper.quit());
    EXPECT_EQ(looper.getThread(), nullptr);
    EXPECT_EQ(loopThread->getReferenceCount(), 1) << "the looper gave its reference back";
    loopThread->release();
    EXPECT_EQ(recorder.getReceived(), (std::vector<uint32_t>{1}));
    EXPECT_EQ(messagesInUse(), inUse) << "the message behind the quit went back to the pool";
}

TEST(LooperTest, DestroyingARunningLooperQuitsIt) {
    Waiter recorder;
    Thread* loopThread = nullptr;
    {
        Looper looper;
        EXPECT_EQ(looper.getClassPath(), "Object:Handler:Messenger:Looper");
        EXPECT_TRUE(looper.isLooper());
        looper.addHandler(&recorder);
        ASSERT_TRUE(looper.start());
        loopThread = looper.getThread();
        loopThread->addReference();
        Messenger::post(&recorder, 1);
        recorder.waitFor(1);
    }
    EXPECT_FALSE(loopThread->isAlive());
    EXPECT_FALSE(loopThread->isRegistered());
    loopThread->release();
    EXPECT_EQ(recorder.getMessenger(), nullptr);
}

TEST(LooperTest, PostsRacingAQuitAllReturnToThePool) {
    const uint32_t inUse = messagesInUse();
    Looper looper;
    Recorder recorder;
    looper.addHandler(&recorder);
    std::atomic<bool> done{false};
    std::vector<std::thread> senders;
    for (int i = 0; i < 2; ++i)
        senders.emplace_back([&] {
            while (!done.load())
                Messenger::post(&recorder, 1);
        });
    for (int round = 0; round < 50; ++round) {
        ASSERT_TRUE(looper.start());
        std::this_thread::yield();
        ASSERT_TRUE(looper.quit());
    }
    done = true;
    for (std::thread& sender : senders)
        sender.join();
    // Every message either was handled or, queued behind the quit, went back to the pool unhandled.
    EXPECT_EQ(messagesInUse(), inUse);
}
