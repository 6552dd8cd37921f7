#include <X11/XKBlib.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/File.h"
#include "platform/x11/X11Window.h"

namespace korvane::platform::x11 {

namespace {

thread_local ErrorTrap* currentTrap = nullptr;

uint32_t mouseKeys(unsigned int state) {
    uint32_t keys = 0;
    if (state & Button1Mask) {
        keys |= MK_LBUTTON;
    }
    if (state & Button2Mask) {
        keys |= MK_MBUTTON;
    }
    if (state & Button3Mask) {
        keys |= MK_RBUTTON;
    }
    if (state & ShiftMask) {
        keys |= MK_SHIFT;
    }
    if (state & ControlMask) {
        keys |= MK_CONTROL;
    }
    return keys;
}

uint32_t buttonKey(unsigned int button) {
    switch (button) {
    case Button1:
        return MK_LBUTTON;
    case Button2:
        return MK_MBUTTON;
    case Button3:
        return MK_RBUTTON;
    default:
        return 0;
    }
}

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
    std::erase_if(input, [window](const Input& item) { return item.msg.window == window; });
    if (lastKey.msg.window == window) {
        lastKey = Input{};
    }
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
    if (input.empty()) {
        return false;
    }
    msg = input.front().msg;
    if (remove) {
        Input item = input.front();
        input.pop_front();
        taken(item);
    }
    return true;
}

void Connection::taken(const Input& item) {
    const Msg& msg = item.msg;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        setKeyState(static_cast<int>(msg.wParam), msg.message == WM_KEYDOWN);
        if (item.sideKey) {
            setKeyState(item.sideKey, msg.message == WM_KEYDOWN);
        }
        lastKey = msg.message == WM_KEYDOWN ? item : Input{};
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        setKeyState(VK_LBUTTON, msg.message == WM_LBUTTONDOWN);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        setKeyState(VK_RBUTTON, msg.message == WM_RBUTTONDOWN);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        setKeyState(VK_MBUTTON, msg.message == WM_MBUTTONDOWN);
        break;
    default:
        break;
    }
}

void Connection::translateKey(const Msg& msg) {
    const Msg& key = lastKey.msg;
    if (msg.message != WM_KEYDOWN || key.message != WM_KEYDOWN || lastKey.character == 0 ||
        key.window != msg.window || key.wParam != msg.wParam || key.lParam != msg.lParam) {
        return;
    }
    input.push_front({Msg{msg.window, WM_CHAR, lastKey.character, msg.lParam}, 0, 0});
    lastKey = Input{};
}

bool Connection::nextPaint(Msg& msg) {
    WindowRegistry& registry = windowRegistry();
    std::lock_guard lock(registry.mutex);
    // Round robin, so that a window invalidated over and over cannot starve the others.
    for (size_t i = 0; i < windows.size(); ++i) {
        size_t index = (paintCursor + i) % windows.size();
        WindowRecord* window = windows[index];
        if (!window->dirty || !isViewable(window)) {
            continue;
        }
        Rect rect;
        if (!clippedUpdate(window, rect)) {
            window->dirty = false;
            continue;
        }
        paintCursor = index + 1;
        msg = Msg{window, WM_PAINT, 0, 0};
        return true;
    }
    return false;
}

bool Connection::readyToWait() {
    XFlush(display);
    return XEventsQueued(display, QueuedAlready) == 0;
}

