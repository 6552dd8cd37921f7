#include "platform/MessageQueue.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "support/platform/QueueThread.h"

using namespace korvane::platform;
using korvane::platform::testing::QueueThread;

TEST(MessageQueueTest, ThreadIdsAreDistinctAndStable) {
    ThreadId self = currentThreadId();
    EXPECT_NE(self, 0u);
    EXPECT_EQ(self, currentThreadId());
    ThreadId other = 0;
    std::thread([&] { other = currentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, self);
}

TEST(MessageQueueTest, PostFailsUntilTheQueueExistsAndAfterTheThreadEnds) {
    std::atomic<ThreadId> id{0};
    std::atomic<bool> probe{false}, probed{false}, finish{false};
    std::thread worker([&] {
        id = currentThreadId();
        while (!probe) {
            std::this_thread::yield();
        }
        ensureMessageQueue();
        probed = true;
        while (!finish) {
            std::this_thread::yield();
        }
    });
    while (id == 0) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(postThreadMessage(id, WM_USER, 0, 0));
    probe = true;
    while (!probed) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(postThreadMessage(id, WM_USER, 0, 0));
    finish = true;
    worker.join();
    EXPECT_FALSE(postThreadMessage(id, WM_USER, 0, 0));
    EXPECT_FALSE(postThreadMessage(0, WM_USER, 0, 0));
}

TEST(MessageQueueTest, MessagesFromSeveralThreadsArriveCompleteAndInOrderPerSender) {
    constexpr int senders = 4;
    constexpr int perSender = 5000;
    std::vector<int> next(senders, 0);
    int received = 0;
    bool ordered = true;
    QueueThread receiver([&] {
        Msg msg;
        while (getMessage(msg)) {
            EXPECT_EQ(msg.window, nullptr);
            EXPECT_EQ(msg.message, WM_USER + 1);
            int sender = static_cast<int>(msg.wParam);
            ordered = ordered && msg.lParam == next[sender];
            next[sender] = static_cast<int>(msg.lParam) + 1;
            if (++received == senders * perSender) {
                postQuitMessage(0);
            }
        }
    });
    std::vector<std::thread> threads;
    for (int s = 0; s < senders; ++s) {
        threads.emplace_back([&, s] {
            for (int i = 0; i < perSender; ++i) {
                ASSERT_TRUE(postThreadMessage(receiver.id(), WM_USER + 1, s, i));
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    receiver.join();
    EXPECT_EQ(received, senders * perSender);
    EXPECT_TRUE(ordered);
    for (int s = 0; s < senders; ++s) {
        EXPECT_EQ(next[s], perSender);
    }
}

TEST(MessageQueueTest, QuitEndsTheLoopAfterTheMessagesAlreadyPosted) {
    std::vector<uint32_t> seen;
    Msg quit;
    std::thread([&] {
        ensureMessageQueue();
        postThreadMessage(currentThreadId(), WM_USER + 1, 0, 0);
        postQuitMessage(7);
        postThreadMessage(currentThreadId(), WM_USER + 2, 0, 0);
        Msg msg;
        while (getMessage(msg)) {
            seen.push_back(msg.message);
        }
        quit = msg;
        // The quit flag is consumed: a later post is received again.
        postThreadMessage(currentThreadId(), WM_USER + 3, 0, 0);
        EXPECT_TRUE(getMessage(msg));
        EXPECT_EQ(msg.message, WM_USER + 3u);
    }).join();
    EXPECT_EQ(seen, (std::vector<uint32_t>{WM_USER + 1, WM_USER + 2}));
    EXPECT_EQ(quit.message, WM_QUIT);
    EXPECT_EQ(quit.wParam, 7u);
}

TEST(MessageQueueTest, PostedQuitEndsAWaitingLoop) {
    std::atomic<bool> ended{false};
    QueueThread receiver([&] {
        Msg msg;
        while (getMessage(msg)) {
        }
        ended = true;
    });
    EXPECT_TRUE(postThreadMessage(receiver.id(), WM_QUIT, 3, 0));
    receiver.join();
    EXPECT_TRUE(ended);
}

TEST(MessageQueueTest, PeekLeavesOrTakesTheMessage) {
    std::thread([] {
        Msg msg;
        EXPECT_FALSE(peekMessage(msg, true));
        postThreadMessage(currentThreadId(), WM_USER + 4, 1, 2);
        ASSERT_TRUE(peekMessage(msg, false));
        EXPECT_EQ(msg.message, WM_USER + 4u);
        ASSERT_TRUE(peekMessage(msg, true));
        EXPECT_EQ(msg.lParam, 2);
        EXPECT_FALSE(peekMessage(msg, true));
        postQuitMessage(0);
        ASSERT_TRUE(peekMessage(msg, false));
        EXPECT_EQ(msg.message, WM_QUIT);
        EXPECT_FALSE(getMessage(msg));
        EXPECT_FALSE(peekMessage(msg, true));
    }).join();
}
