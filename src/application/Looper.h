#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "application/Messenger.h"
#include "platform/MessageQueue.h"
#include "system/Signal.h"
#include "system/Thread.h"

namespace korvane::application {

/// A messenger with a thread of its own whose message queue is the delivery route: framework messages
/// travel as thread messages, in one stream with the window messages of the windows the thread owns.
/// Sent and posted messages are handled in the order they were given.
/// start() and quit() may be called from any thread; the attached handlers run on the looper thread.
class Looper : public Messenger {
public:
    /// Thread message codes of the loop.
    ///@{
    static constexpr uint32_t ThreadMessageDeliver = platform::WM_USER + 100;
    static constexpr uint32_t ThreadMessageProbe = platform::WM_USER + 101;
    ///@}

    /// The looper's thread: runs loop().
    class LooperThread : public system::Thread {
    public:
        explicit LooperThread(Looper* looper) : looper(looper) {}
        bool run() override;
        types::String getClassPath() const override;

    private:
        Looper* looper;
    };

    Looper();
    /// Quits the loop if it runs. The last reference may also go on the looper thread itself, from a
    /// handler or a window procedure that the loop runs: the looper is then destroyed there once its loop
    /// has left, and its thread ends by itself.
    ~Looper() override;

    /// Starts the looper thread and returns once it runs its loop. False if it runs already.
    bool start();
    /// Asks the loop to end and, from another thread, waits for the thread. Called on the looper thread it
    /// cannot wait: the loop ends when control returns to it, and the thread stays set until a later
    /// quit() (or the destructor) from another thread collects it. False when no thread is set. Any number
    /// of threads may quit at once.
    bool quit();

    bool deliverSent(Message* message) override;
    bool deliverPosted(Message* message) override;
    bool isLooper() const override { return true; }

    types::String getClassPath() const override;

protected:
    /// The loop, on the looper thread: handles framework messages, dispatches window messages, ends at the
    /// quit message.
    virtual void loop();

    /// Set once the looper thread can receive messages and enters its loop.
    system::Signal ready;

    /// True on the looper thread itself.
    bool onLooperThread() const;

private:
    bool deliver(Message* message);

    // Set by the loop when the last reference went on the looper thread while it ran a handler or a
    // window procedure: the loop leaves and its thread then destroys the looper.
    bool orphaned = false;
    // Serialises quits from other threads, which join and release the thread.
    std::mutex quitLock;

    // The looper thread's id while its loop accepts messages, 0 otherwise.
    std::atomic<platform::ThreadId> route{0};
    // Held by a delivery while it posts and by the loop while it closes the route.
    std::mutex routeLock;
};

} // namespace korvane::application