void Connection::translate(XEvent& event) {
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    WindowRecord* window = find(event.xany.window);
    if (!window || window->destroying) {
        return;
    }
    switch (event.type) {
    case Expose: {
        const XExposeEvent& e = event.xexpose;
        std::lock_guard lock(windowRegistry().mutex);
        Rect rect{e.x, e.y, e.x + e.width, e.y + e.height};
        if (!window->dirty) {
            window->dirtyRect = rect;
        } else {
            window->dirtyRect.left = std::min(window->dirtyRect.left, rect.left);
            window->dirtyRect.top = std::min(window->dirtyRect.top, rect.top);
            window->dirtyRect.right = std::max(window->dirtyRect.right, rect.right);
            window->dirtyRect.bottom = std::max(window->dirtyRect.bottom, rect.bottom);
        }
        window->dirty = true;
        window->erase = true;
        break;
    }
    case ConfigureNotify:
        translateConfigure(window, event.xconfigure);
        break;
    case KeyPress:
    case KeyRelease:
        translateKeyEvent(window, event.xkey, event.type == KeyPress);
        break;
    case ButtonPress:
    case ButtonRelease: {
        const XButtonEvent& e = event.xbutton;
        bool press = event.type == ButtonPress;
        if (e.button == Button4 || e.button == Button5) {
            // Wheel notches arrive as press/release pairs; the press is the notch. Win32 reports the
            // pointer in screen coordinates here.
            if (press) {
                int delta = e.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA;
                input.push_back(
                    {Msg{window, WM_MOUSEWHEEL, makeWParam(static_cast<int32_t>(mouseKeys(e.state)), delta),
                         makeLParam(e.x_root, e.y_root)},
                     0, 0});
            }
            break;
        }
        uint32_t button = buttonKey(e.button);
        if (!button) {
            break;
        }
        // The X state is the one before the event; Win32 reports the one after it.
        uint32_t keys = mouseKeys(e.state);
        keys = press ? keys | button : keys & ~button;
        uint32_t message = 0;
        switch (button) {
        case MK_LBUTTON:
            message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            break;
        case MK_MBUTTON:
            message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            break;
        default:
            message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            break;
        }
        input.push_back({Msg{window, message, keys, makeLParam(e.x, e.y)}, 0, 0});
        break;
    }
    case MotionNotify: {
        // Like Win32, report only the latest position when several moves wait.
        XEvent next;
        if (XEventsQueued(display, QueuedAlready) > 0) {
            XPeekEvent(display, &next);
            if (next.type == MotionNotify && next.xmotion.window == event.xmotion.window &&
                next.xmotion.state == event.xmotion.state) {
                break;
            }
        }
        const XMotionEvent& e = event.xmotion;
        input.push_back({Msg{window, WM_MOUSEMOVE, mouseKeys(e.state), makeLParam(e.x, e.y)}, 0, 0});
        break;
    }
    case LeaveNotify: {
        // Moving onto a child window leaves the parent, as on Win32.
        const XCrossingEvent& e = event.xcrossing;
        if (window->trackLeave && (e.mode == NotifyNormal || e.mode == NotifyUngrab)) {
            window->trackLeave = false;
            input.push_back({Msg{window, WM_MOUSELEAVE, 0, 0}, 0, 0});
        }
        break;
    }
    case FocusIn:
    case FocusOut: {
        const XFocusChangeEvent& e = event.xfocus;
        if (event.type == FocusIn) {
            forgetReleasedKeys();
        }
        if (window->parent || e.mode == NotifyGrab || e.mode == NotifyUngrab || e.detail == NotifyInferior ||
            e.detail == NotifyPointer || e.detail == NotifyPointerRoot || e.detail == NotifyDetailNone) {
            break;
        }
        uint32_t state = event.type == FocusIn ? WA_ACTIVE : WA_INACTIVE;
        input.push_back({Msg{window, WM_ACTIVATE, makeWParam(static_cast<int32_t>(state), 0), 0}, 0, 0});
        break;
    }
    case ClientMessage: {
        const XClientMessageEvent& e = event.xclient;
        if (e.message_type == wmProtocols && e.format == 32 &&
            static_cast<Atom>(e.data.l[0]) == wmDeleteWindow) {
            input.push_back({Msg{window, WM_CLOSE, 0, 0}, 0, 0});
        }
        break;
    }
    default:
        break;
    }
}

void Connection::forgetReleasedKeys() {
    char keymap[32];
    XQueryKeymap(display, keymap);
    bool held[256] = {};
    for (int code = 8; code < 256; ++code) {
        const auto bit = static_cast<unsigned char>(1 << (code % 8));
        if (!(keymap[code / 8] & bit)) {
            keysDown[code / 8] &= static_cast<unsigned char>(~bit);
            continue;
        }
        int side = 0;
        bool extended = false;
        const auto keycode = static_cast<KeyCode>(code);
        int key = virtualKeyOf(XkbKeycodeToKeysym(display, keycode, 0, 0), side, extended);
        if (!key) {
            key = virtualKeyOf(XkbKeycodeToKeysym(display, keycode, 0, 1), side, extended);
        }
        held[key] = true;
        held[side] = true;
    }
    for (int key = 1; key < 256; ++key) {
        const bool button = key == VK_LBUTTON || key == VK_RBUTTON || key == VK_MBUTTON;
        if (!button && !held[key] && getKeyState(key) < 0) {
            setKeyState(key, false);
        }
    }
}

