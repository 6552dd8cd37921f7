#pragma once

#include <utility>

namespace korvane::object {

/// Counted reference to an Object-derived T: construction from a T* adds a reference, destruction
/// releases it. Assignment adds the new reference before releasing the old one, so assigning a pointer its
/// own object is safe. adopt() takes over a creator's reference and detach() hands the held one out. Not
/// synchronised: one pointer is used by one thread at a time (the object's count itself is atomic).
template <typename T> class Pointer {
public:
    Pointer() = default;
    Pointer(T* object) : object(object) {
        if (object)
            object->addReference();
    }
    Pointer(const Pointer& other) : Pointer(other.object) {}
    Pointer(Pointer&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
    ~Pointer() {
        if (object)
            object->release();
    }

    /// Takes over the creator's reference of a new object instead of adding one.
    static Pointer adopt(T* created) {
        Pointer pointer;
        pointer.object = created;
        return pointer;
    }

    // Hands the held reference to the caller, who must release it (or pass it to a call that takes it
    // over); the pointer is null afterwards.
    [[nodiscard]] T* detach() { return std::exchange(object, nullptr); }

    Pointer& operator=(T* other) {
        if (other)
            other->addReference();
        if (object)
            object->release();
        object = other;
        return *this;
    }
    Pointer& operator=(const Pointer& other) { return *this = other.object; }
    Pointer& operator=(Pointer&& other) noexcept {
        if (this != &other) {
            T* old = std::exchange(object, std::exchange(other.object, nullptr));
            if (old)
                old->release();
        }
        return *this;
    }

    T* get() const { return object; }
    T* operator->() const { return object; }
    T& operator*() const { return *object; }
    operator T*() const { return object; }

private:
    T* object = nullptr;
};

} // namespace korvane::object
