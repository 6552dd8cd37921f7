#include "platform/posix/ThreadQueue.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>
#include <unordered_map>

namespace korvane::platform::detail {

namespace {

// Every queue by thread id. Never destroyed: threads may still end while static objects go away.
struct Registry {
    std::mutex mutex;
    std::unordered_map<ThreadId, std::shared_ptr<ThreadQueue>> queues;
};

Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

// Owns the calling thread's queue; the thread-local destructor ends it with the thread.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;

    ~QueueHolder() {
        if (!queue) {
            return;
        }
        Registry& r = registry();
        {
            std::lock_guard lock(r.mutex);
            r.queues.erase(queue->id());
        }
        queue->shutdown();
    }
};

thread_local QueueHolder holder;

} // namespace

struct ThreadQueue::SentCall {
    std::function<void()> call;
    std::shared_ptr<ThreadQueue> sender;
    std::atomic<int> state{0}; // 0 waiting, 1 done, 2 dropped

    void finish(int result) {
        state.store(result, std::memory_order_release);
        sender->wake();
    }
};

ThreadQueue::ThreadQueue(ThreadId id) : id_(id), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (wakeFd_ < 0) {
        throw std::runtime_error("eventfd failed");
    }
}

ThreadQueue::~ThreadQueue() {
    close(wakeFd_);
}

bool ThreadQueue::post(const Msg& msg) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return false;
        }
        posted_.push_back(msg);
    }
    wake();
    return true;
}

void ThreadQueue::wake() {
    uint64_t one = 1;
    // The counter only saturates after 2^64 - 2 wakes; EAGAIN then still leaves the descriptor readable.
    while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void ThreadQueue::setQuit(int exitCode) {
    quit_ = true;
    quitCode_ = exitCode;
}

void ThreadQueue::setEventSource(std::unique_ptr<EventSource> source) {
    // Destroy the old one after the swap so that a re-entrant look at eventSource() never sees it.
    std::swap(source_, source);
}

void ThreadQueue::runSentCalls() {
    for (;;) {
        std::shared_ptr<SentCall> sent;
        {
            std::lock_guard lock(mutex_);
            if (sent_.empty()) {
                return;
            }
            sent = std::move(sent_.front());
            sent_.pop_front();
        }
        // An exception is the owning thread's failure, as if its own code had thrown it: it goes up this
        // thread's stack, and the sender learns only that the call did not complete.
        try {
            sent->call();
        } catch (...) {
            sent->finish(2);
            throw;
        }
        sent->finish(1);
    }
}

bool ThreadQueue::next(Msg& msg, bool remove, bool wait) {
    for (;;) {
        runSentCalls();
        if (source_ && source_->expired()) {
            source_.reset();
        }
        {
            std::lock_guard lock(mutex_);
            if (!posted_.empty()) {
                msg = posted_.front();
                if (remove) {
                    posted_.pop_front();
                }
                return true;
            }
        }
        if (source_ && source_->nextInput(msg, remove)) {
            return true;
        }
        if (quit_) {
            msg = Msg{nullptr, WM_QUIT, static_cast<WParam>(quitCode_), 0};
            if (remove) {
                quit_ = false;
            }
            return true;
        }
        if (source_ && source_->nextPaint(msg)) {
            return true;
        }
        if (!wait) {
            return false;
        }
        if (source_ && !source_->readyToWait()) {
            continue;
        }
        waitForWake(true);
    }
}

void ThreadQueue::waitForWake(bool withSource) {
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, POLLIN, 0}};
    nfds_t count = 1;
    if (withSource && source_ && source_->fd() >= 0) {
        fds[1].fd = source_->fd();
        count = 2;
    }
    while (poll(fds, count, -1) < 0 && errno == EINTR) {
    }
    uint64_t value;
    while (read(wakeFd_, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

bool ThreadQueue::sendTo(ThreadId thread, std::function<void()> call) {
    ThreadQueue& self = currentQueue();
    if (thread == self.id()) {
        call();
        return true;
    }
    std::shared_ptr<ThreadQueue> target = findQueue(thread);
    if (!target) {
        return false;
    }
    auto sent = std::make_shared<SentCall>();
    sent->call = std::move(call);
    sent->sender = holder.queue;
    {
        std::lock_guard lock(target->mutex_);
        if (target->closed_) {
            return false;
        }
        target->sent_.push_back(sent);
    }
    target->wake();
    // Calls sent to this thread meanwhile run here, so two threads sending to each other cannot deadlock.
    while (sent->state.load(std::memory_order_acquire) == 0) {
        self.runSentCalls();
        if (sent->state.load(std::memory_order_acquire) != 0) {
            break;
        }
        // A wake meant for this thread's own loop is not lost: that loop looks at every source before it
        // waits.
        self.waitForWake(false);
    }
    return sent->state.load(std::memory_order_acquire) == 1;
}

void ThreadQueue::shutdown() {
    // Windows and GL contexts of the thread go first, while the queue still works for them.
    source_.reset();
    std::deque<std::shared_ptr<SentCall>> dropped;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        posted_.clear();
        dropped.swap(sent_);
    }
    for (auto& sent : dropped) {
        sent->finish(2);
    }
}

std::shared_ptr<ThreadQueue> findQueue(ThreadId thread) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.queues.find(thread);
    return found == r.queues.end() ? nullptr : found->second;
}

ThreadQueue& currentQueue() {
    if (!holder.queue) {
        auto queue = std::make_shared<ThreadQueue>(currentThreadId());
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        r.queues[queue->id()] = queue;
        holder.queue = std::move(queue);
    }
    return *holder.queue;
}

ThreadQueue* currentQueueIfAny() {
    return holder.queue.get();
}

} // namespace korvane::platform::detail
