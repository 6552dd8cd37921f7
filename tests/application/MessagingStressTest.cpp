#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "application/Application.h"
#include "application/Looper.h"
#include "application/Messenger.h"
#include "support/application/Recorder.h"
#include "system/Thread.h"

using korvane::application::Handler;
using korvane::application::Looper;
using korvane::application::Message;
using korvane::application::MessageQuit;
using korvane::application::Messenger;
using korvane::system::Thread;
using korvane::testing::CountingApplication;

namespace {

constexpr uint32_t Senders = 4;
constexpr uint32_t PerSenderAndTarget = 4000;
constexpr uint32_t PerTarget = Senders * PerSenderAndTarget;

uint32_t code(uint32_t sender, uint32_t sequence) {
    return sender << 24 | sequence;
}

// Checks that every message arrives on the expected thread, once, in the order its sender gave it.
class OrderChecker : public Handler {
public:
    bool handleMessage(Message* message) override {
        const uint32_t sender = message->what >> 24;
        const uint32_t sequence = message->what & 0xFFFFFF;
        if (Thread::getCurrent() != expectedThread.load())
            wrongThread.fetch_add(1);
        if (sender >= Senders) {
            unknown.fetch_add(1);
            return true;
        }
        // Only the handling thread touches next.
        if (sequence != next[sender])
            outOfOrder.fetch_add(1);
        next[sender] = sequence + 1;
        handled.fetch_add(1, std::memory_order_release);
        return true;
    }

    void waitForAll(uint32_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (handled.load(std::memory_order_acquire) < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::atomic<Thread*> expectedThread{nullptr};
    uint32_t next[Senders] = {};
    std::atomic<uint32_t> handled{0};
    std::atomic<uint32_t> wrongThread{0};
    std::atomic<uint32_t> outOfOrder{0};
    std::atomic<uint32_t> unknown{0};
};

} // namespace

TEST(MessagingStressTest, ManySendersReachTheApplicationAndTwoLoopers) {
    const Message::PoolStatistics before = Message::getPoolStatistics();

    CountingApplication application;
    OrderChecker onMain;
    application.addHandler(&onMain);
    onMain.expectedThread = Thread::getCurrent();

    Looper loopers[2];
    OrderChecker onLoopers[2];
    for (int i = 0; i < 2; ++i) {
        loopers[i].addHandler(&onLoopers[i]);
        ASSERT_TRUE(loopers[i].start());
        onLoopers[i].expectedThread = loopers[i].getThread();
    }

    std::atomic<uint32_t> refused{0};
    std::vector<std::thread> senders;
    for (uint32_t sender = 0; sender < Senders; ++sender) {
        senders.emplace_back([&, sender] {
            while (!application.getThread())
                std::this_thread::yield();
            for (uint32_t sequence = 0; sequence < PerSenderAndTarget; ++sequence) {
                const uint32_t what = code(sender, sequence);
                bool accepted = Messenger::post(&onMain, what);
                // A looper keeps the order of sent and posted messages alike.
                accepted &= sequence % 3 == 0 ? Messenger::send(&onLoopers[0], what)
                                              : Messenger::post(&onLoopers[0], what);
                accepted &= Messenger::post(&onLoopers[1], what);
                if (!accepted)
                    refused.fetch_add(1);
            }
        });
    }
    std::thread closer([&] {
        for (std::thread& sender : senders)
            sender.join();
        Messenger::post(&application, MessageQuit);
    });
    EXPECT_TRUE(application.run());
    closer.join();
    for (int i = 0; i < 2; ++i) {
        onLoopers[i].waitForAll(PerTarget);
        EXPECT_TRUE(loopers[i].quit());
    }

    EXPECT_EQ(refused.load(), 0u);
    for (OrderChecker* checker : {&onMain, &onLoopers[0], &onLoopers[1]}) {
        EXPECT_EQ(checker->handled.load(), PerTarget);
        EXPECT_EQ(checker->wrongThread.load(), 0u);
        EXPECT_EQ(checker->outOfOrder.load(), 0u);
        EXPECT_EQ(checker->unknown.load(), 0u);
        for (uint32_t sender = 0; sender < Senders; ++sender)
            EXPECT_EQ(checker->next[sender], PerSenderAndTarget);
    }

    // Every record is back; the pool is no bigger than the most records ever in use at once needed (its
    // reuse under steady traffic is checked by the application's own tests).
    const Message::PoolStatistics after = Message::getPoolStatistics();
    EXPECT_EQ(after.messagesInUse, before.messagesInUse);
    EXPECT_LE(after.messages, (after.messagesHighWater + 63) / 64 * 64);
}
