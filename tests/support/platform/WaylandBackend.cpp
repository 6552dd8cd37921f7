#include <wayland-client.h>

#include "platform/wayland/WaylandWindow.h"
#include "support/platform/Backend.h"

// A Wayland compositor lets no client fake input, move another client's windows or read the screen. The
// other client here plays the compositor's seat through the backend's emulated seat; what it asks of
// windows (close, resize, focus) arrives as the compositor's own events would; what it reads of the
// screen is the copy the backend keeps of each frame a window presents with GL.
namespace korvane::platform::testing {

void flushRequests() {
    if (wayland::Connection* connection = wayland::Connection::currentIfAny()) {
        connection->roundtrip();
    }
}

bool threadHoldsDisplay() {
    return wayland::Connection::currentIfAny() != nullptr;
}

struct OtherClient::State {};

namespace {

// evdev key codes (linux/input-event-codes.h).
uint32_t codeOf(UserKey key) {
    switch (key) {
    case UserKey::LeftShift:
        return 42;
    case UserKey::RightControl:
        return 97;
    case UserKey::A:
        return 30;
    case UserKey::Left:
        return 105;
    case UserKey::F5:
        return 63;
    case UserKey::Escape:
        return 1;
    case UserKey::Delete:
        return 111;
    case UserKey::Backspace:
        return 14;
    }
    return 0;
}

} // namespace

// Frames are kept from the start, so that a picture presented before a test asks for it can be read.
const bool capturing = [] {
    wayland::captureFrames(true);
    return true;
}();

OtherClient::OtherClient() : state_(std::make_unique<State>()) {
    wayland::emulateSeat();
}

OtherClient::~OtherClient() = default;

bool OtherClient::connected() const {
    return true;
}

bool OtherClient::canFakeInput() const {
    return true;
}

void OtherClient::moveTo(int32_t x, int32_t y) {
    wayland::injectPointerMotion(x, y);
}

void OtherClient::button(UserButton which, bool press) {
    switch (which) {
    case UserButton::Left:
        wayland::injectPointerButton(0x110, press);
        break;
    case UserButton::Right:
        wayland::injectPointerButton(0x111, press);
        break;
    case UserButton::Middle:
        wayland::injectPointerButton(0x112, press);
        break;
    case UserButton::WheelUp:
    case UserButton::WheelDown:
        if (press) {
            wayland::injectWheel(which == UserButton::WheelUp ? 1 : -1);
        }
        break;
    }
}

void OtherClient::key(UserKey which, bool press) {
    wayland::injectKey(codeOf(which), press);
}

void OtherClient::resize(WindowHandle window, int32_t width, int32_t height) {
    wayland::injectConfigure(window, width, height);
}

void OtherClient::requestClose(WindowHandle window) {
    wayland::injectClose(window);
}

void OtherClient::focus(WindowHandle window) {
    wayland::injectFocus(window);
}

void OtherClient::beginForeignFocus() {
    wayland::injectFocus(nullptr);
}

void OtherClient::endForeignFocus() {}

Point OtherClient::screenOrigin(WindowHandle window) {
    Point origin;
    clientToScreen(window, origin);
    return origin;
}

Point OtherClient::clientSize(WindowHandle window) {
    Rect rect;
    getClientRect(window, rect);
    return {rect.right, rect.bottom};
}

uint32_t OtherClient::screenPixel(int32_t x, int32_t y) {
    return wayland::shownPixel(x, y);
}

} // namespace korvane::platform::testing
