#include "platform/win32/Win32.h"
#include "support/platform/Backend.h"

#include <atomic>
#include <chrono>
#include <thread>

// The user and the window manager played through Win32 itself: synthetic input with SendInput, window
// manager requests as the messages and calls a window manager would cause, pixels read from the screen.
namespace korvane::platform::testing {

using namespace win32;

namespace {

BOOL CALLBACK countWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

void send(INPUT input) {
    SendInput(1, &input, sizeof(input));
    // Input goes through the server's queue; give it a moment to reach the window's thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

WORD virtualKeyOf(UserKey key, bool& extended) {
    extended = false;
    switch (key) {
    case UserKey::LeftShift:
        return VK_LSHIFT;
    case UserKey::RightControl:
        extended = true;
        return VK_RCONTROL;
    case UserKey::A:
        return 'A';
    case UserKey::Left:
        extended = true;
        return VK_LEFT;
    case UserKey::F5:
        return VK_F5;
    case UserKey::Escape:
        return VK_ESCAPE;
    case UserKey::Delete:
        extended = true;
        return VK_DELETE;
    case UserKey::Backspace:
        return VK_BACK;
    }
    return 0;
}

} // namespace

void flushRequests() {
    GdiFlush();
    // Let the display driver take in what the server sent back (exposures, configure events).
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

bool threadHoldsDisplay() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&count));
    return count > 0;
}

// The other client's window lives on a thread of its own, with its own input state, as another program's
// window would.
struct OtherClient::State {
    std::thread thread;
    std::atomic<HWND> foreign{nullptr};
    std::atomic<DWORD> threadId{0};
};

OtherClient::OtherClient() : state_(std::make_unique<State>()) {}

OtherClient::~OtherClient() {
    endForeignFocus();
}

bool OtherClient::connected() const {
    return true;
}

bool OtherClient::canFakeInput() const {
    return true;
}

void OtherClient::moveTo(int32_t x, int32_t y) {
    SetCursorPos(x, y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    send(input);
}

void OtherClient::button(UserButton which, bool press) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    switch (which) {
    case UserButton::Left:
        input.mi.dwFlags = press ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        break;
    case UserButton::Middle:
        input.mi.dwFlags = press ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
        break;
    case UserButton::Right:
        input.mi.dwFlags = press ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
        break;
    case UserButton::WheelUp:
    case UserButton::WheelDown:
        // A wheel step is one event; its release is nothing.
        if (!press) {
            return;
        }
        input.mi.dwFlags = MOUSEEVENTF_WHEEL;
        input.mi.mouseData = static_cast<DWORD>(which == UserButton::WheelUp ? WHEEL_DELTA : -WHEEL_DELTA);
        break;
    }
    send(input);
}

void OtherClient::key(UserKey which, bool press) {
    bool extended = false;
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKeyOf(which, extended);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(input.ki.wVk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (press ? 0 : KEYEVENTF_KEYUP) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    send(input);
}

void OtherClient::resize(WindowHandle window, int32_t width, int32_t height) {
    // A window manager sizes the frame for the client size asked for.
    HWND hwnd = toHwnd(window);
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OtherClient::requestClose(WindowHandle window) {
    PostMessageA(toHwnd(window), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void OtherClient::focus(WindowHandle window) {
    SetForegroundWindow(toHwnd(window));
    SetFocus(toHwnd(window));
}

void OtherClient::beginForeignFocus() {
    endForeignFocus();
    State& state = *state_;
    state.thread = std::thread([&state] {
        HWND window = CreateWindowExA(0, "STATIC", "foreign", WS_POPUP | WS_VISIBLE, 600, 600, 50, 50,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetForegroundWindow(window);
        SetFocus(window);
        state.threadId = GetCurrentThreadId();
        state.foreign = window;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DestroyWindow(window);
    });
    while (!state.foreign) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void OtherClient::endForeignFocus() {
    if (state_->thread.joinable()) {
        PostThreadMessageA(state_->threadId, WM_QUIT, 0, 0);
        state_->thread.join();
        state_->foreign = nullptr;
    }
}

Point OtherClient::screenOrigin(WindowHandle window) {
    POINT origin{0, 0};
    ClientToScreen(toHwnd(window), &origin);
    return {origin.x, origin.y};
}

Point OtherClient::clientSize(WindowHandle window) {
    RECT client{};
    GetClientRect(toHwnd(window), &client);
    return {client.right, client.bottom};
}

uint32_t OtherClient::screenPixel(int32_t x, int32_t y) {
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    if (color == CLR_INVALID) {
        return 0xFFFFFFFFu;
    }
    return (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) | GetBValue(color);
}

} // namespace korvane::platform::testing
