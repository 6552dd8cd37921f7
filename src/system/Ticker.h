#pragma once

#include <atomic>
#include <mutex>

#include "object/Noncopyable.h"
#include "object/Object.h"
#include "system/Thread.h"
#include "system/WaitableTimer.h"

namespace korvane::system {

/// Calls tick() periodically on a thread of its own. The first tick comes at once after start(); a tick
/// that takes longer than the period delays the next one instead of queueing more, and ticks never overlap.
/// A subclass that overrides tick() must stop() the ticker in its own destructor.
/// tick() runs on the ticker thread, never on the caller's: what it touches must be safe from there
/// (a view's invalidate() is). start(), stop() and setPeriod() may be called from any thread.
class Ticker : public object::Object, private object::Noncopyable {
public:
    /// The ticker's thread: waits for the timer and calls tick().
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

    /// Starts the ticks; also right after a stop, even while the stopped ticker thread is still leaving
    /// (a new thread then takes over once it has ended). Safe from any thread and from tick().
    bool start();
    /// Stops the ticks and waits for the ticker thread to end; called on the ticker thread (from tick())
    /// it cannot wait, and the thread ends after the current tick unless tick() starts the ticker again.
    void stop();
    /// Stores the period; a running ticker is re-armed at once, which also ticks at once.
    void setPeriod(int milliseconds);
    int getPeriod() const { return period.load(std::memory_order_relaxed); }
    bool isRunning() const { return running.load(std::memory_order_acquire); }

    virtual void tick() {}

    types::String getClassPath() const override;

private:
    void arm();
    bool onTickerThread() const;

    TickerThread thread;
    std::atomic<int> period{1000};
    std::atomic<bool> running{false};
    // Set by the ticker thread once it has decided to leave its loop; it ends without looking again.
    bool leaving = false;
    WaitableTimer timer;
    // Guards running, leaving and the timer's setting against the ticker thread's decision to leave.
    std::mutex state;
    // One start or stop from threads other than the ticker thread at a time (they join and restart it).
    std::mutex control;
};

} // namespace korvane::system
