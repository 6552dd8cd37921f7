#pragma once

#include <atomic>
#include <cstdint>

namespace korvane::types {
class String;
}

namespace korvane::object {

// Root of every framework class: an intrusive reference count and five leading virtual operations.
// A new object starts with one reference, held by its creator; release() drops one and frees the object
// when the last one goes.
class Object {
public:
    Object() = default;
    // A copy is a new object with its own single reference.
    Object(const Object&) : referenceCount(1) {}
    Object& operator=(const Object&) { return *this; }
    virtual ~Object() = default;

    virtual types::String getName() const;
    virtual types::String toString() const;
    virtual bool isValid() const { return true; }
    virtual types::String getClassPath() const;

    void addReference() const { referenceCount.fetch_add(1, std::memory_order_relaxed); }
    void release() const {
        if (referenceCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    // Adds a reference unless the last one is already gone (the object is being destroyed); for code that
    // reaches an object through a plain pointer, such as the thread that runs the object's own loop.
    bool tryAddReference() const {
        int32_t count = referenceCount.load(std::memory_order_relaxed);
        while (count > 0) {
            if (referenceCount.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel))
                return true;
        }
        return false;
    }
    int32_t getReferenceCount() const { return referenceCount.load(std::memory_order_relaxed); }

private:
    mutable std::atomic<int32_t> referenceCount{1};
};

} // namespace korvane::object

#include "types/String.h"
