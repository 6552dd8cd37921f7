#pragma once

#include <atomic>
#include <cstdint>

namespace korvane::types {
class String;
}

namespace korvane::object {

/// Root of every framework class: an intrusive reference count and five leading virtual operations.
/// A new object starts with one reference, held by its creator; release() drops one and frees the object
/// when the last one goes.
/// addReference() and release() may be called from any thread. Hold objects in a Pointer, or pair
/// every addReference() with one release(); an object made with new is freed by its last release(), never
/// by delete.
class Object {
public:
    Object() = default;
    /// A copy is a new object with its own single reference.
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
            destroy();
    }
    int32_t getReferenceCount() const { return referenceCount.load(std::memory_order_relaxed); }

    /// Holds back the destruction of an object whose last reference goes on this thread while the
    /// holder's scope lasts (a looper running a handler that lets go of the looper): the holder then
    /// learns that it has to destroy the object itself once the code it runs has returned.
    class KeepAlive {
    public:
        explicit KeepAlive(const Object* object);
        ~KeepAlive();
        KeepAlive(const KeepAlive&) = delete;
        KeepAlive& operator=(const KeepAlive&) = delete;
        /// The last reference went meanwhile: the object waits for the holder to delete it.
        bool released() const { return lastReleased; }

    private:
        friend class Object;
        const Object* object;
        bool lastReleased = false;
        KeepAlive* outer;
    };

private:
    void destroy() const;

    mutable std::atomic<int32_t> referenceCount{1};
};

} // namespace korvane::object

#include "types/String.h"
