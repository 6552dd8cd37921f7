#pragma once

#include <cstdint>

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::container {

template <typename T> class Chain;

namespace detail {
/// Element types that carry a reference count (every Object) are held by the chain with a counted
/// reference; plain records (message parameters) are merely linked.
template <typename T>
concept Counted = requires(T* element) {
    element->addReference();
    element->release();
};
} // namespace detail

/// The link a class inherits (publicly) to be an element of a Chain<T>. A class may inherit several
/// Chainable<X> for different X; the chain finds the element from its link with a static_cast.
/// An element destroyed while still linked unlinks itself from its chain.
template <typename T> class Chainable {
public:
    Chainable() = default;
    /// A copy of an element is a new, unlinked element.
    Chainable(const Chainable&) {}
    Chainable& operator=(const Chainable&) { return *this; }
    ~Chainable();

    /// The chain this element is linked into, or null.
    Chain<T>* getChain() const { return chain; }

private:
    friend class Chain<T>;

    Chain<T>* chain = nullptr;
    Chainable* next = nullptr;
    Chainable* previous = nullptr;
};

/// An intrusive doubly linked chain of elements in insertion order. The links live inside the elements, so
/// the chain never allocates. The chain holds a counted reference to every element it links.
/// Not locked: the owner of the chain guards it when threads share it.
template <typename T> class Chain : public object::Object, private object::Noncopyable {
public:
    class Iterator {
    public:
        explicit Iterator(Chainable<T>* link) : link(link) {}
        T* operator*() const { return static_cast<T*>(link); }
        Iterator& operator++() {
            link = link->next;
            return *this;
        }
        bool operator==(const Iterator&) const = default;

    private:
        Chainable<T>* link;
    };

    Chain() { sentinel.next = sentinel.previous = &sentinel; }
    ~Chain() override { clear(); }

    /// Links the element at the end and adds a reference to it. Returns false and changes nothing for a
    /// null element or one that is already linked into a chain (this one or another).
    bool append(T* element) {
        if (!element)
            return false;
        Chainable<T>* link = element;
        if (link->chain)
            return false;
        link->chain = this;
        link->next = &sentinel;
        link->previous = sentinel.previous;
        sentinel.previous->next = link;
        sentinel.previous = link;
        ++count;
        if constexpr (detail::Counted<T>)
            element->addReference();
        return true;
    }

    /// Unlinks the element and releases the chain's reference to it (which may destroy it). Returns false
    /// and changes nothing if the element is not in this chain.
    bool remove(T* element) {
        if (!contains(element))
            return false;
        unlink(element);
        if constexpr (detail::Counted<T>)
            element->release();
        return true;
    }

    /// Unlinks and releases every element, first to last. Elements whose destruction changes this chain
    /// are handled: the first remaining element is taken afresh each time.
    void clear() {
        while (sentinel.next != &sentinel) {
            T* element = static_cast<T*>(sentinel.next);
            unlink(element);
            if constexpr (detail::Counted<T>)
                element->release();
        }
    }

    bool contains(const T* element) const {
        return element && static_cast<const Chainable<T>*>(element)->chain == this;
    }

    T* getFirst() const { return elementOf(sentinel.next); }
    T* getLast() const { return elementOf(sentinel.previous); }
    /// The neighbours of an element of this chain; null at either end.
    T* getNext(const T* element) const { return elementOf(static_cast<const Chainable<T>*>(element)->next); }
    T* getPrevious(const T* element) const {
        return elementOf(static_cast<const Chainable<T>*>(element)->previous);
    }

    /// Iteration in insertion order. Removing the current element invalidates the iterator; walk with
    /// getFirst()/getNext() (taking the successor first) to remove while walking.
    Iterator begin() const { return Iterator(sentinel.next); }
    Iterator end() const { return Iterator(const_cast<Chainable<T>*>(&sentinel)); }

    uint32_t getCount() const { return count; }
    bool isEmpty() const { return count == 0; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Chain");
    }

private:
    friend class Chainable<T>;

    T* elementOf(Chainable<T>* link) const { return link == &sentinel ? nullptr : static_cast<T*>(link); }

    // Takes a link out of the chain and clears its three fields; no reference changes.
    void unlink(Chainable<T>* link) {
        link->previous->next = link->next;
        link->next->previous = link->previous;
        link->chain = nullptr;
        link->next = link->previous = nullptr;
        --count;
    }

    // The sentinel's chain stays null: it is never an element, and its own destruction must not unlink it.
    mutable Chainable<T> sentinel;
    uint32_t count = 0;
};

template <typename T> Chainable<T>::~Chainable() {
    // Destroyed by another route while still linked: leave the chain without touching the reference
    // count, which is gone with the element.
    if (chain)
        chain->unlink(this);
}

} // namespace korvane::container
