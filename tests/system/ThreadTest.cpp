#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>

#include "object/Exception.h"
#include "platform/MessageQueue.h"
#include "system/Signal.h"
#include "system/Thread.h"

using korvane::system::Signal;
using korvane::system::Thread;

namespace {

// A thread whose body reports that it runs and then waits until it is let go.
class GatedThread : public Thread {
public:
    bool run() override {
        runs.fetch_add(1);
        self = getCurrent();
        threadIdInside = getThreadId();
        queueReady = korvane::platform::postThreadMessage(korvane::platform::currentThreadId(), 0x465, 0, 0);
        joinSelf = join() ? 1 : 0;
        entered.set();
        gate.wait();
        return true;
    }

    ~GatedThread() override {
        if (destroyed)
            destroyed->set();
    }

    std::atomic<int> runs{0};
    std::atomic<Thread*> self{nullptr};
    std::atomic<korvane::platform::ThreadId> threadIdInside{0};
    std::atomic<bool> queueReady{false};
    std::atomic<int> joinSelf{-1};
    Signal entered;
    Signal gate;
    Signal* destroyed = nullptr;
};

} // namespace

TEST(ThreadTest, StartWaitsForTheHandshakeAndRunsOnce) {
    auto* thread = new GatedThread;
    ASSERT_TRUE(thread->start(true));
    EXPECT_TRUE(thread->isRunning());
    EXPECT_TRUE(thread->isRegistered());
    // A second start while it runs creates no second thread.
    EXPECT_TRUE(thread->start(true));
    thread->entered.wait();
    EXPECT_EQ(thread->self.load(), thread);
    EXPECT_NE(thread->threadIdInside.load(), 0u);
    EXPECT_TRUE(thread->queueReady.load()) << "the thread's message queue exists before run";
    EXPECT_EQ(thread->joinSelf.load(), 0) << "join on itself returns false at once";

    thread->gate.set();
    EXPECT_TRUE(thread->join());
    EXPECT_EQ(thread->runs.load(), 1);
    EXPECT_FALSE(thread->isRunning());
    EXPECT_FALSE(thread->isAlive());
    EXPECT_EQ(thread->getThreadId(), 0u);
    EXPECT_FALSE(thread->isRegistered());
    EXPECT_EQ(thread->getReferenceCount(), 1);
    EXPECT_FALSE(thread->join()) << "nothing left to wait for";
    thread->release();
}

TEST(ThreadTest, JoinWithoutAStartReturnsFalse) {
    Thread thread;
    EXPECT_FALSE(thread.join());
    EXPECT_FALSE(thread.isRegistered());
}

TEST(ThreadTest, RestartsAfterItsBodyReturned) {
    static std::atomic<int> calls;
    calls = 0;
    Thread thread([](Thread*) { return ++calls; });
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(thread.start(false));
        EXPECT_TRUE(thread.join());
        EXPECT_EQ(calls.load(), round);
    }
    EXPECT_EQ(thread.getReferenceCount(), 1);
}

TEST(ThreadTest, AThreadNobodyElseHoldsIsDestroyedWhenItEnds) {
    Signal destroyed;
    auto* thread = new GatedThread;
    thread->destroyed = &destroyed;
    ASSERT_TRUE(thread->start(true));
    thread->release();
    EXPECT_FALSE(destroyed.isSet());
    thread->gate.set();
    destroyed.wait();
}

TEST(ThreadTest, ForeignThreadsAreAdoptedOnce) {
    Thread* first = nullptr;
    Thread* second = nullptr;
    korvane::platform::ThreadId id = 0;
    bool registeredWhileRunning = false;
    bool joinedItself = true;
    std::thread foreign([&] {
        first = Thread::getCurrent();
        second = Thread::getCurrent();
        id = korvane::platform::currentThreadId();
        registeredWhileRunning = first->isRegistered();
        joinedItself = first->join();
        first->addReference();
    });
    foreign.join();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->getThreadId(), id);
    EXPECT_TRUE(registeredWhileRunning);
    EXPECT_FALSE(joinedItself);
    EXPECT_FALSE(first->isRunning());
    // A foreign thread leaves the registry when it ends.
    EXPECT_FALSE(first->isRegistered());
    first->release();
}

TEST(ThreadTest, TheMainThreadIsAdoptedAtStart) {
    Thread* main = Thread::getCurrent();
    EXPECT_EQ(main, Thread::getCurrent());
    EXPECT_TRUE(main->isRegistered());
    EXPECT_EQ(main->getThreadId(), korvane::platform::currentThreadId());
    bool joined = true;
    std::thread other([&] { joined = main->join(); });
    other.join();
    EXPECT_FALSE(joined) << "an adopted thread cannot be joined";
    EXPECT_EQ(main->getClassPath(), "Object:Thread");
}

TEST(ThreadDeathTest, AnExceptionEscapingRunPrintsItsMessageAndEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Standard output is what the test harness cannot match; route it to standard error.
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Thread thread([](Thread*) -> int { throw korvane::object::Exception("the looper fell over"); });
            thread.start(false);
            thread.join();
        },
        // -1 as the exit status of a POSIX process.
        testing::ExitedWithCode(255), "the looper fell over");
    EXPECT_EXIT(
        {
            Thread thread([](Thread*) -> int { throw 42; });
            thread.start(false);
            thread.join();
        },
        testing::ExitedWithCode(255), "");
}
