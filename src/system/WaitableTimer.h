#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "object/Noncopyable.h"

namespace korvane::system {

/// A synchronisation timer: each expiry releases one wait and leaves the timer unset again. Expiries that
/// nobody waits for do not pile up: however many periods pass, the next wait returns once and the one after
/// it waits for the next scheduled expiry.
/// Any thread may set it or wait for it.
class WaitableTimer : private object::Noncopyable {
public:
    using Clock = std::chrono::steady_clock;

    /// Arms the timer, replacing any earlier setting and clearing a pending expiry: the first expiry comes
    /// after due, then every period (none when period is zero or negative).
    void set(Clock::duration due, std::chrono::milliseconds period);
    /// Disarms the timer; an expiry already pending is kept.
    void cancel();
    /// Waits for the next expiry and consumes it.
    void wait();

private:
    std::mutex mutex;
    std::condition_variable condition;
    bool armed = false;
    bool signalled = false;
    Clock::time_point due;
    Clock::duration period{};
};

} // namespace korvane::system
