#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "system/Timer.h"
#include "system/Timestamp.h"

using korvane::system::Timer;
using korvane::system::Timestamp;

namespace {

constexpr uint64_t unixEpoch = 11'644'473'600ull * 1'000'000;

// Runs a test with a given time zone and the POSIX locale, restoring the environment afterwards.
class LocalTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        save("TZ", tz);
        save("LC_ALL", lcAll);
        setenv("LC_ALL", "C", 1);
        setenv("TZ", "UTC", 1);
    }
    void TearDown() override {
        restore("TZ", tz);
        restore("LC_ALL", lcAll);
    }

private:
    static void save(const char* name, std::optional<std::string>& slot) {
        if (const char* value = std::getenv(name))
            slot = value;
    }
    static void restore(const char* name, const std::optional<std::string>& slot) {
        if (slot)
            setenv(name, slot->c_str(), 1);
        else
            unsetenv(name);
    }
    std::optional<std::string> tz, lcAll;
};

} // namespace

TEST(TimestampTest, CountsMicrosecondsSince1601) {
    EXPECT_EQ(Timestamp::fromFileTime(10'000'000).get(), 1'000'000u);
    EXPECT_EQ(Timestamp::fromFileTime(19).get(), 1u);
    EXPECT_EQ(Timestamp(42).get(), 42u);
    EXPECT_EQ(Timestamp().get(), 0u);
    EXPECT_EQ(Timestamp().getClassPath(), "Object:Timestamp");
    EXPECT_EQ(Timestamp(unixEpoch).getName(), "Object:Timestamp");

    const auto sinceUnix = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    const Timestamp now = Timestamp::now();
    const int64_t difference = static_cast<int64_t>(now.get() - unixEpoch) - sinceUnix.count();
    EXPECT_LT(std::llabs(difference), 2'000'000);
    EXPECT_LT(Timestamp(unixEpoch), now);
}

TEST_F(LocalTimeTest, TextIsShortDateAndTwentyFourHourTime) {
    EXPECT_EQ(Timestamp(unixEpoch).toString(), "01/01/1970 00:00:00");
    EXPECT_EQ(Timestamp(0).toString(), "01/01/1601 00:00:00");
    // 2024-03-07 17:05:09.999999 UTC: the fraction is dropped, not rounded.
    EXPECT_EQ(Timestamp(unixEpoch + 1'709'831'109'999'999ull).toString(), "03/07/2024 17:05:09");
}

TEST_F(LocalTimeTest, TextFollowsTheLocalTimeZone) {
    setenv("TZ", "EST5", 1);
    EXPECT_EQ(Timestamp(unixEpoch).toString(), "12/31/1969 19:00:00");
    setenv("TZ", "UTC-2", 1);
    EXPECT_EQ(Timestamp(unixEpoch).toString(), "01/01/1970 02:00:00");
}

TEST_F(LocalTimeTest, TimesWithoutACalendarDateGiveEmptyText) {
    constexpr uint64_t last = 0x7FFF'FFFF'FFFF'FFFFull / 10;
    EXPECT_FALSE(Timestamp(last).toString().isEmpty());
    EXPECT_TRUE(Timestamp(last + 1).toString().isEmpty());
    EXPECT_TRUE(Timestamp(UINT64_MAX).toString().isEmpty());
}

TEST(TimerTest, ResetStartsTheReadingAtTheGivenValue) {
    Timer timer;
    EXPECT_EQ(timer.getClassPath(), "Object:Timer");
    EXPECT_EQ(timer.getTime(), 0);
    EXPECT_EQ(timer.getElapsed(), 0);

    timer.reset(0);
    const int64_t time = timer.update();
    EXPECT_GE(time, 0);
    EXPECT_LT(time, 1000);
    EXPECT_EQ(timer.getElapsed(), time);
}

TEST(TimerTest, UpdateMeasuresTheTimeSinceThePreviousReading) {
    Timer timer;
    timer.reset(5000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int64_t time = timer.update();
    // The clock counts whole milliseconds, so a 100 ms sleep may read as 99.
    EXPECT_GE(time, 5099);
    EXPECT_LT(time, 5000 + 5000);
    EXPECT_EQ(timer.getElapsed(), time - 5000);
    EXPECT_EQ(timer.getPreviousTime(), 5000);

    timer.update();
    EXPECT_GE(timer.getElapsed(), 0);
    EXPECT_LT(timer.getElapsed(), 1000);
    EXPECT_EQ(timer.getPreviousTime(), time);
}
