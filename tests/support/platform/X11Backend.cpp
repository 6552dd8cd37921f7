#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <chrono>
#include <thread>

#include "platform/x11/X11Window.h"
#include "support/platform/Backend.h"

namespace korvane::platform::testing {

void flushRequests() {
    if (x11::Connection* connection = x11::Connection::currentIfAny()) {
        XSync(connection->display, False);
    }
}

bool threadHoldsDisplay() {
    return x11::Connection::currentIfAny() != nullptr;
}

struct OtherClient::State {
    Display* display = nullptr;
    ::Window foreign = 0;
};

namespace {

KeySym keysymOf(UserKey key) {
    switch (key) {
    case UserKey::LeftShift:
        return XK_Shift_L;
    case UserKey::RightControl:
        return XK_Control_R;
    case UserKey::A:
        return XK_a;
    case UserKey::Left:
        return XK_Left;
    case UserKey::F5:
        return XK_F5;
    case UserKey::Escape:
        return XK_Escape;
    case UserKey::Delete:
        return XK_Delete;
    case UserKey::Backspace:
        return XK_BackSpace;
    }
    return NoSymbol;
}

unsigned int buttonOf(UserButton button) {
    switch (button) {
    case UserButton::Left:
        return Button1;
    case UserButton::Middle:
        return Button2;
    case UserButton::Right:
        return Button3;
    case UserButton::WheelUp:
        return Button4;
    case UserButton::WheelDown:
        return Button5;
    }
    return Button1;
}

} // namespace

// The server refuses connections for a moment while it resets after its last client left.
OtherClient::OtherClient() : state_(std::make_unique<State>()) {
    for (int attempt = 0; attempt < 200 && !state_->display; ++attempt) {
        if (!(state_->display = XOpenDisplay(nullptr))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

OtherClient::~OtherClient() {
    if (state_->display) {
        endForeignFocus();
        XCloseDisplay(state_->display);
    }
}

bool OtherClient::connected() const {
    return state_->display != nullptr;
}

bool OtherClient::canFakeInput() const {
    int event, error, major, minor;
    return state_->display && XTestQueryExtension(state_->display, &event, &error, &major, &minor);
}

void OtherClient::moveTo(int32_t x, int32_t y) {
    XTestFakeMotionEvent(state_->display, -1, x, y, CurrentTime);
    XSync(state_->display, False);
}

void OtherClient::button(UserButton which, bool press) {
    XTestFakeButtonEvent(state_->display, buttonOf(which), press, CurrentTime);
    XSync(state_->display, False);
}

void OtherClient::key(UserKey which, bool press) {
    XTestFakeKeyEvent(state_->display, XKeysymToKeycode(state_->display, keysymOf(which)), press,
                      CurrentTime);
    XSync(state_->display, False);
}

void OtherClient::resize(WindowHandle window, int32_t width, int32_t height) {
    XResizeWindow(state_->display, window->xwindow, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    XSync(state_->display, False);
}

void OtherClient::requestClose(WindowHandle window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window->xwindow;
    event.xclient.message_type = XInternAtom(state_->display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(state_->display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(state_->display, window->xwindow, False, NoEventMask, &event);
    XSync(state_->display, False);
}

void OtherClient::focus(WindowHandle window) {
    XSetInputFocus(state_->display, window->xwindow, RevertToPointerRoot, CurrentTime);
    XSync(state_->display, False);
}

void OtherClient::beginForeignFocus() {
    Display* display = state_->display;
    state_->foreign = XCreateSimpleWindow(display, DefaultRootWindow(display), 600, 600, 50, 50, 0, 0, 0);
    XMapWindow(display, state_->foreign);
    XSync(display, False);
    XSetInputFocus(display, state_->foreign, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
}

void OtherClient::endForeignFocus() {
    if (state_->foreign) {
        XDestroyWindow(state_->display, state_->foreign);
        XSync(state_->display, False);
        state_->foreign = 0;
    }
}

Point OtherClient::screenOrigin(WindowHandle window) {
    int x = 0, y = 0;
    ::Window unused;
    XTranslateCoordinates(state_->display, window->xwindow, DefaultRootWindow(state_->display), 0, 0, &x, &y,
                          &unused);
    return {x, y};
}

Point OtherClient::clientSize(WindowHandle window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(state_->display, window->xwindow, &attributes);
    return {attributes.width, attributes.height};
}

uint32_t OtherClient::screenPixel(int32_t x, int32_t y) {
    XImage* image =
        XGetImage(state_->display, DefaultRootWindow(state_->display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) {
        return 0xFFFFFFFFu;
    }
    uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return pixel;
}

} // namespace korvane::platform::testing
