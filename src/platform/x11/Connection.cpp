#include <X11/XKBlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/File.h"
#include "platform/unix/Backend.h"

namespace korvane::platform::x11 {

namespace {

thread_local ErrorTrap* currentTrap = nullptr;

// An X server resets when its last client leaves and refuses connections meanwhile; a program that
// opens its first window just then retries for a moment instead of failing.
Display* openDisplay() {
    const char* name = std::getenv("DISPLAY");
    for (int attempt = 0;; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr)) {
            return display;
        }
        if (!name || !*name || attempt == 200) {
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The X server went away or closed the connection: nothing of the window system works any more and Xlib
// does not let the program go on. The process ends as after a failure on a worker thread (the message on
// standard output, exit code -1), at once: other threads may still be using the connection, so neither
// static destructors nor exit handlers may run.
int connectionLost(Display* display) {
    std::printf("The connection to the X server of display \"%s\" was lost.\n", DisplayString(display));
    std::fflush(stdout);
    std::_Exit(-1);
}

} // namespace

// Errors of requests on windows that another client or the server has already dropped are expected
// (e.g. focusing a window a window manager has not mapped yet); they must not end the process. Errors of
// requests made under a trap are recorded for it.
int trapError(Display* display, XErrorEvent* event) {
    for (ErrorTrap* trap = currentTrap; trap; trap = trap->outer) {
        if (trap->display == display && event->serial >= trap->firstRequest) {
            if (!trap->error) {
                trap->error = event->error_code;
            }
            break;
        }
    }
    return 0;
}

ErrorTrap::ErrorTrap(Display* display)
    : display(display), firstRequest(NextRequest(display)), outer(currentTrap) {
    currentTrap = this;
}

ErrorTrap::~ErrorTrap() {
    currentTrap = outer;
}

int ErrorTrap::check() {
    XSync(display, False);
    return error;
}

uint32_t ErrorTrap::lastError(uint32_t mismatch) {
    switch (check()) {
    case Success:
        return 0;
    case BadAlloc:
        return ERROR_NOT_ENOUGH_MEMORY;
    case BadMatch:
        return mismatch;
    case BadWindow:
    case BadDrawable:
        return ERROR_INVALID_WINDOW_HANDLE;
    case BadValue:
    case BadColor:
    case BadAtom:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_GEN_FAILURE;
    }
}

Connection* Connection::currentIfAny() {
    detail::ThreadQueue* queue = detail::currentQueueIfAny();
    return queue ? static_cast<Connection*>(queue->eventSource()) : nullptr;
}

Connection* Connection::current() {
    if (Connection* existing = currentIfAny()) {
        existing->closing = false;
        return existing;
    }
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        XSetErrorHandler(trapError);
        XSetIOErrorHandler(connectionLost);
    });
    Display* display = openDisplay();
    if (!display) {
        return nullptr;
    }
    auto connection = std::unique_ptr<Connection>(new Connection);
    connection->display = display;
    connection->screen = DefaultScreen(display);
    connection->root = RootWindow(display, connection->screen);
    connection->wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    connection->wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    connection->netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    connection->utf8String = XInternAtom(display, "UTF8_STRING", False);
    Bool supported = False;
    connection->detectableRepeat = XkbSetDetectableAutoRepeat(display, True, &supported) && supported;
    Connection* result = connection.get();
    detail::currentQueue().setEventSource(std::move(connection));
    return result;
}

Connection::~Connection() {
    destroyContexts(*this);
    WindowRegistry& registry = windowRegistry();
    {
        std::lock_guard lock(registry.mutex);
        for (WindowRecord* window : windows) {
            registry.windows.erase(window);
            registry.deviceContexts.erase(&window->dc);
        }
    }
    // The thread ends with windows left: they go quietly, their procedures are not called any more.
    for (WindowRecord* window : windows) {
        if (!window->parent) {
            XDestroyWindow(display, window->xwindow);
        }
        if (window->colormap) {
            XFreeColormap(display, window->colormap);
        }
    }
    for (WindowRecord* window : windows) {
        delete window;
    }
    XCloseDisplay(display);
}

void Connection::closeIfUnused() {
    if (!windows.empty()) {
        XFlush(display);
        return;
    }
    if (busy > 0) {
        closing = true;
        return;
    }
    detail::currentQueue().setEventSource(nullptr);
}

void Connection::addWindow(WindowRecord* window) {
    windows.push_back(window);
    byXid[window->xwindow] = window;
}

void Connection::removeWindow(WindowRecord* window) {
    windows.erase(std::find(windows.begin(), windows.end(), window));
    byXid.erase(window->xwindow);
    forget(window);
}

WindowRecord* Connection::find(::Window xwindow) const {
    auto found = byXid.find(xwindow);
    return found == byXid.end() ? nullptr : found->second;
}

void Connection::remap(::Window from, ::Window to, WindowRecord* window) {
    byXid.erase(from);
    byXid[to] = window;
}

bool Connection::nextInput(Msg& msg, bool remove) {
    ++busy;
    while (!closing && input.empty() && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        translate(event);
    }
    --busy;
    return takeInput(msg, remove);
}

bool Connection::nextPaint(Msg& msg) {
    return nextPaintOf(windows, paintCursor, msg);
}

bool Connection::readyToWait() {
    XFlush(display);
    return XEventsQueued(display, QueuedAlready) == 0;
}

} // namespace korvane::platform::x11
