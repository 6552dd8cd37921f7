#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/MessageQueue.h"

// The per-thread message queue behind MessageQueue.h. The window system plugs into it through an
// EventSource, so that one blocking wait covers posted messages, calls sent from other threads, window
// input and paint requests.
namespace korvane::platform::detail {

// The window events of one thread (its X connection). Called only on the owning thread.
class EventSource {
public:
    virtual ~EventSource() = default;
    // A descriptor to poll beside the queue's wake descriptor, -1 for none.
    virtual int fd() const = 0;
    // The next input message (reads and translates pending events); false when none waits.
    virtual bool nextInput(Msg& msg, bool remove) = 0;
    // A paint message for a window that needs painting; false when none does.
    virtual bool nextPaint(Msg& msg) = 0;
    // Flushes output; false when events already sit in a client-side buffer, so the wait must not block.
    virtual bool readyToWait() = 0;
    // True when the source has nothing left to serve and the queue should destroy it (it cannot destroy
    // itself while one of its own operations may be running further up the stack).
    virtual bool expired() const { return false; }
};

class ThreadQueue {
public:
    explicit ThreadQueue(ThreadId id);
    ~ThreadQueue();
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    ThreadId id() const { return id_; }

    // Any thread: appends a posted message; false once the thread has ended.
    bool post(const Msg& msg);
    // Any thread: wakes the owner's wait (e.g. after marking a window for painting).
    void wake();

    // Owner thread: the next message in Win32 order (sent calls run first, then posted messages, input,
    // quit, paint). Returns false only when wait is false and nothing is available.
    bool next(Msg& msg, bool remove, bool wait);
    void setQuit(int exitCode);
    // Owner thread: installs (or with null removes and destroys) the thread's window event source.
    void setEventSource(std::unique_ptr<EventSource> source);
    EventSource* eventSource() const { return source_.get(); }

    // Runs call on the owning thread and waits for it, running calls sent to the calling thread
    // meanwhile. Returns false when the owning thread ends before running it, or when call throws: the
    // exception goes up the owning thread's stack (out of its wait for messages), never to the sender.
    static bool sendTo(ThreadId thread, std::function<void()> call);

    // Owner thread, at thread end: destroys the event source, refuses further posts, fails pending calls.
    void shutdown();

private:
    struct SentCall;

    void runSentCalls();
    void waitForWake(bool withSource);

    const ThreadId id_;
    int wakeFd_;
    std::mutex mutex_;
    std::deque<Msg> posted_;
    std::deque<std::shared_ptr<SentCall>> sent_;
    bool closed_ = false;
    bool quit_ = false;
    int quitCode_ = 0;
    std::unique_ptr<EventSource> source_;
};

// The queue of a thread, null when it has none (not created yet, or the thread has ended).
std::shared_ptr<ThreadQueue> findQueue(ThreadId thread);
// The calling thread's queue, created on first use.
ThreadQueue& currentQueue();
// The calling thread's queue, null when it has none yet.
ThreadQueue* currentQueueIfAny();

} // namespace korvane::platform::detail
