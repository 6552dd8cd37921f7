#pragma once

#include <atomic>
#include <cstdint>

#include "application/Handler.h"
#include "application/Message.h"
#include "container/Chain.h"
#include "system/Mutex.h"
#include "system/Thread.h"

namespace korvane::application {

/// A handler that owns a delivery route and a chain of attached handlers (itself first). The route decides
/// on which thread the attached handlers receive their messages; without a running route (no thread) post
/// and send fail.
/// post(), send(), addHandler() and removeHandler() may be called from any thread.
class Messenger : public Handler {
public:
    Messenger();
    ~Messenger() override;

    /// Attaches a handler (the chain takes a reference). False for the messenger itself or null.
    bool addHandler(Handler* handler);
    /// Detaches a handler; true also when it was not attached. False for the messenger itself or null.
    bool removeHandler(Handler* handler);

    void setThread(system::Thread* thread) { this->thread.store(thread, std::memory_order_release); }
    system::Thread* getThread() const { return thread.load(std::memory_order_acquire); }

    /// Queues a message for the target on its messenger's thread. False, with nothing created, when the
    /// messenger has no route or the route refuses the message.
    static bool post(Handler* target, uint32_t what);
    /// On the messenger's own thread, calls the target's handleMessage at once (true whatever it returns).
    /// From another thread, queues the message ahead of posted ones and returns without waiting.
    static bool send(Handler* target, uint32_t what);

    /// Route a message given by send from another thread, or by post. The route takes the message over:
    /// when it refuses it (false) it returns the record to the pool.
    virtual bool deliverSent(Message* message) = 0;
    virtual bool deliverPosted(Message* message) = 0;
    virtual bool isLooper() const = 0;

    types::String getClassPath() const override;

protected:
    const container::Chain<Handler>& getHandlers() const { return handlers; }

private:
    std::atomic<system::Thread*> thread{nullptr};
    container::Chain<Handler> handlers;
    system::Mutex mutex;
};

} // namespace korvane::application
