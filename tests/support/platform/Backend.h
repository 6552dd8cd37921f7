#pragma once

#include <cstdint>
#include <memory>

#include "platform/Window.h"

// What the window and GL tests need from the display system beyond the platform layer's own calls: a
// second client that plays the user or the window manager, and a way to wait for the server. Each backend
// implements these once; the tests themselves call only the platform layer and this.
namespace korvane::platform::testing {

// Waits until the display system has handled every request the calling thread made.
void flushRequests();
// True while the calling thread still holds a connection to the display system.
bool threadHoldsDisplay();

// Keys the tests press, by their place on the keyboard.
enum class UserKey { LeftShift, RightControl, A, Left, F5, Escape, Delete, Backspace };
// Pointer buttons, wheel steps included.
enum class UserButton { Left, Middle, Right, WheelUp, WheelDown };

// Another client of the display system; every request is complete when the call returns.
class OtherClient {
public:
    OtherClient();
    ~OtherClient();
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    // False when no connection could be made.
    bool connected() const;
    // False when the server cannot fake input.
    bool canFakeInput() const;

    // Synthetic input, pointer positions on the screen.
    void moveTo(int32_t x, int32_t y);
    void button(UserButton which, bool press);
    void key(UserKey which, bool press);

    // Window-manager requests.
    void resize(WindowHandle window, int32_t width, int32_t height);
    void requestClose(WindowHandle window);
    void focus(WindowHandle window);
    // A window of this client that takes the keyboard focus until endForeignFocus().
    void beginForeignFocus();
    void endForeignFocus();

    // What the server shows: a window's client origin on the screen, its client size, a screen pixel as
    // 0xRRGGBB.
    Point screenOrigin(WindowHandle window);
    Point clientSize(WindowHandle window);
    uint32_t screenPixel(int32_t x, int32_t y);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace korvane::platform::testing
