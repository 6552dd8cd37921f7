#pragma once

#include <atomic>
#include <thread>

#include "platform/MessageQueue.h"

namespace korvane::platform::testing {

// Runs body on a new thread that owns a queue; the id is known once the queue exists.
class QueueThread {
public:
    template <typename Body> explicit QueueThread(Body body) {
        std::atomic<ThreadId> id{0};
        thread_ = std::thread([&id, body] {
            ensureMessageQueue();
            id = currentThreadId();
            body();
        });
        while (id == 0) {
            std::this_thread::yield();
        }
        id_ = id;
    }
    ~QueueThread() { join(); }
    QueueThread(const QueueThread&) = delete;
    QueueThread& operator=(const QueueThread&) = delete;

    ThreadId id() const { return id_; }
    void join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    std::thread thread_;
    ThreadId id_ = 0;
};

} // namespace korvane::platform::testing
