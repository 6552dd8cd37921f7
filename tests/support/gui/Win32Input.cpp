#include "support/gui/GuiTesting.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <thread>

// Synthetic input through SendInput, the screen read through the screen's device context; a named mutex
// keeps users apart across test programs.
namespace korvane::gui::testing {

struct SyntheticInput::State {
    HANDLE lock = nullptr;
};

namespace {

void send(INPUT input) {
    SendInput(1, &input, sizeof(input));
    // Input goes through the server's queue; give it a moment to reach the window's thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

} // namespace

SyntheticInput::SyntheticInput() : state(std::make_unique<State>()) {
    state->lock = CreateMutexA(nullptr, FALSE, "korvane-synthetic-input");
    if (state->lock)
        WaitForSingleObject(state->lock, INFINITE);
}

SyntheticInput::~SyntheticInput() {
    if (state->lock) {
        ReleaseMutex(state->lock);
        CloseHandle(state->lock);
    }
}

bool SyntheticInput::isAvailable() const {
    return true;
}

void SyntheticInput::moveTo(int x, int y) {
    SetCursorPos(x, y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    send(input);
}

void SyntheticInput::button(unsigned int button, bool press) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    switch (button) {
    case 1:
        input.mi.dwFlags = press ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        break;
    case 2:
        input.mi.dwFlags = press ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
        break;
    case 3:
        input.mi.dwFlags = press ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
        break;
    case 4:
    case 5:
        // A wheel step is one event; its release is nothing.
        if (!press)
            return;
        input.mi.dwFlags = MOUSEEVENTF_WHEEL;
        input.mi.mouseData = static_cast<DWORD>(button == 4 ? WHEEL_DELTA : -WHEEL_DELTA);
        break;
    default:
        return;
    }
    send(input);
}

void SyntheticInput::key(Key which, bool press) {
    WORD virtualKey = 'A';
    switch (which) {
    case Key::A:
        virtualKey = 'A';
        break;
    case Key::B:
        virtualKey = 'B';
        break;
    case Key::C:
        virtualKey = 'C';
        break;
    case Key::Return:
        virtualKey = VK_RETURN;
        break;
    case Key::Escape:
        virtualKey = VK_ESCAPE;
        break;
    case Key::LeftShift:
        virtualKey = VK_LSHIFT;
        break;
    }
    // The key goes to the top-level window under the pointer, as it does on X11 here.
    POINT cursor{};
    GetCursorPos(&cursor);
    if (HWND under = WindowFromPoint(cursor)) {
        HWND top = GetAncestor(under, GA_ROOT);
        if (top && GetForegroundWindow() != top)
            SetForegroundWindow(top);
    }
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = press ? 0 : KEYEVENTF_KEYUP;
    send(input);
}

uint32_t SyntheticInput::pixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    if (color == CLR_INVALID)
        return 0xFFFFFFFF;
    return (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) | GetBValue(color);
}

} // namespace korvane::gui::testing
