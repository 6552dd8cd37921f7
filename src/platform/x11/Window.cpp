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
        x11::markWhole(window, true);
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
    x11::markDestroying(window);
    x11::Connection& connection = *window->connection;
    if (window->visible) {
        XUnmapWindow(connection.display, window->xwindow);
    }
    x11::sendDestroy(window);
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

bool createNative(WindowRecord* window) {
    return createXWindow(*window->connection, window, nullptr);
}

void placeNative(WindowRecord* window, bool, bool) {
    Connection& connection = *window->connection;
    window->configureSerial = NextRequest(connection.display);
    XMoveResizeWindow(connection.display, window->xwindow, window->x, window->y,
                      static_cast<unsigned>(window->width), static_cast<unsigned>(window->height));
    XFlush(connection.display);
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
    x11::markWhole(window, true);
    return true;
}

} // namespace x11

const char* describeWindowRequirements() {
    return "no X display or no OpenGL/GLX";
}

} // namespace korvane::platform
