#pragma once

#include <cstdint>

#include "system/Timestamp.h"

namespace korvane::system {

/// A stopwatch in milliseconds on the system clock. update() advances the reading and measures the time
/// since the previous reading. Being a wall clock, a change of the system time shifts both.
/// A plain value, used by one thread at a time.
class Timer : public object::Object {
public:
    /// Starts at 0.
    Timer();

    types::String getClassPath() const override;

    /// Sets the reading to start (milliseconds) as of now.
    void reset(int64_t start);
    /// Reads the clock; returns the new reading.
    int64_t update();

    int64_t getTime() const { return time; }
    int64_t getPreviousTime() const { return previousTime; }
    int64_t getElapsed() const { return elapsed; }

private:
    int64_t milliseconds() const { return static_cast<int64_t>(clock.get() / 1000); }

    Timestamp clock;
    int64_t offset = 0;
    int64_t time = 0;
    int64_t previousTime = 0;
    int64_t elapsed = 0;
};

} // namespace korvane::system
