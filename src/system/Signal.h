#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::system {

/// A manual-reset event: once set it stays set, releasing every waiter, until reset or consumed by wait().
/// pulse() releases the threads waiting at that moment and leaves the signal unset.
/// Any thread may set, reset, pulse or wait.
class Signal : public object::Object, private object::Noncopyable {
public:
    Signal() = default;

    /// The current state; a hint for other threads, the waits are the synchronisation points.
    bool isSet() const { return signalled.load(std::memory_order_acquire); }

    void set();
    void reset();
    void pulse();

    /// Waits until the signal is set (or pulsed while waiting) and consumes a set state.
    void wait();

    /// How many times the signal has been set or pulsed. Taken before starting the work that will set
    /// the signal, it lets waitSince() return even if the signal was set and reset again in between.
    uint64_t getGeneration() const;
    /// Waits, without consuming, until the signal is set or has been set or pulsed since the generation.
    void waitSince(uint64_t generation);

    types::String getClassPath() const override;

private:
    mutable std::mutex mutex;
    std::condition_variable condition;
    std::atomic<bool> signalled{false};
    uint64_t generation = 0;
};

} // namespace korvane::system
