// Translation of the X events of a connection into the window messages of its thread.
#include <X11/XKBlib.h>
#include <algorithm>

#include "platform/unix/Backend.h"
#include "platform/x11/X11Window.h"

namespace korvane::platform::x11 {

namespace {

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

} // namespace

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
    // Keys go to the window with the keyboard focus, as on Win32: the top-level window. X hands them to
    // the child window under the pointer; a child gets no keys of its own here.
    while (window->parent) {
        window = window->parent;
    }
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
    input.push_back({x11::keyMessage(window, press, wasDown, code - 8, extended, key), character, side});
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
