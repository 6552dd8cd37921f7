#include "support/gui/GuiTesting.h"

#include "platform/win32/Win32.h"
#include "support/platform/Backend.h"

#include <tlhelp32.h>

#include <thread>

// Synthetic input through the platform tests' other client (SendInput, the screen's device context); a
// named mutex keeps users apart across test programs.
namespace korvane::gui::testing {

struct SyntheticInput::State {
    HANDLE lock = nullptr;
    platform::testing::OtherClient user;
};

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
    return state->user.canFakeInput();
}

void SyntheticInput::moveTo(int x, int y) {
    state->user.moveTo(x, y);
}

void SyntheticInput::button(unsigned int button, bool press) {
    using platform::testing::UserButton;
    static constexpr UserButton buttons[] = {UserButton::Left, UserButton::Middle, UserButton::Right,
                                             UserButton::WheelUp, UserButton::WheelDown};
    if (button >= 1 && button <= 5)
        state->user.button(buttons[button - 1], press);
}

void SyntheticInput::key(Key which, bool press) {
    // By the order of Key.
    static constexpr WORD virtualKeys[] = {'A', 'B', 'C', VK_RETURN, VK_ESCAPE, VK_LSHIFT};
    const WORD virtualKey = virtualKeys[static_cast<int>(which)];
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
    SendInput(1, &input, sizeof(input));
    // Input goes through the server's queue; give it a moment to reach the window's thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

uint32_t SyntheticInput::pixel(int x, int y) {
    return state->user.screenPixel(x, y);
}

size_t threadsOfProcess() {
    size_t count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 thread{};
        thread.dwSize = sizeof(thread);
        for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread)) {
            if (thread.th32OwnerProcessID == GetCurrentProcessId())
                ++count;
        }
        CloseHandle(snapshot);
    }
    return count;
}

size_t filesOfProcess() {
    DWORD handles = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &handles) ? handles : 0;
}

} // namespace korvane::gui::testing
