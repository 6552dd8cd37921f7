// Windows: window classes, the registry of live windows and the window functions every Unix backend
// answers alike; creating, showing, moving and destroying the windows themselves is the backend's.
#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/File.h"
#include "platform/unix/Backend.h"

namespace korvane::platform {

namespace {

struct ClassRegistry {
    std::mutex mutex;
    std::unordered_map<std::string, WindowClass> classes;
};

ClassRegistry& classRegistry() {
    static ClassRegistry* instance = new ClassRegistry;
    return *instance;
}

ThreadId ownerOf(WindowHandle handle) {
    WindowRegistry& registry = windowRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.windows.find(handle);
    return found == registry.windows.end() ? 0 : found->second;
}

using backend::onOwner;

bool moveWindow(WindowRecord* window, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
    if (flags & SWP_NOMOVE) {
        x = window->x;
        y = window->y;
    }
    if (flags & SWP_NOSIZE) {
        width = window->width;
        height = window->height;
    } else if (!window->parent && !(flags & SWP_NOSENDCHANGING)) {
        backend::applyMinMax(window, width, height);
        if (!backend::ownedWindow(window)) {
            return false;
        }
    }
    // An X window or a surface cannot be empty; Win32 allows it, so the smallest size stands in for zero.
    width = std::clamp(width, 1, 32767);
    height = std::clamp(height, 1, 32767);
    bool moved = x != window->x || y != window->y;
    bool sized = width != window->width || height != window->height;
    if (moved || sized) {
        window->x = x;
        window->y = y;
        window->width = width;
        window->height = height;
        backend::placeNative(window, moved, sized);
        if (sized && (window->classStyle & (CS_HREDRAW | CS_VREDRAW))) {
            backend::markWhole(window, true);
        }
        if (moved) {
            backend::callProcedure(window, WM_MOVE, 0, makeLParam(x, y));
        }
        if (sized && backend::ownedWindow(window)) {
            backend::callProcedure(window, WM_SIZE, SIZE_RESTORED, makeLParam(width, height));
        }
    }
    if (backend::ownedWindow(window) && (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) {
        backend::show(window, (flags & SWP_SHOWWINDOW) != 0);
    }
    return true;
}

// A window of the calling thread: its record, then what shows it, then WM_CREATE (parent: a window of the
// calling thread or null).
WindowHandle createRecord(const WindowClass& windowClass, const char* className, uint32_t exStyle,
                          const char* title, uint32_t style, int32_t x, int32_t y, int32_t width,
                          int32_t height, WindowRecord* parent, void* param) {
    backend::Connection* connection = backend::Connection::current();
    if (!connection) {
        return nullptr;
    }
    auto* window = new WindowRecord;
    window->thread = currentThreadId();
    window->connection = connection;
    window->parent = parent;
    window->procedure = windowClass.procedure;
    window->extra.assign(static_cast<size_t>(std::max(0, windowClass.windowExtra)), 0);
    window->classStyle = windowClass.style;
    window->style = style & ~WS_VISIBLE;
    window->exStyle = exStyle;
    window->title = title ? title : "";
    window->x = x == CW_USEDEFAULT ? 0 : x;
    window->y = y == CW_USEDEFAULT ? 0 : y;
    window->width = width == CW_USEDEFAULT ? 640 : width;
    window->height = height == CW_USEDEFAULT ? 480 : height;
    window->needSize = !parent;
    window->dc.window = window;
    {
        WindowRegistry& registry = windowRegistry();
        std::lock_guard lock(registry.mutex);
        registry.windows[window] = window->thread;
        registry.deviceContexts[&window->dc] = window;
    }
    if (!parent) {
        // Asked before WM_CREATE, as on Win32: the procedure does not know its window yet.
        backend::applyMinMax(window, window->width, window->height);
    }
    window->width = std::clamp(window->width, 1, 32767);
    window->height = std::clamp(window->height, 1, 32767);
    if (!backend::createNative(window)) {
        WindowRegistry& registry = windowRegistry();
        std::lock_guard lock(registry.mutex);
        registry.windows.erase(window);
        registry.deviceContexts.erase(&window->dc);
        delete window;
        return nullptr;
    }
    connection->addWindow(window);
    if (parent) {
        parent->children.push_back(window);
    }

    CreateStruct create;
    create.createParams = param;
    create.parent = parent;
    create.x = window->x;
    create.y = window->y;
    create.width = window->width;
    create.height = window->height;
    create.style = style;
    create.name = title;
    create.className = className;
    create.exStyle = exStyle;
    if (backend::callProcedure(window, WM_CREATE, 0, reinterpret_cast<LParam>(&create)) == -1) {
        if (backend::ownedWindow(window)) {
            backend::destroy(window);
        }
        return nullptr;
    }
    if (parent && backend::ownedWindow(window)) {
        backend::callProcedure(window, WM_SIZE, SIZE_RESTORED, makeLParam(window->width, window->height));
        if (backend::ownedWindow(window)) {
            backend::callProcedure(window, WM_MOVE, 0, makeLParam(window->x, window->y));
        }
    }
    if ((style & WS_VISIBLE) && backend::ownedWindow(window)) {
        backend::show(window, true);
    }
    if (backend::ownedWindow(window)) {
        connection->flush();
    }
    return backend::ownedWindow(window) ? window : nullptr;
}

} // namespace

WindowRegistry& windowRegistry() {
    static WindowRegistry* instance = new WindowRegistry;
    return *instance;
}

WindowRecord* backend::ownedWindow(WindowHandle handle) {
    return ownerOf(handle) == currentThreadId() && handle ? handle : nullptr;
}

Result backend::callProcedure(WindowRecord* window, uint32_t message, WParam wParam, LParam lParam) {
    return window->procedure ? window->procedure(window, message, wParam, lParam)
                             : defWindowProc(window, message, wParam, lParam);
}

bool backend::isViewable(const WindowRecord* window) {
    for (; window; window = window->parent) {
        if (!window->visible) {
            return false;
        }
    }
    return true;
}

void backend::applyMinMax(WindowRecord* window, int32_t& width, int32_t& height) {
    MinMaxInfo info;
    info.minTrackSize = {1, 1};
    info.maxTrackSize = {32767, 32767};
    callProcedure(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
    width = std::max(width, info.minTrackSize.x);
    height = std::max(height, info.minTrackSize.y);
    if (info.maxTrackSize.x >= info.minTrackSize.x) {
        width = std::min(width, info.maxTrackSize.x);
    }
    if (info.maxTrackSize.y >= info.minTrackSize.y) {
        height = std::min(height, info.maxTrackSize.y);
    }
}

void backend::markDestroying(WindowRecord* window) {
    window->destroying = true;
    for (WindowRecord* child : window->children) {
        markDestroying(child);
    }
}

void backend::sendDestroy(WindowRecord* window) {
    backend::releaseIfCurrent(window);
    backend::callProcedure(window, WM_DESTROY, 0, 0);
    std::vector<WindowRecord*> children = window->children;
    for (WindowRecord* child : children) {
        sendDestroy(child);
    }
}

bool registerClass(const WindowClass& windowClass) {
    if (!windowClass.name || !*windowClass.name || !windowClass.procedure || windowClass.windowExtra < 0) {
        return false;
    }
    ClassRegistry& registry = classRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.classes.emplace(windowClass.name, windowClass).second;
}

bool unregisterClass(const char* name) {
    ClassRegistry& registry = classRegistry();
    std::lock_guard lock(registry.mutex);
    return name && registry.classes.erase(name) > 0;
}

WindowHandle createWindow(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                          int32_t x, int32_t y, int32_t width, int32_t height, WindowHandle parent,
                          void* param) {
    WindowClass windowClass;
    {
        ClassRegistry& registry = classRegistry();
        std::lock_guard lock(registry.mutex);
        auto found = className ? registry.classes.find(className) : registry.classes.end();
        if (found == registry.classes.end()) {
            setLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        windowClass = found->second;
    }
    if (!(style & WS_CHILD)) {
        parent = nullptr; // an owner window is not kept: there is no owner relation
    } else if (!parent) {
        return nullptr;
    }
    if (!parent) {
        return createRecord(windowClass, className, exStyle, title, style, x, y, width, height, nullptr,
                            param);
    }
    return onOwner(parent, WindowHandle(nullptr), [&](WindowRecord* owner) {
        return createRecord(windowClass, className, exStyle, title, style, x, y, width, height, owner, param);
    });
}

bool destroyWindow(WindowHandle window) {
    return onOwner(window, false, backend::destroy);
}

bool isWindow(WindowHandle window) {
    return ownerOf(window) != 0;
}

WindowHandle getParent(WindowHandle window) {
    return onOwner(window, WindowHandle(nullptr), [](WindowRecord* w) { return w->parent; });
}

ThreadId getWindowThreadId(WindowHandle window) {
    return ownerOf(window);
}

bool showWindow(WindowHandle window, int command) {
    return onOwner(window, false,
                   [command](WindowRecord* w) { return backend::show(w, command != SW_HIDE); });
}

bool isWindowVisible(WindowHandle window) {
    return onOwner(window, false, [](WindowRecord* w) { return backend::isViewable(w); });
}

bool setWindowPos(WindowHandle window, WindowHandle, int32_t x, int32_t y, int32_t width, int32_t height,
                  uint32_t flags) {
    return onOwner(window, false, [=](WindowRecord* w) { return moveWindow(w, x, y, width, height, flags); });
}

bool getClientRect(WindowHandle window, Rect& rect) {
    return onOwner(window, false, [&rect](WindowRecord* w) {
        rect = Rect{0, 0, w->width, w->height};
        return true;
    });
}

// Screen coordinates are the X server's, or under Wayland, which tells no client where the compositor shows
// its windows, those of the program's own screen, on which a top-level window stands where the program last
// placed it.
bool clientToScreen(WindowHandle window, Point& point) {
    return onOwner(window, false, [&point](WindowRecord* w) {
        for (; w; w = w->parent) {
            point.x += w->x;
            point.y += w->y;
        }
        return true;
    });
}

bool screenToClient(WindowHandle window, Point& point) {
    return onOwner(window, false, [&point](WindowRecord* w) {
        for (; w; w = w->parent) {
            point.x -= w->x;
            point.y -= w->y;
        }
        return true;
    });
}

bool getWindowRect(WindowHandle window, Rect& rect) {
    return onOwner(window, false, [&rect](WindowRecord* w) {
        Point origin;
        clientToScreen(w, origin);
        rect = Rect{origin.x, origin.y, origin.x + w->width, origin.y + w->height};
        return true;
    });
}

bool adjustWindowRectEx(Rect&, uint32_t, bool, uint32_t) {
    return true;
}

} // namespace korvane::platform
