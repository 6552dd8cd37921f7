#include "application/Looper.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace korvane::application {

namespace {

// Returns a message to its pool even when its handler throws.
struct Delivered {
    Message* message;
    ~Delivered() { message->recycle(); }
};

Message* messageOf(const platform::Msg& msg) {
    return reinterpret_cast<Message*>(msg.wParam);
}

} // namespace

bool Looper::LooperThread::run() {
    Looper* const owner = looper;
    owner->loop();
    // Its last reference went on this thread while the loop ran: the looper is destroyed here, after its
    // loop has left, and nothing touches it afterwards.
    if (owner->orphaned)
        delete owner;
    return true;
}

types::String Looper::LooperThread::getClassPath() const {
    return types::String::concat(Thread::getClassPath(), ":LooperThread");
}

Looper::Looper() = default;

Looper::~Looper() {
    system::Thread* thread = getThread();
    if (!thread)
        return;
    if (onLooperThread()) {
        // Destroyed by its own thread after the loop has left: the thread ends by itself, holding its own
        // reference to its Thread object until then.
        setThread(nullptr);
        thread->release();
        return;
    }
    quit();
}

bool Looper::onLooperThread() const {
    system::Thread* thread = getThread();
    return thread && thread == system::Thread::getCurrent();
}

bool Looper::start() {
    if (getThread())
        return false;
    // Always wait for the new thread's loop, also on a restart: only then is its id known to deliver().
    ready.reset();
    const uint64_t generation = ready.getGeneration();
    auto* thread = new LooperThread(this);
    if (!thread->start(false)) {
        thread->release();
        return false;
    }
    // The creation reference is the looper's.
    setThread(thread);
    ready.waitSince(generation);
    return true;
}

bool Looper::quit() {
    if (onLooperThread()) {
        platform::postThreadMessage(platform::currentThreadId(), platform::WM_QUIT, 0, 0);
        return true;
    }
    // Another thread quitting at the same time could otherwise release the thread under our feet.
    std::lock_guard guard(quitLock);
    system::Thread* thread = getThread();
    if (!thread)
        return false;
    if (platform::ThreadId id = thread->getThreadId())
        platform::postThreadMessage(id, platform::WM_QUIT, 0, 0);
    if (thread->join()) {
        setThread(nullptr);
        thread->release();
    }
    return true;
}

bool Looper::deliver(Message* message) {
    bool posted;
    {
        // Held across the post, so that the loop's final drain sees every message that was posted.
        std::lock_guard guard(routeLock);
        const platform::ThreadId id = route.load(std::memory_order_acquire);
        posted = id && platform::postThreadMessage(id, ThreadMessageDeliver,
                                                   reinterpret_cast<platform::WParam>(message), 0);
    }
    // Otherwise the loop has ended and the message would never be handled.
    if (!posted)
        message->recycle();
    return posted;
}

bool Looper::deliverSent(Message* message) {
    return deliver(message);
}

bool Looper::deliverPosted(Message* message) {
    return deliver(message);
}

void Looper::loop() {
    const platform::ThreadId self = system::Thread::getCurrent()->getThreadId();
    // The queue exists from the thread's start; make sure posting to it works before anyone is told.
    while (!platform::postThreadMessage(self, ThreadMessageProbe, 0, 0))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    route.store(self, std::memory_order_release);
    ready.set();

    platform::Msg msg;
    orphaned = false;
    while (platform::getMessage(msg)) {
        // What the loop runs may drop the last reference to the looper (a window procedure closing and
        // releasing its window): its destruction is then held back until the loop has left.
        object::Object::KeepAlive keep(this);
        if (msg.window) {
            platform::translateMessage(msg);
            platform::dispatchMessage(msg);
        } else if (msg.message == ThreadMessageDeliver) {
            Delivered delivered{messageOf(msg)};
            delivered.message->target->handleMessage(delivered.message);
        }
        if (keep.released()) {
            orphaned = true;
            break;
        }
    }

    // Messages already queued behind the quit message are never handled; give their records back.
    // Posted messages come before window input, so this stops at the first window message. Once the
    // route is closed under the lock, no post can slip in behind the drain.
    {
        std::lock_guard guard(routeLock);
        route.store(0, std::memory_order_release);
    }
    while (platform::peekMessage(msg, false) && !msg.window) {
        platform::peekMessage(msg, true);
        if (msg.message == ThreadMessageDeliver)
            messageOf(msg)->recycle();
    }
}

types::String Looper::getClassPath() const {
    return types::String::concat(Messenger::getClassPath(), ":Looper");
}

} // namespace korvane::application
