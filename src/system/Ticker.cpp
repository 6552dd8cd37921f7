#include "system/Ticker.h"

namespace korvane::system {

bool Ticker::TickerThread::run() {
    for (;;) {
        ticker->timer.wait();
        {
            // Decided under the lock, so that a start() either comes before the decision (and the loop
            // goes on) or sees it (and restarts the thread); the timer is cancelled only in the first case.
            std::lock_guard guard(ticker->state);
            if (!ticker->isRunning()) {
                ticker->timer.cancel();
                ticker->leaving = true;
                break;
            }
        }
        ticker->tick();
    }
    return true;
}

types::String Ticker::TickerThread::getClassPath() const {
    return types::String::concat(Thread::getClassPath(), ":TickerThread");
}

Ticker::Ticker() : thread(this) {}

Ticker::~Ticker() {
    stop();
}

void Ticker::arm() {
    // Due at once: the first tick comes without waiting a period.
    timer.set(WaitableTimer::Clock::duration::zero(), std::chrono::milliseconds(getPeriod()));
}

bool Ticker::onTickerThread() const {
    return Thread::getCurrent() == &thread;
}

bool Ticker::start() {
    if (onTickerThread()) {
        // From tick(): the loop has not decided to leave, and goes on once it finds running set.
        std::lock_guard guard(state);
        running.store(true, std::memory_order_release);
        arm();
        return true;
    }
    std::lock_guard controlGuard(control);
    {
        std::lock_guard guard(state);
        running.store(true, std::memory_order_release);
        if (thread.isAlive() && !leaving) {
            arm();
            return true;
        }
    }
    // A thread that has decided to leave ends by itself; wait for it, then start a new one.
    thread.join();
    std::lock_guard guard(state);
    leaving = false;
    if (!thread.start(false)) {
        running.store(false, std::memory_order_release);
        return false;
    }
    arm();
    return true;
}

void Ticker::stop() {
    if (onTickerThread()) {
        std::lock_guard guard(state);
        if (!isRunning())
            return;
        timer.cancel();
        running.store(false, std::memory_order_release);
        // One more expiry wakes the loop, which then finds running false and leaves.
        timer.set(WaitableTimer::Clock::duration::zero(), std::chrono::milliseconds(1));
        return;
    }
    std::lock_guard controlGuard(control);
    {
        std::lock_guard guard(state);
        // Alive rather than running: a thread that start() has just launched must be stopped too.
        if (!thread.isAlive())
            return;
        timer.cancel();
        running.store(false, std::memory_order_release);
        timer.set(WaitableTimer::Clock::duration::zero(), std::chrono::milliseconds(1));
    }
    thread.join();
}

void Ticker::setPeriod(int milliseconds) {
    std::lock_guard guard(state);
    period.store(milliseconds, std::memory_order_relaxed);
    if (isRunning())
        arm();
}

types::String Ticker::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Ticker");
}

} // namespace korvane::system
