#pragma once

#include "container/List.h"
#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::application {

template <typename T> class Dispatcher;

// The registration side of a listener interface T, which derives from Listener<T>. It remembers the
// dispatchers it is registered with, so that whichever of the two is destroyed first leaves the other:
// neither side holds a counted reference on the other. Used on one thread only.
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

// Keeps a list of listeners of interface T and calls them in registration order. A listener may leave
// (or be destroyed) from inside a call; the dispatch then goes on with the listeners after it. A listener
// may also drop the last reference to the dispatcher while it is dispatching.
template <typename T> class Dispatcher : public object::Object, private object::Noncopyable {
public:
    Dispatcher() = default;
    // Removes itself from every registered listener.
    ~Dispatcher() override {
        while (auto* item = listeners.getFirst()) {
            T* listener = item->value;
            listeners.remove(item);
            static_cast<Listener<T>*>(listener)->dispatchers.removeValue(this);
        }
    }

    // Appends listener unless it is registered already. False for null or a repeated registration.
    bool addListener(T* listener) {
        if (!listener || listeners.find(listener))
            return false;
        Listener<T>* side = listener;
        auto* item = listeners.append(listener);
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

    bool hasListener(T* listener) const { return listeners.find(listener) != nullptr; }
    uint32_t getListenerCount() const { return listeners.getCount(); }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Dispatcher");
    }

protected:
    // Calls call(listener) for every listener, in registration order.
    template <typename Call> void dispatch(Call&& call) {
        using Item = typename container::List<T*>::Item;
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
        for (Item* item = listeners.getFirst(); item; item = guard.cursor.next) {
            guard.cursor.next = listeners.getNext(item);
            call(item->value);
        }
    }

private:
    friend class Listener<T>;

    // The item a running dispatch visits next; dispatches may nest, so the cursors form a stack.
    struct Cursor {
        typename container::List<T*>::Item* next;
        Cursor* outer;
    };

    // Removes listener from this side only, stepping any running dispatch past it.
    bool forget(T* listener) {
        auto* item = listeners.find(listener);
        if (!item)
            return false;
        for (Cursor* cursor = cursors; cursor; cursor = cursor->outer)
            if (cursor->next == item)
                cursor->next = listeners.getNext(item);
        listeners.remove(item);
        return true;
    }

    container::List<T*> listeners;
    Cursor* cursors = nullptr;
};

} // namespace korvane::application
