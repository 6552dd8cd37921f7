#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "system/Mutex.h"
#include "system/Signal.h"

using korvane::system::Mutex;
using korvane::system::Signal;

TEST(MutexTest, IsReentrantForItsOwnerAndExcludesOthers) {
    Mutex mutex;
    EXPECT_TRUE(mutex.lock());
    EXPECT_TRUE(mutex.lock());
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = mutex.tryLock(); }).join();
    EXPECT_FALSE(otherGotIt);
    EXPECT_TRUE(mutex.unlock());
    std::thread([&] { otherGotIt = mutex.tryLock(); }).join();
    EXPECT_FALSE(otherGotIt) << "still held once";
    EXPECT_TRUE(mutex.unlock());
    std::thread([&] {
        otherGotIt = mutex.tryLock();
        if (otherGotIt)
            mutex.unlock();
    }).join();
    EXPECT_TRUE(otherGotIt);
    EXPECT_EQ(mutex.getClassPath(), "Object:Mutex");
}

TEST(SignalTest, WaitConsumesASetSignal) {
    Signal signal;
    EXPECT_FALSE(signal.isSet());
    signal.set();
    EXPECT_TRUE(signal.isSet());
    signal.wait();
    EXPECT_FALSE(signal.isSet());
    signal.set();
    signal.reset();
    EXPECT_FALSE(signal.isSet());
    EXPECT_EQ(signal.getClassPath(), "Object:Signal");
}

TEST(SignalTest, SetReleasesEveryWaiterAndPulseOnlyThoseWaiting) {
    Signal signal;
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            signal.wait();
            released.fetch_add(1);
        });
    }
    // Give them time to wait; a waiter that arrives late still finds the signal set or pulsed, below.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    signal.pulse();
    EXPECT_FALSE(signal.isSet()) << "a pulse leaves the signal unset";
    // A waiter that was not yet waiting at the pulse is released by the set.
    signal.set();
    for (auto& waiter : waiters)
        waiter.join();
    EXPECT_EQ(released.load(), 3);
}

TEST(SignalTest, APulseWithNobodyWaitingIsLost) {
    Signal signal;
    signal.pulse();
    EXPECT_FALSE(signal.isSet());
    std::atomic<bool> woke{false};
    std::thread waiter([&] {
        signal.wait();
        woke = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(woke.load());
    signal.set();
    waiter.join();
    EXPECT_TRUE(woke.load());
}

TEST(SignalTest, WaitSinceSeesASetThatWasResetAgain) {
    Signal signal;
    const uint64_t generation = signal.getGeneration();
    signal.set();
    signal.reset();
    signal.waitSince(generation); // returns at once
    EXPECT_FALSE(signal.isSet());
}
