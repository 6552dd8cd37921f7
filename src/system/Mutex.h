#pragma once

#include <mutex>

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::system {

/// A re-entrant lock: the owning thread may lock it again, and must unlock it as often.
/// Usable with std::lock_guard and std::unique_lock.
/// Any thread may lock it.
class Mutex : public object::Object, private object::Noncopyable {
public:
    Mutex() = default;

    bool lock() {
        section.lock();
        return true;
    }
    bool tryLock() { return section.try_lock(); }
    bool unlock() {
        section.unlock();
        return true;
    }

    /// Spellings the standard lock helpers expect.
    bool try_lock() { return tryLock(); }

    types::String getClassPath() const override;

private:
    std::recursive_mutex section;
};

} // namespace korvane::system
