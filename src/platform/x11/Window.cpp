#include <X11/Xatom.h>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/File.h"
#include "platform/unix/Backend.h"

namespace korvane::platform {

namespace {

constexpr long eventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                           ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                           LeaveWindowMask;
constexpr long topLevelEventMask = eventMask | FocusChangeMask;

using x11::onOwner;

void setNormalHints(x11::Connection& connection, WindowRecord* window, bool position) {
    XSizeHints* hints = XAllocSizeHints();
    if (!hints) {
        return;
    }
    MinMaxInfo info;
    info.minTrackSize = {1, 1};
    info.maxTrackSize = {32767, 32767};
    x11::callProcedure(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
    hints->flags = PMinSize | PMaxSize | (position ? PPosition : 0);
    hints->x = window->x;
    hints->y = window->y;
    hints->min_width = std::max(1, info.minTrackSize.x);
    hints->min_height = std::max(1, info.minTrackSize.y);
    hints->max_width = std::max(hints->min_width, info.maxTrackSize.x);
    hints->max_height = std::max(hints->min_height, info.maxTrackSize.y);
    XSetWMNormalHints(connection.display, window->xwindow, hints);
    XFree(hints);
}

// Creates the X window of a record (the record's geometry, parent and visibility are set). A request the
// server refuses (a parent that another client destroyed, a visual the parent cannot hold) fails the
// creation with the Win32 code of the error in the last-error slot.
bool createXWindow(x11::Connection& connection, WindowRecord* window, XVisualInfo* visual) {
    Display* display = connection.display;
    x11::ErrorTrap trap(display);
    XSetWindowAttributes attributes{};
    unsigned long mask = CWBackPixmap | CWBorderPixel | CWEventMask | CWBitGravity;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = window->parent ? eventMask : topLevelEventMask;
    ::Window parent = window->parent ? window->parent->xwindow : connection.root;
    int depth = CopyFromParent;
    Visual* xvisual = CopyFromParent;
    if (visual) {
        window->colormap = XCreateColormap(display, connection.root, visual->visual, AllocNone);
        attributes.colormap = window->colormap;
        mask |= CWColormap;
        depth = visual->depth;
        xvisual = visual->visual;
    }
    window->configureSerial = NextRequest(display);
    window->xwindow = XCreateWindow(
        display, parent, window->x, window->y, static_cast<unsigned>(window->width),
        static_cast<unsigned>(window->height), 0, depth, InputOutput, xvisual, mask, &attributes);
    if (window->xwindow && !window->parent) {
        XSetWMProtocols(display, window->xwindow, &connection.wmDeleteWindow, 1);
        x11::setTitle(connection, window);
    }
    XWindowAttributes actual{};
    uint32_t error = trap.lastError(visual ? ERROR_INVALID_PIXEL_FORMAT : ERROR_INVALID_PARAMETER);
    if (!error && (!window->xwindow || !XGetWindowAttributes(display, window->xwindow, &actual))) {
        error = ERROR_INVALID_PARAMETER;
    }
    if (error) {
        if (window->xwindow) {
            XDestroyWindow(display, window->xwindow);
            window->xwindow = 0;
        }
        if (window->colormap) {
            XFreeColormap(display, window->colormap);
            window->colormap = 0;
        }
        trap.check();
        setLastError(error);
        return false;
    }
    window->visual = XVisualIDFromVisual(actual.visual);
    return true;
}

void markWhole(WindowRecord* window, bool erase) {
    std::lock_guard lock(windowRegistry().mutex);
    window->dirty = true;
    window->dirtyWhole = true;
    window->erase = window->erase || erase;
}

} // namespace

namespace x11 {

bool show(WindowRecord* window, bool visible) {
    bool was = window->visible;
    if (visible == was) {
        return was;
    }
    x11::Connection& connection = *window->connection;
    window->visible = visible;
    if (visible) {
        window->style |= WS_VISIBLE;
        if (window->needSize) {
            window->needSize = false;
            x11::callProcedure(window, WM_SIZE, SIZE_RESTORED, makeLParam(window->width, window->height));
            if (!x11::ownedWindow(window)) {
                return was;
            }
            x11::callProcedure(window, WM_MOVE, 0, makeLParam(window->x, window->y));
            if (!x11::ownedWindow(window)) {
                return was;
            }
        }
        if (!window->parent) {
            setNormalHints(connection, window, true);
            if (!x11::ownedWindow(window)) {
                return was;
            }
        }
        XMapWindow(connection.display, window->xwindow);
        markWhole(window, true);
        if (!window->parent) {
            // Showing activates a top-level window, as on Win32; the focus change reports WM_ACTIVATE.
            XSetInputFocus(connection.display, window->xwindow, RevertToParent, CurrentTime);
        }
    } else {
        window->style &= ~WS_VISIBLE;
        XUnmapWindow(connection.display, window->xwindow);
    }
    XFlush(connection.display);
    return was;
}

namespace {

void markDestroying(WindowRecord* window) {
    window->destroying = true;
    for (WindowRecord* child : window->children) {
        markDestroying(child);
    }
}

// WM_DESTROY to the window, then to its descendants. The whole tree is marked first, so a procedure
// that destroys one of them meanwhile changes nothing.
void sendDestroy(WindowRecord* window) {
    x11::releaseIfCurrent(window);
    x11::callProcedure(window, WM_DESTROY, 0, 0);
    std::vector<WindowRecord*> children = window->children;
    for (WindowRecord* child : children) {
        sendDestroy(child);
    }
}

void freeTree(x11::Connection& connection, WindowRecord* window) {
    for (WindowRecord* child : window->children) {
        freeTree(connection, child);
    }
    window->children.clear();
    {
        WindowRegistry& registry = windowRegistry();
        std::lock_guard lock(registry.mutex);
        registry.windows.erase(window);
        registry.deviceContexts.erase(&window->dc);
    }
    connection.removeWindow(window);
    if (window->colormap) {
        XFreeColormap(connection.display, window->colormap);
    }
    delete window;
}

} // namespace

bool destroy(WindowRecord* window) {
    if (window->destroying) {
        return false;
    }
    markDestroying(window);
    x11::Connection& connection = *window->connection;
    if (window->visible) {
        XUnmapWindow(connection.display, window->xwindow);
    }
    sendDestroy(window);
    x11::callProcedure(window, WM_NCDESTROY, 0, 0);
    XDestroyWindow(connection.display, window->xwindow);
    if (window->parent) {
        auto& siblings = window->parent->children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), window));
        window->parent = nullptr;
    }
    freeTree(connection, window);
    connection.closeIfUnused();
    return true;
}

