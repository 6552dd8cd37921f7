#include "system/WaitableTimer.h"

namespace korvane::system {

void WaitableTimer::set(Clock::duration dueIn, std::chrono::milliseconds periodLength) {
    {
        std::lock_guard guard(mutex);
        armed = true;
        signalled = false;
        due = Clock::now() + dueIn;
        period = periodLength.count() > 0 ? Clock::duration(periodLength) : Clock::duration::zero();
    }
    condition.notify_all();
}

void WaitableTimer::cancel() {
    {
        std::lock_guard guard(mutex);
        armed = false;
    }
    condition.notify_all();
}

void WaitableTimer::wait() {
    std::unique_lock guard(mutex);
    for (;;) {
        if (armed) {
            const Clock::time_point now = Clock::now();
            if (now >= due) {
                signalled = true;
                if (period > Clock::duration::zero()) {
                    // Skip every expiry that has passed: they collapse into this one.
                    due += period * ((now - due) / period + 1);
                } else {
                    armed = false;
                }
            }
        }
        if (signalled) {
            signalled = false;
            return;
        }
        if (armed)
            condition.wait_until(guard, due);
        else
            condition.wait(guard);
    }
}

} // namespace korvane::system
