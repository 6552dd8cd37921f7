#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "container/Chain.h"
#include "object/Noncopyable.h"
#include "object/Object.h"
#include "platform/MessageQueue.h"
#include "system/Signal.h"

namespace korvane::system {

/// An operating-system thread that runs run(). Every thread has a Thread object: threads started here get
/// theirs from start(), any other thread (the main thread included) is adopted the first time it asks for
/// getCurrent(). A process-wide registry holds every started and every adopted thread.
/// start(), join() and the getters may be called from any thread; run() runs on the new thread.
class Thread : public object::Object, public container::Chainable<Thread>, private object::Noncopyable {
public:
    using Function = int (*)(Thread*);

    explicit Thread(Function threadFunction = nullptr);
    /// Waits for the operating-system thread to end unless called on it.
    ~Thread() override;

    /// Starts the thread unless it runs already (true in both cases). With waitUntilRunning, returns only
    /// once the new thread has reached run(). The running thread holds a reference to this object until
    /// run() has returned. A thread whose run() has returned can be started again.
    bool start(bool waitUntilRunning = false);

    /// Waits until the thread has ended. False, at once, when called on the thread itself or when there is
    /// nothing to wait for (never started, adopted, or already joined).
    bool join();

    /// The Thread of the calling thread, never null.
    static Thread* getCurrent();

    /// The body: calls the thread function when there is one (true when it returns non-zero), else true.
    virtual bool run();

    /// True while run() executes on a started thread.
    bool isRunning() const { return started.isSet(); }
    /// True from start() until run() has returned: a second start() does nothing in that time.
    bool isAlive() const { return alive.load(std::memory_order_acquire); }
    /// Set on the new thread just before run(), reset after it returns.
    Signal& getStarted() { return started; }
    /// The thread's id; 0 while it does not run (adopted threads keep theirs).
    platform::ThreadId getThreadId() const { return threadId.load(std::memory_order_acquire); }
    /// Whether the thread is in the process-wide registry.
    bool isRegistered() const;

    types::String getClassPath() const override;

private:
    friend struct ThreadState;

    static void startRoutine(Thread* thread);
    static Thread* adopt();

    Function threadFunction;
    Signal started;
    std::mutex control; // guards handle
    std::thread handle;
    std::atomic<bool> alive{false};
    std::atomic<platform::ThreadId> threadId{0};
};

} // namespace korvane::system
