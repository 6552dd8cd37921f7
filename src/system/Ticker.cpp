#include "system/Ticker.h"

namespace korvane::system {

bool Ticker::TickerThread::run() {
    for (;;) {
        ticker->timer.wait();
        if (!ticker->isRunning())
            break;
        ticker->tick();
    }
    ticker->timer.cancel();
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

bool Ticker::start() {
    running.store(true, std::memory_order_release);
    if (!thread.isAlive() && !thread.start(false)) {
        running.store(false, std::memory_order_release);
        return false;
    }
    arm();
    return true;
}

void Ticker::stop() {
    // Alive rather than running: a thread that start() has just launched must be stopped too.
    if (!thread.isAlive())
        return;
    timer.cancel();
    running.store(false, std::memory_order_release);
    // One more expiry wakes the thread, which then finds running false and leaves its loop.
    timer.set(WaitableTimer::Clock::duration::zero(), std::chrono::milliseconds(1));
    thread.join();
}

void Ticker::setPeriod(int milliseconds) {
    period.store(milliseconds, std::memory_order_relaxed);
    if (isRunning())
        arm();
}

types::String Ticker::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Ticker");
}

} // namespace korvane::system
