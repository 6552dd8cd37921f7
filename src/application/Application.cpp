#include "application/Application.h"

#include <atomic>
#include <mutex>

namespace korvane::application {

namespace {

std::atomic<Application*> application{nullptr};

// Returns a message taken off the queue to its pool even when its handler throws.
struct Taken {
    Message* message;
    ~Taken() { message->release(); }
};

} // namespace

Application::Application() {
    application.store(this, std::memory_order_release);
}

Application::~Application() {
    Application* self = this;
    application.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
    setThread(nullptr);
}

Application* Application::getApplication() {
    return application.load(std::memory_order_acquire);
}

bool Application::deliverSent(Message* message) {
    {
        std::lock_guard guard(queueLock);
        queue.pushFront(message);
    }
    // Set rather than pulsed: a loop between its last empty drain and its wait must wake up too.
    wakeUp.set();
    return true;
}

bool Application::deliverPosted(Message* message) {
    {
        std::lock_guard guard(queueLock);
        queue.pushBack(message);
    }
    wakeUp.set();
    return true;
}

bool Application::run() {
    onStart();

    loopThread = system::Thread::getCurrent();
    setThread(loopThread);

    for (;;) {
        wakeUp.wait();
        for (;;) {
            Message* message;
            {
                std::lock_guard guard(queueLock);
                message = queue.popFront();
            }
            if (!message)
                break;
            Taken taken{message};
            if (message->target == this && message->what == MessageQuit) {
                onStop();
                return true;
            }
            message->target->handleMessage(message);
        }
    }
}

types::String Application::getClassPath() const {
    return types::String::concat(Messenger::getClassPath(), ":Application");
}

} // namespace korvane::application
