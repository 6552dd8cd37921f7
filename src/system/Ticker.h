#pragma once

#include <atomic>

#include "object/Noncopyable.h"
#include "object/Object.h"
#include "system/Thread.h"
#include "system/WaitableTimer.h"

namespace korvane::system {

// Calls tick() periodically on a thread of its own. The first tick comes at once after start(); a tick
// that takes longer than the period delays the next one instead of queueing more, and ticks never overlap.
// A subclass that overrides tick() must stop() the ticker in its own destructor.
class Ticker : public object::Object, private object::Noncopyable {
public:
    class TickerThread : public Thread {
    public:
        explicit TickerThread(Ticker* ticker) : ticker(ticker) {}
        bool run() override;
        types::String getClassPath() const override;

    private:
        Ticker* ticker;
    };

    Ticker();
    ~Ticker() override;

    bool start();
    // Stops the ticks and waits for the ticker thread to end; called on the ticker thread (from tick())
    // it cannot wait, and the thread ends after the current tick.
    void stop();
    // Stores the period; a running ticker is re-armed at once, which also ticks at once.
    void setPeriod(int milliseconds);
    int getPeriod() const { return period.load(std::memory_order_relaxed); }
    bool isRunning() const { return running.load(std::memory_order_acquire); }

    virtual void tick() {}

    types::String getClassPath() const override;

private:
    void arm();

    TickerThread thread;
    std::atomic<int> period{1000};
    std::atomic<bool> running{false};
    WaitableTimer timer;
};

} // namespace korvane::system
