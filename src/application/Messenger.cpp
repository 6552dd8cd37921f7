#include "application/Messenger.h"

#include <mutex>

namespace korvane::application {

Messenger::Messenger() {
    handlers.append(this);
    messenger.store(this, std::memory_order_release);
    // The chain's reference to the messenger itself would keep it alive for ever: give it back.
    release();
}

Messenger::~Messenger() {
    // Unlinking itself releases the reference given back in the constructor. The count is 0 here when
    // destruction came through release() and 1 otherwise; two more keep that release from destroying the
    // messenger a second time in either case.
    addReference();
    addReference();
    {
        std::lock_guard guard(mutex);
        handlers.remove(this);
    }
    messenger.store(nullptr, std::memory_order_release);

    for (;;) {
        Handler* handler;
        {
            std::lock_guard guard(mutex);
            handler = handlers.getFirst();
        }
        if (!handler)
            break;
        removeHandler(handler);
    }
}

bool Messenger::addHandler(Handler* handler) {
    if (!handler || handler == this)
        return false;
    {
        std::lock_guard guard(mutex);
        // A handler belongs to one messenger at a time.
        if (!handlers.append(handler))
            return false;
    }
    handler->messenger.store(this, std::memory_order_release);
    return true;
}

bool Messenger::removeHandler(Handler* handler) {
    if (!handler || handler == this)
        return false;
    Messenger* expected = this;
    handler->messenger.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
    // Whatever destroys the handler happens at the last release, outside the lock.
    handler->addReference();
    {
        std::lock_guard guard(mutex);
        handlers.remove(handler);
    }
    handler->release();
    return true;
}

bool Messenger::post(Handler* target, uint32_t what) {
    Messenger* route = target ? target->getMessenger() : nullptr;
    if (!route || !route->getThread())
        return false;
    return route->deliverPosted(Message::create(what, target));
}

bool Messenger::send(Handler* target, uint32_t what) {
    Messenger* route = target ? target->getMessenger() : nullptr;
    if (!route)
        return false;
    system::Thread* thread = route->getThread();
    if (!thread)
        return false;
    if (thread == system::Thread::getCurrent()) {
        Message message(what, target);
        target->handleMessage(&message);
        return true;
    }
    return route->deliverSent(Message::create(what, target));
}

types::String Messenger::getClassPath() const {
    return types::String::concat(Handler::getClassPath(), ":Messenger");
}

} // namespace korvane::application
