#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "system/Signal.h"
#include "system/Thread.h"
#include "system/Ticker.h"

using korvane::system::Signal;
using korvane::system::Thread;
using korvane::system::Ticker;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

class CountingTicker : public Ticker {
public:
    ~CountingTicker() override { stop(); }

    void tick() override {
        if (Thread::getCurrent() == caller.load())
            onCallerThread = true;
        if (ticks.fetch_add(1) == 0)
            first.set();
        if (const int sleep = slowTicks.load() > 0 ? slowTickLength.load() : 0) {
            slowTicks.fetch_sub(1);
            std::this_thread::sleep_for(milliseconds(sleep));
        }
        if (gated.load())
            gate.wait();
        if (stopInside.load())
            stop();
    }

    std::atomic<int> ticks{0};
    std::atomic<Thread*> caller{nullptr};
    std::atomic<bool> onCallerThread{false};
    std::atomic<int> slowTicks{0};
    std::atomic<int> slowTickLength{0};
    std::atomic<bool> stopInside{false};
    std::atomic<bool> gated{false};
    Signal first;
    Signal gate;
};

} // namespace

TEST(TickerTest, TicksAtOnceThenEveryPeriodOnItsOwnThread) {
    CountingTicker ticker;
    EXPECT_EQ(ticker.getPeriod(), 1000);
    ticker.caller = Thread::getCurrent();
    const Clock::time_point begin = Clock::now();
    ASSERT_TRUE(ticker.start());
    // The first tick does not wait for the period of one second.
    ticker.first.wait();
    EXPECT_LT(Clock::now() - begin, milliseconds(900));

    ticker.setPeriod(20);
    const Clock::time_point measured = Clock::now();
    const int before = ticker.ticks.load();
    std::this_thread::sleep_for(milliseconds(200));
    ticker.stop();
    const int ticked = ticker.ticks.load() - before;
    const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - measured).count();
    // Loose bounds: at least a few ticks, never more than the periods that passed (plus the re-arm tick).
    EXPECT_GE(ticked, 2);
    EXPECT_LE(ticked, elapsed / 20 + 2);
    EXPECT_FALSE(ticker.onCallerThread.load());
}

TEST(TickerTest, NoTickAfterStopAndStopTwiceDoesNothing) {
    CountingTicker ticker;
    ticker.setPeriod(5);
    ASSERT_TRUE(ticker.start());
    ticker.first.wait();
    ticker.stop();
    EXPECT_FALSE(ticker.isRunning());
    const int after = ticker.ticks.load();
    std::this_thread::sleep_for(milliseconds(40));
    EXPECT_EQ(ticker.ticks.load(), after);
    ticker.stop();
    EXPECT_EQ(ticker.ticks.load(), after);

    // It starts again after a stop.
    ASSERT_TRUE(ticker.start());
    while (ticker.ticks.load() == after)
        std::this_thread::sleep_for(milliseconds(1));
    ticker.stop();
}

TEST(TickerTest, StopRightAfterStartStopsTheThread) {
    for (int round = 0; round < 20; ++round) {
        CountingTicker ticker;
        ticker.setPeriod(1);
        ASSERT_TRUE(ticker.start());
        ticker.stop();
        const int after = ticker.ticks.load();
        std::this_thread::sleep_for(milliseconds(2));
        EXPECT_EQ(ticker.ticks.load(), after);
    }
}

TEST(TickerTest, StopWithoutStartAndPeriodOfAStoppedTicker) {
    CountingTicker ticker;
    ticker.stop();
    ticker.setPeriod(14);
    EXPECT_EQ(ticker.getPeriod(), 14);
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(ticker.ticks.load(), 0) << "setPeriod does not start a stopped ticker";
    EXPECT_EQ(ticker.getClassPath(), "Object:Ticker");
}

TEST(TickerTest, SlowTicksDoNotPileUp) {
    CountingTicker ticker;
    ticker.slowTickLength = 40;
    ticker.slowTicks = 3;
    ticker.setPeriod(5);
    ASSERT_TRUE(ticker.start());
    // About 24 periods pass during the slow ticks; none of them may be made up for afterwards.
    while (ticker.slowTicks.load() > 0)
        std::this_thread::sleep_for(milliseconds(1));
    const int before = ticker.ticks.load();
    const Clock::time_point measured = Clock::now();
    std::this_thread::sleep_for(milliseconds(20));
    const int ticked = ticker.ticks.load() - before;
    const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - measured).count();
    ticker.stop();
    EXPECT_LE(ticked, elapsed / 5 + 2);
}

TEST(TickerTest, StopFromInsideTickEndsTheThreadAfterThatTick) {
    CountingTicker ticker;
    ticker.stopInside = true;
    ticker.setPeriod(2);
    ASSERT_TRUE(ticker.start());
    ticker.first.wait();
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(ticker.ticks.load(), 1);
    ticker.stopInside = false;
    ticker.stop();
}

TEST(TickerTest, StopFromInsideTickWhileAnotherThreadStopsIt) {
    CountingTicker ticker;
    ticker.gated = true;
    ticker.stopInside = true;
    ASSERT_TRUE(ticker.start());
    ticker.first.wait();
    // The outer stop waits for the ticker thread while the tick, let go, stops the ticker too.
    std::thread outer([&] { ticker.stop(); });
    std::this_thread::sleep_for(milliseconds(20));
    ticker.gate.set();
    outer.join();
    EXPECT_EQ(ticker.ticks.load(), 1);
}

TEST(TickerTest, AStartRightAfterAStopFromInsideTickAlwaysTicks) {
    CountingTicker ticker;
    ticker.setPeriod(1);
    for (int attempt = 0; attempt < 300; ++attempt) {
        ticker.stopInside = true;
        const int before = ticker.ticks.load();
        ASSERT_TRUE(ticker.start());
        // The tick stops the ticker; start it again while its thread may still be leaving.
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (ticker.ticks.load() == before || ticker.isRunning()) {
            ASSERT_LT(Clock::now(), deadline) << "attempt " << attempt << ": the first tick never stopped it";
            std::this_thread::yield();
        }
        ticker.stopInside = false;
        const int stopped = ticker.ticks.load();
        ASSERT_TRUE(ticker.start());
        while (ticker.ticks.load() == stopped) {
            ASSERT_LT(Clock::now(), deadline) << "attempt " << attempt << ": running but no tick came";
            std::this_thread::yield();
        }
        EXPECT_TRUE(ticker.isRunning());
        ticker.stop();
    }
}
