#include "system/Signal.h"

namespace korvane::system {

// Notifying under the lock lets a waiter destroy the signal as soon as its wait returns.
void Signal::set() {
    std::lock_guard guard(mutex);
    signalled.store(true, std::memory_order_release);
    ++generation;
    condition.notify_all();
}

void Signal::reset() {
    std::lock_guard guard(mutex);
    signalled.store(false, std::memory_order_release);
}

void Signal::pulse() {
    std::lock_guard guard(mutex);
    signalled.store(false, std::memory_order_release);
    ++generation;
    condition.notify_all();
}

void Signal::wait() {
    std::unique_lock guard(mutex);
    if (!signalled.load(std::memory_order_relaxed)) {
        const uint64_t since = generation;
        condition.wait(guard,
                       [&] { return signalled.load(std::memory_order_relaxed) || generation != since; });
    }
    // Like every waiter released by a manual-reset event, only the first to get here finds it set.
    signalled.store(false, std::memory_order_release);
}

uint64_t Signal::getGeneration() const {
    std::lock_guard guard(mutex);
    return generation;
}

void Signal::waitSince(uint64_t since) {
    std::unique_lock guard(mutex);
    condition.wait(guard, [&] { return signalled.load(std::memory_order_relaxed) || generation != since; });
}

types::String Signal::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Signal");
}

} // namespace korvane::system
