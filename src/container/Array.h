#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <utility>

#include "object/Object.h"

namespace korvane::container {

/// A growable array. The buffer grows by the current element count (by 4 while the array holds fewer than 4),
/// never by more than maximumStep in one step, and never to less than the size asked for.
///
/// Growing relocates the existing elements into the new buffer bitwise (memcpy) and frees the old buffer
/// without running destructors. That is correct for every element type of this framework (numbers,
/// pointers, plain records, Pointer<T>, String, Object-derived values): none of them holds a pointer into
/// itself or registers its own address anywhere. Do not store self-referential types in an Array.
/// Containers take no locks: an array is used by one thread at a time.
template <typename T> class Array : public object::Object {
public:
    static constexpr uint32_t defaultMaximumStep = 0x7FFFFFFF;

    Array() = default;
    explicit Array(uint32_t size) { setSize(size); }
    /// Holds exactly the given values.
    Array(std::initializer_list<T> values) {
        const T* source = values.begin();
        resize(uint32_t(values.size()),
               [&](T* slot, uint32_t index) { ::new (static_cast<void*>(slot)) T(source[index]); });
    }
    Array(const Array& other) : Object(other), maximumStep(other.maximumStep) {
        if (other.count == 0)
            return;
        const T* source = other.elements;
        resize(other.count,
               [&](T* slot, uint32_t index) { ::new (static_cast<void*>(slot)) T(source[index]); });
    }
    Array(Array&& other) noexcept
        : Object(other), count(std::exchange(other.count, 0)), capacity(std::exchange(other.capacity, 0)),
          maximumStep(other.maximumStep), elements(std::exchange(other.elements, nullptr)) {}
    ~Array() override { freeAll(); }

    Array& operator=(const Array& other) {
        if (this != &other) {
            Array copy(other);
            swap(copy);
        }
        return *this;
    }
    Array& operator=(Array&& other) noexcept {
        if (this != &other) {
            Array taken(std::move(other));
            swap(taken);
        }
        return *this;
    }

    void swap(Array& other) noexcept {
        std::swap(count, other.count);
        std::swap(capacity, other.capacity);
        std::swap(maximumStep, other.maximumStep);
        std::swap(elements, other.elements);
    }

    /// Makes the array hold n elements: new elements are value-initialised (numbers and pointers become
    /// zero), surplus ones are destroyed in index order. Shrinking, even to 0, keeps the buffer.
    void setSize(uint32_t n) {
        resize(n, [](T* slot, uint32_t) { ::new (static_cast<void*>(slot)) T(); });
    }

    T& append(const T& value) { return emplace(value); }
    T& append(T&& value) { return emplace(std::move(value)); }
    template <typename... Args> T& emplace(Args&&... args) {
        // The arguments may refer into this array: the new element is built before the old buffer goes.
        resize(count + 1,
               [&](T* slot, uint32_t) { ::new (static_cast<void*>(slot)) T(std::forward<Args>(args)...); });
        return elements[count - 1];
    }

    /// Removes the element at index, moving the later ones down by one.
    void remove(uint32_t index) {
        for (uint32_t i = index; i + 1 < count; ++i)
            elements[i] = std::move(elements[i + 1]);
        setSize(count - 1);
    }
    void removeLast() { setSize(count - 1); }
    void clear() { setSize(0); }

    /// Indices are not checked against the count.
    T& operator[](uint32_t index) { return elements[index]; }
    const T& operator[](uint32_t index) const { return elements[index]; }
    T& getFirst() { return elements[0]; }
    const T& getFirst() const { return elements[0]; }
    T& getLast() { return elements[count - 1]; }
    const T& getLast() const { return elements[count - 1]; }

    T* getElements() { return elements; }
    const T* getElements() const { return elements; }
    T* begin() { return elements; }
    T* end() { return elements + count; }
    const T* begin() const { return elements; }
    const T* end() const { return elements + count; }

    uint32_t getCount() const { return count; }
    uint32_t getCapacity() const { return capacity; }
    bool isEmpty() const { return count == 0; }
    uint32_t getMaximumStep() const { return maximumStep; }
    void setMaximumStep(uint32_t step) { maximumStep = step; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Array");
    }

private:
    // The capacity to allocate when n elements do not fit into the current buffer.
    uint32_t grownCapacity(uint32_t n) const {
        if (!elements)
            return n;
        const uint64_t step = count < 4 ? 4 : std::min(count, maximumStep);
        const uint64_t grown = std::min<uint64_t>(uint64_t(capacity) + step, UINT32_MAX);
        return n >= grown ? n : uint32_t(grown);
    }

    // Brings the count to n; construct(slot, index) builds element index in place. If a construction
    // throws, the elements built so far are destroyed and the array is left as it was.
    template <typename Construct> void resize(uint32_t n, Construct&& construct) {
        if (n <= count) {
            std::destroy(elements + n, elements + count);
            count = n;
            return;
        }
        if (n <= capacity) {
            constructRange(elements, n, construct);
            count = n;
            return;
        }
        const uint32_t newCapacity = grownCapacity(n);
        T* buffer = std::allocator<T>().allocate(newCapacity);
        try {
            constructRange(buffer, n, construct);
        } catch (...) {
            std::allocator<T>().deallocate(buffer, newCapacity);
            throw;
        }
        if (count)
            std::memcpy(static_cast<void*>(buffer), static_cast<const void*>(elements),
                        size_t(count) * sizeof(T));
        if (elements)
            std::allocator<T>().deallocate(elements, capacity);
        elements = buffer;
        capacity = newCapacity;
        count = n;
    }

    template <typename Construct> void constructRange(T* buffer, uint32_t n, Construct& construct) {
        uint32_t index = count;
        try {
            for (; index < n; ++index)
                construct(buffer + index, index);
        } catch (...) {
            std::destroy(buffer + count, buffer + index);
            throw;
        }
    }

    void freeAll() {
        std::destroy(elements, elements + count);
        if (elements)
            std::allocator<T>().deallocate(elements, capacity);
        elements = nullptr;
        count = capacity = 0;
    }

    uint32_t count = 0;
    uint32_t capacity = 0;
    uint32_t maximumStep = defaultMaximumStep;
    T* elements = nullptr;
};

} // namespace korvane::container