bool move(WindowRecord* window, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
    x11::Connection& connection = *window->connection;
    if (flags & SWP_NOMOVE) {
        x = window->x;
        y = window->y;
    }
    if (flags & SWP_NOSIZE) {
        width = window->width;
        height = window->height;
    } else if (!window->parent && !(flags & SWP_NOSENDCHANGING)) {
        x11::applyMinMax(window, width, height);
        if (!x11::ownedWindow(window)) {
            return false;
        }
    }
    // X windows cannot be empty; Win32 allows it, so the smallest size stands in for zero.
    width = std::clamp(width, 1, 32767);
    height = std::clamp(height, 1, 32767);
    bool moved = x != window->x || y != window->y;
    bool sized = width != window->width || height != window->height;
    if (moved || sized) {
        window->configureSerial = NextRequest(connection.display);
        XMoveResizeWindow(connection.display, window->xwindow, x, y, static_cast<unsigned>(width),
                          static_cast<unsigned>(height));
        XFlush(connection.display);
        window->x = x;
        window->y = y;
        window->width = width;
        window->height = height;
        if (sized && (window->classStyle & (CS_HREDRAW | CS_VREDRAW))) {
            markWhole(window, true);
        }
        if (moved) {
            x11::callProcedure(window, WM_MOVE, 0, makeLParam(x, y));
        }
        if (sized && x11::ownedWindow(window)) {
            x11::callProcedure(window, WM_SIZE, SIZE_RESTORED, makeLParam(width, height));
        }
    }
    if (x11::ownedWindow(window) && (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) {
        show(window, (flags & SWP_SHOWWINDOW) != 0);
    }
    return true;
}

WindowHandle create(const WindowClass& windowClass, const char* className, uint32_t exStyle,
                    const char* title, uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                    WindowRecord* parent, void* param) {
    x11::Connection* connection = x11::Connection::current();
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
        x11::applyMinMax(window, window->width, window->height);
    }
    window->width = std::clamp(window->width, 1, 32767);
    window->height = std::clamp(window->height, 1, 32767);
    if (!createXWindow(*connection, window, nullptr)) {
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
    if (x11::callProcedure(window, WM_CREATE, 0, reinterpret_cast<LParam>(&create)) == -1) {
        if (x11::ownedWindow(window)) {
            destroy(window);
        }
        return nullptr;
    }
    if (parent && x11::ownedWindow(window)) {
        x11::callProcedure(window, WM_SIZE, SIZE_RESTORED, makeLParam(window->width, window->height));
        if (x11::ownedWindow(window)) {
            x11::callProcedure(window, WM_MOVE, 0, makeLParam(window->x, window->y));
        }
    }
    if ((style & WS_VISIBLE) && x11::ownedWindow(window)) {
        show(window, true);
    }
    return x11::ownedWindow(window) ? window : nullptr;
}

bool recreateWindow(WindowRecord* window, XVisualInfo* visual) {
    Connection& connection = *window->connection;
    ::Window old = window->xwindow;
    Colormap oldColormap = window->colormap;
    window->colormap = 0;
    if (!createXWindow(connection, window, visual)) {
        window->xwindow = old;
        window->colormap = oldColormap;
        return false;
    }
    for (WindowRecord* child : window->children) {
        XReparentWindow(connection.display, child->xwindow, window->xwindow, child->x, child->y);
    }
    connection.remap(old, window->xwindow, window);
    if (window->visible) {
        XMapWindow(connection.display, window->xwindow);
    }
    XDestroyWindow(connection.display, old);
    if (oldColormap) {
        XFreeColormap(connection.display, oldColormap);
    }
    XFlush(connection.display);
    markWhole(window, true);
    return true;
}

} // namespace x11

const char* describeWindowRequirements() {
    return "no X display or no OpenGL/GLX";
}

} // namespace korvane::platform
