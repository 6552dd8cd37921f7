// Painting: update regions, the paint cycle and the default window procedure.
#include <algorithm>
#include <mutex>

#include "platform/unix/Backend.h"

namespace korvane::platform {

namespace {

using backend::onOwner;

void unionRect(Rect& into, const Rect& rect) {
    into.left = std::min(into.left, rect.left);
    into.top = std::min(into.top, rect.top);
    into.right = std::max(into.right, rect.right);
    into.bottom = std::max(into.bottom, rect.bottom);
}

} // namespace

bool backend::clippedUpdate(WindowRecord* window, Rect& rect) {
    if (!window->dirty) {
        return false;
    }
    Rect client{0, 0, window->width, window->height};
    if (window->dirtyWhole) {
        rect = client;
    } else {
        rect.left = std::max(window->dirtyRect.left, 0);
        rect.top = std::max(window->dirtyRect.top, 0);
        rect.right = std::min(window->dirtyRect.right, client.right);
        rect.bottom = std::min(window->dirtyRect.bottom, client.bottom);
    }
    return rect.left < rect.right && rect.top < rect.bottom;
}

void backend::markWhole(WindowRecord* window, bool erase) {
    std::lock_guard lock(windowRegistry().mutex);
    window->dirty = true;
    window->dirtyWhole = true;
    window->erase = window->erase || erase;
}

bool backend::nextPaintOf(const std::vector<WindowRecord*>& windows, size_t& cursor, Msg& msg) {
    WindowRegistry& registry = windowRegistry();
    std::lock_guard lock(registry.mutex);
    // Round robin, so that a window invalidated over and over cannot starve the others.
    for (size_t i = 0; i < windows.size(); ++i) {
        size_t index = (cursor + i) % windows.size();
        WindowRecord* window = windows[index];
        if (!window->dirty || !isViewable(window)) {
            continue;
        }
        Rect rect;
        if (!clippedUpdate(window, rect)) {
            window->dirty = false;
            continue;
        }
        cursor = index + 1;
        msg = Msg{window, WM_PAINT, 0, 0};
        return true;
    }
    return false;
}

bool updateWindow(WindowHandle window) {
    return onOwner(window, false, [](WindowRecord* w) {
        bool dirty;
        {
            std::lock_guard lock(windowRegistry().mutex);
            Rect rect;
            dirty = backend::isViewable(w) && backend::clippedUpdate(w, rect);
        }
        if (dirty) {
            backend::callProcedure(w, WM_PAINT, 0, 0);
        }
        return true;
    });
}

bool invalidateRect(WindowHandle window, const Rect* rect, bool erase) {
    ThreadId owner;
    {
        WindowRegistry& registry = windowRegistry();
        std::lock_guard lock(registry.mutex);
        auto found = registry.windows.find(window);
        if (found == registry.windows.end()) {
            return false;
        }
        owner = found->second;
        if (!rect) {
            window->dirtyWhole = true;
        } else if (!window->dirty) {
            window->dirtyRect = *rect;
        } else {
            unionRect(window->dirtyRect, *rect);
        }
        window->dirty = true;
        window->erase = window->erase || erase;
    }
    if (owner != currentThreadId()) {
        if (auto queue = detail::findQueue(owner)) {
            queue->wake();
        }
    }
    return true;
}

bool validateRect(WindowHandle window, const Rect* rect) {
    return onOwner(window, false, [rect](WindowRecord* w) {
        std::lock_guard lock(windowRegistry().mutex);
        Rect dirty;
        if (!rect || !backend::clippedUpdate(w, dirty) ||
            (rect->left <= dirty.left && rect->top <= dirty.top && rect->right >= dirty.right &&
             rect->bottom >= dirty.bottom)) {
            w->dirty = w->dirtyWhole = w->erase = false;
        }
        return true;
    });
}

bool getUpdateRect(WindowHandle window, Rect* rect) {
    return onOwner(window, false, [rect](WindowRecord* w) {
        std::lock_guard lock(windowRegistry().mutex);
        Rect dirty;
        bool any = backend::clippedUpdate(w, dirty);
        if (rect) {
            *rect = any ? dirty : Rect{};
        }
        return any;
    });
}

DeviceContext beginPaint(WindowHandle window, PaintStruct& paint) {
    return onOwner(window, DeviceContext(nullptr), [&paint](WindowRecord* w) {
        bool erase;
        {
            std::lock_guard lock(windowRegistry().mutex);
            if (!backend::clippedUpdate(w, paint.paint)) {
                paint.paint = Rect{};
            }
            erase = w->erase;
            w->dirty = w->dirtyWhole = w->erase = false;
        }
        paint.dc = &w->dc;
        paint.erase =
            erase && backend::callProcedure(w, WM_ERASEBKGND, reinterpret_cast<WParam>(&w->dc), 0) == 0;
        return &w->dc;
    });
}

bool endPaint(WindowHandle window, const PaintStruct&) {
    return isWindow(window);
}

Result defWindowProc(WindowHandle window, uint32_t message, WParam, LParam) {
    switch (message) {
    case WM_CLOSE:
        destroyWindow(window);
        return 0;
    case WM_PAINT: {
        PaintStruct paint;
        beginPaint(window, paint);
        endPaint(window, paint);
        return 0;
    }
    default:
        return 0;
    }
}

} // namespace korvane::platform