void Connection::translateKeyEvent(WindowRecord* window, XKeyEvent& event, bool press) {
    unsigned int code = event.keycode & 0xFF;
    bool wasDown = keysDown[code / 8] & (1 << (code % 8));
    if (!press && !detectableRepeat && XEventsQueued(display, QueuedAfterReading) > 0) {
        // Without detectable auto-repeat, a repeat shows as a release followed by a press at the same
        // time: drop the release, the press then counts as a repeat.
        XEvent next;
        XPeekEvent(display, &next);
        if (next.type == KeyPress && next.xkey.keycode == event.keycode && next.xkey.time == event.time) {
            return;
        }
    }
    if (press) {
        keysDown[code / 8] |= static_cast<unsigned char>(1 << (code % 8));
    } else {
        keysDown[code / 8] &= static_cast<unsigned char>(~(1 << (code % 8)));
    }
    int side = 0;
    bool extended = false;
    int key = virtualKeyOf(XLookupKeysym(&event, 0), side, extended);
    if (!key) {
        key = virtualKeyOf(XLookupKeysym(&event, 1), side, extended);
    }
    uint32_t character = 0;
    // X types DEL (0x7F) for the Delete key; Win32 types no character for it.
    if (press && key != VK_DELETE) {
        char text[8];
        KeySym keysym;
        if (XLookupString(&event, text, sizeof text, &keysym, nullptr) == 1) {
            character = static_cast<unsigned char>(text[0]);
        }
    }
    if (!key && !character) {
        return;
    }
    LParam lParam = 1 | (static_cast<LParam>((code - 8) & 0xFF) << 16);
    if (extended) {
        lParam |= KF_EXTENDED;
    }
    if (press && wasDown) {
        lParam |= KF_REPEAT;
    }
    if (!press) {
        lParam |= KF_REPEAT | KF_UP;
    }
    input.push_back(
        {Msg{window, press ? WM_KEYDOWN : WM_KEYUP, static_cast<WParam>(key), lParam}, character, side});
}

void Connection::translateConfigure(WindowRecord* window, const XConfigureEvent& event) {
    // An event caused by an older request of ours is stale: the newer one was already reported.
    if (event.serial < window->configureSerial) {
        return;
    }
    int32_t x = event.x, y = event.y;
    if (!window->parent && !event.send_event) {
        // A window manager's frame makes the event relative to the frame: ask for the screen position.
        ::Window child;
        XTranslateCoordinates(display, window->xwindow, root, 0, 0, &x, &y, &child);
    }
    int32_t width = event.width, height = event.height;
    bool sized = width != window->width || height != window->height;
    bool moved = x != window->x || y != window->y;
    if (sized && !window->parent) {
        int32_t allowedWidth = width, allowedHeight = height;
        applyMinMax(window, allowedWidth, allowedHeight);
        if (allowedWidth != width || allowedHeight != height) {
            if (!ownedWindow(window)) {
                return; // the procedure destroyed its window
            }
            window->configureSerial = NextRequest(display);
            XResizeWindow(display, window->xwindow, static_cast<unsigned>(allowedWidth),
                          static_cast<unsigned>(allowedHeight));
            width = allowedWidth;
            height = allowedHeight;
            sized = width != window->width || height != window->height;
        }
    }
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
    if (moved) {
        input.push_back({Msg{window, WM_MOVE, 0, makeLParam(x, y)}, 0, 0});
    }
    if (sized) {
        input.push_back({Msg{window, WM_SIZE, SIZE_RESTORED, makeLParam(width, height)}, 0, 0});
    }
}

} // namespace korvane::platform::x11
