#pragma once

#include <cstdint>
#include <utility>

#include "container/Allocator.h"
#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::container {

namespace detail {
struct ListLinks {
    ListLinks* next = nullptr;
    ListLinks* previous = nullptr;
};
} // namespace detail

/// The node of a List: its links and the stored value.
template <typename T> struct ListItem : detail::ListLinks {
    template <typename... Args>
    explicit ListItem(std::in_place_t, Args&&... args) : value(std::forward<Args>(args)...) {}

    T value;
};

/// The pool a List takes its items from, N items per block.
template <typename T, uint32_t N> class ListAllocator : public Allocator<ListItem<T>, N> {
public:
    types::String getClassPath() const override {
        return types::String::concat(Allocator<ListItem<T>, N>::getClassPath(), ":ListAllocator");
    }
};

/// A doubly linked list of values in insertion order, with items from a block pool: after the first block,
/// appending and removing cost no heap allocation.
/// Not locked: a list is used by one thread at a time.
template <typename T, typename A = ListAllocator<T, 64>>
class List : public object::Object, private object::Noncopyable {
public:
    using Item = ListItem<T>;

    template <typename Value> class BasicIterator {
    public:
        explicit BasicIterator(detail::ListLinks* link) : link(link) {}
        Value& operator*() const { return static_cast<Item*>(link)->value; }
        Value* operator->() const { return &static_cast<Item*>(link)->value; }
        BasicIterator& operator++() {
            link = link->next;
            return *this;
        }
        bool operator==(const BasicIterator&) const = default;
        Item* getItem() const { return static_cast<Item*>(link); }

    private:
        detail::ListLinks* link;
    };
    using Iterator = BasicIterator<T>;
    using ConstIterator = BasicIterator<const T>;

    List() { sentinel.next = sentinel.previous = &sentinel; }
    ~List() override { clear(); }

    /// Stores a value at the end and returns its item.
    Item* append(const T& value) { return emplace(value); }
    Item* append(T&& value) { return emplace(std::move(value)); }
    template <typename... Args> Item* emplace(Args&&... args) {
        Item* item = allocator.create(std::in_place, std::forward<Args>(args)...);
        item->next = &sentinel;
        item->previous = sentinel.previous;
        sentinel.previous->next = item;
        sentinel.previous = item;
        ++count;
        return item;
    }

    /// Unlinks an item of this list, destroys its value and gives the item back to the pool.
    void remove(Item* item) {
        if (!item)
            return;
        item->previous->next = item->next;
        item->next->previous = item->previous;
        --count;
        allocator.destroy(item);
    }

    /// Removes the first item holding an equal value; false if there is none.
    bool removeValue(const T& value) {
        Item* item = find(value);
        remove(item);
        return item != nullptr;
    }

    Item* find(const T& value) const {
        for (detail::ListLinks* link = sentinel.next; link != &sentinel; link = link->next)
            if (static_cast<Item*>(link)->value == value)
                return static_cast<Item*>(link);
        return nullptr;
    }

    void clear() {
        while (sentinel.next != &sentinel)
            remove(static_cast<Item*>(sentinel.next));
    }

    Item* getFirst() const { return itemOf(sentinel.next); }
    Item* getLast() const { return itemOf(sentinel.previous); }
    Item* getNext(const Item* item) const { return itemOf(item->next); }
    Item* getPrevious(const Item* item) const { return itemOf(item->previous); }

    /// Removing the current item invalidates an iterator; walk with getFirst()/getNext() to remove.
    Iterator begin() { return Iterator(sentinel.next); }
    Iterator end() { return Iterator(&sentinel); }
    ConstIterator begin() const { return ConstIterator(sentinel.next); }
    ConstIterator end() const { return ConstIterator(&sentinel); }

    uint32_t getCount() const { return count; }
    bool isEmpty() const { return count == 0; }
    const A& getAllocator() const { return allocator; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":List");
    }

private:
    Item* itemOf(detail::ListLinks* link) const {
        return link == &sentinel ? nullptr : static_cast<Item*>(link);
    }

    A allocator;
    mutable detail::ListLinks sentinel;
    uint32_t count = 0;
};

} // namespace korvane::container
