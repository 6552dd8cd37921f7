#pragma once

#include <cstdint>

#include "container/List.h"
#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::application {

template <typename T> class Dispatcher;

/// The registration side of a listener interface T, which derives from Listener<T>. It remembers the
/// dispatchers it is registered with, so that whichever of the two is destroyed first leaves the other:
/// neither side holds a counted reference on the other. Used on one thread only.
template <typename T> class Listener : private object::Noncopyable {
public:
    // The dispatchers this listener is registered with, in registration order.
    const container::List<Dispatcher<T>*>& getDispatchers() const { return dispatchers; }

protected:
    Listener() = default;
    // Leaves every dispatcher this listener is still registered with.
    ~Listener() {
        while (auto* item = dispatchers.getFirst()) {
            Dispatcher<T>* dispatcher = item->value;
            dispatchers.remove(item);
            dispatcher->forget(registered);
        }
    }

private:
    friend class Dispatcher<T>;

    container::List<Dispatcher<T>*> dispatchers;
    // The listener as the dispatchers know it, kept so that no cast is needed once T is destroyed.
    T* registered = nullptr;
};

/// Keeps a list of listeners of interface T and calls them in registration order. A dispatch calls each
/// listener that was registered when it began and is still registered when its turn comes, once: a
/// listener may leave (or be destroyed) from inside a call, and one that registers again or newly
/// registers during a dispatch waits for the next dispatch, so that every dispatch ends. Dispatches may
/// nest. A listener may also drop the last reference to the dispatcher while it is dispatching. Neither
/// side owns the other; used on one thread only.
template <typename T> class Dispatcher : public object::Object, private object::Noncopyable {
public:
    Dispatcher() = default;
    // Removes itself from every registered listener.
    ~Dispatcher() override {
        while (auto* item = listeners.getFirst()) {
            T* listener = item->value.listener;
            listeners.remove(item);
            static_cast<Listener<T>*>(listener)->dispatchers.removeValue(this);
        }
    }

    // Appends listener unless it is registered already. False for null or a repeated registration.
    bool addListener(T* listener) {
        if (!listener || locate(listener))
            return false;
        Listener<T>* side = listener;
        auto* item = listeners.append(Entry{listener, dispatches});
        try {
            side->dispatchers.append(this);
        } catch (...) {
            listeners.remove(item);
            throw;
        }
        side->registered = listener;
        return true;
    }

    // Unregisters listener on both sides. False when it was not registered.
    bool removeListener(T* listener) {
        if (!listener || !forget(listener))
            return false;
        static_cast<Listener<T>*>(listener)->dispatchers.removeValue(this);
        return true;
    }

    bool hasListener(T* listener) const { return locate(listener) != nullptr; }
    uint32_t getListenerCount() const { return listeners.getCount(); }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Dispatcher");
    }

protected:
    // Calls call(listener) for every listener registered before this dispatch began, in registration
    // order.
    template <typename Call> void dispatch(Call&& call) {
        // Keeps the dispatcher alive should a listener release it, and unlinks the cursor however the
        // loop ends.
        struct Guard {
            Dispatcher* owner;
            Cursor cursor;
            explicit Guard(Dispatcher* owner) : owner(owner), cursor{nullptr, owner->cursors} {
                owner->addReference();
                owner->cursors = &cursor;
            }
            ~Guard() {
                owner->cursors = cursor.outer;
                owner->release();
            }
        } guard(this);
        // Entries stamped with this number or a later one were added after the dispatch began.
        const uint64_t serial = ++dispatches;
        for (Item* item = listeners.getFirst(); item; item = guard.cursor.next) {
            guard.cursor.next = listeners.getNext(item);
            if (item->value.added < serial)
                call(item->value.listener);
        }
    }

private:
    friend class Listener<T>;

    struct Entry {
        T* listener;
        // The number of dispatches begun when the listener was added.
        uint64_t added;
    };
    using Item = typename container::List<Entry>::Item;

    // The item a running dispatch visits next; dispatches may nest, so the cursors form a stack.
    struct Cursor {
        Item* next;
        Cursor* outer;
    };

    Item* locate(T* listener) const {
        for (Item* item = listeners.getFirst(); item; item = listeners.getNext(item))
            if (item->value.listener == listener)
                return item;
        return nullptr;
    }

    // Removes listener from this side only, stepping any running dispatch past it.
    bool forget(T* listener) {
        Item* item = locate(listener);
        if (!item)
            return false;
        for (Cursor* cursor = cursors; cursor; cursor = cursor->outer)
            if (cursor->next == item)
                cursor->next = listeners.getNext(item);
        listeners.remove(item);
        return true;
    }

    container::List<Entry> listeners;
    Cursor* cursors = nullptr;
    uint64_t dispatches = 0;
};

} // namespace korvane::application
