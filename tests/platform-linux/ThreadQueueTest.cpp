#include "platform/MessageQueue.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "platform/posix/ThreadQueue.h"
#include "support/platform/QueueThread.h"

using namespace korvane::platform;
using korvane::platform::testing::QueueThread;

TEST(ThreadQueueTest, SentCallsRunOnTheOwnerAndTwoThreadsMaySendToEachOther) {
    std::atomic<ThreadId> first{0}, second{0};
    std::atomic<int> done{0};
    auto body = [&](std::atomic<ThreadId>& self, std::atomic<ThreadId>& other) {
        ensureMessageQueue();
        self = currentThreadId();
        while (other == 0) {
            std::this_thread::yield();
        }
        ThreadId ranOn = 0;
        EXPECT_TRUE(detail::ThreadQueue::sendTo(other, [&] { ranOn = currentThreadId(); }));
        EXPECT_EQ(ranOn, other.load());
        ++done;
        // Keep serving the other thread until it is done too.
        Msg msg;
        while (done < 2) {
            peekMessage(msg, true);
            std::this_thread::yield();
        }
    };
    std::thread a(body, std::ref(first), std::ref(second));
    std::thread b(body, std::ref(second), std::ref(first));
    a.join();
    b.join();
    EXPECT_EQ(done, 2);
}

TEST(ThreadQueueTest, SendFailsWhenTheTargetEndsWithoutRunningIt) {
    std::atomic<bool> release{false};
    QueueThread target([&] {
        while (!release) {
            std::this_thread::yield();
        }
    });
    bool ran = false;
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release = true;
    });
    EXPECT_FALSE(detail::ThreadQueue::sendTo(target.id(), [&] { ran = true; }));
    EXPECT_FALSE(ran);
    releaser.join();
    EXPECT_FALSE(detail::ThreadQueue::sendTo(target.id(), [&] { ran = true; }));
}

TEST(ThreadQueueTest, SentCallExceptionsStayOnTheOwningThread) {
    std::atomic<bool> caught{false};
    QueueThread target([&] {
        Msg msg;
        try {
            while (getMessage(msg)) {
            }
        } catch (const std::runtime_error&) {
            caught = true;
        }
    });
    bool sent = true;
    EXPECT_NO_THROW(sent = detail::ThreadQueue::sendTo(target.id(), [] { throw std::runtime_error("x"); }));
    EXPECT_FALSE(sent) << "the call did not complete";
    target.join();
    EXPECT_TRUE(caught) << "the owning thread's wait gives the exception to its own code";
}
