#pragma once

#include <cstdint>

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::container {

/// An intrusive double-ended queue. The element type carries the links itself, as accessible fields:
///   Queue<T>* queue;  T* next (towards the back);  T* previous (towards the front);
/// Linking an element counts as a reference to it: the queue increments the element's `references` field
/// if it has one, otherwise calls its addReference(). popFront() hands that reference to the caller; the
/// destructor gives back the references of the elements still queued by calling their release().
/// Not locked: the owner guards the queue when threads share it.
template <typename T> class Queue : public object::Object, private object::Noncopyable {
public:
    Queue() = default;
    ~Queue() override {
        while (T* element = popFront())
            element->release();
    }

    /// Links the element at the back. Returns false and changes nothing for a null element or one that is
    /// already in a queue.
    bool pushBack(T* element) {
        if (!element || element->queue)
            return false;
        element->queue = this;
        element->next = nullptr;
        element->previous = back;
        if (back)
            back->next = element;
        else
            front = element;
        back = element;
        linked(element);
        return true;
    }

    /// Links the element at the front, with the same conditions as pushBack().
    bool pushFront(T* element) {
        if (!element || element->queue)
            return false;
        element->queue = this;
        element->previous = nullptr;
        element->next = front;
        if (front)
            front->previous = element;
        else
            back = element;
        front = element;
        linked(element);
        return true;
    }

    /// Unlinks and returns the front element, or null when the queue is empty. The element's reference
    /// count is left as it is: the queue's reference passes to the caller.
    T* popFront() {
        T* element = front;
        if (element)
            unlink(element);
        return element;
    }

    /// Unlinks an element from anywhere in this queue, reference count unchanged. Returns false if the
    /// element is not in this queue.
    bool remove(T* element) {
        if (!element || element->queue != this)
            return false;
        unlink(element);
        return true;
    }

    T* getFront() const { return front; }
    T* getBack() const { return back; }
    uint32_t getCount() const { return count; }
    bool isEmpty() const { return count == 0; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Queue");
    }

private:
    void linked(T* element) {
        if constexpr (requires { element->references += 1; })
            element->references += 1;
        else
            element->addReference();
        ++count;
    }

    void unlink(T* element) {
        if (element->previous)
            element->previous->next = element->next;
        else
            front = element->next;
        if (element->next)
            element->next->previous = element->previous;
        else
            back = element->previous;
        element->queue = nullptr;
        element->next = element->previous = nullptr;
        --count;
    }

    T* front = nullptr;
    T* back = nullptr;
    uint32_t count = 0;
};

} // namespace korvane::container
