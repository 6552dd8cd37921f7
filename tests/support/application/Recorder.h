#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "application/Application.h"
#include "application/Handler.h"
#include "application/Message.h"
#include "system/Thread.h"

namespace korvane::testing {

// A handler that records the codes it receives and the threads it receives them on, and may run a
// hook for each message.
class Recorder : public application::Handler {
public:
    bool handleMessage(application::Message* message) override {
        {
            std::lock_guard guard(mutex);
            received.push_back(message->what);
            threads.push_back(system::Thread::getCurrent());
        }
        if (onMessage)
            onMessage(message);
        return true;
    }

    std::vector<uint32_t> getReceived() {
        std::lock_guard guard(mutex);
        return received;
    }
    std::vector<system::Thread*> getThreads() {
        std::lock_guard guard(mutex);
        return threads;
    }

    std::function<void(application::Message*)> onMessage;

private:
    std::mutex mutex;
    std::vector<uint32_t> received;
    std::vector<system::Thread*> threads;
};

// An application that counts its start and stop hooks.
class CountingApplication : public application::Application {
public:
    bool onStart() override {
        ++starts;
        if (whenStarting)
            whenStarting();
        return true;
    }
    bool onStop() override {
        ++stops;
        return true;
    }

    std::atomic<int> starts{0};
    std::atomic<int> stops{0};
    std::function<void()> whenStarting;
};

// Runs work on another thread as soon as the application's loop accepts messages.
inline std::thread whenRunning(application::Application& application, std::function<void()> work) {
    return std::thread([&application, work = std::move(work)] {
        while (!application.getThread())
            std::this_thread::yield();
        work();
    });
}

inline uint32_t messagesInUse() {
    return application::Message::getPoolStatistics().messagesInUse;
}

} // namespace korvane::testing
