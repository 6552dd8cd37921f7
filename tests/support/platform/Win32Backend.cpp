#include "platform/win32/Win32.h"
#include "support/platform/Backend.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
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

// Screen pixels come from korvane_screen_reader, a process next to the test program, so that this
// process's own display connection is never locked by a read while its windows draw (see that program).
// Started at the first read and ended by the end of its input when this process ends.
class ScreenReader {
public:
    static ScreenReader& instance() {
        static ScreenReader reader;
        return reader;
    }

    // False when the reader cannot be started or has stopped answering.
    bool read(int32_t x, int32_t y, uint32_t& rgb) {
        std::lock_guard lock(mutex_);
        if (!started_) {
            started_ = true;
            start();
        }
        if (!toReader_) {
            return false;
        }
        char request[32];
        const int length = std::snprintf(request, sizeof(request), "%ld %ld\n", long(x), long(y));
        DWORD written = 0;
        std::string answer;
        bool answered =
            WriteFile(toReader_, request, DWORD(length), &written, nullptr) && written == DWORD(length);
        for (char c = 0; answered && c != '\n';) {
            DWORD got = 0;
            answered = ReadFile(fromReader_, &c, 1, &got, nullptr) && got == 1;
            answer += c;
        }
        if (!answered) {
            stop();
            return false;
        }
        const long value = std::strtol(answer.c_str(), nullptr, 10);
        rgb = value < 0 ? 0xFFFFFFFFu : uint32_t(value);
        return true;
    }

    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

private:
    ScreenReader() = default;
    ~ScreenReader() { stop(); }

    void start() {
        char path[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return;
        }
        std::string program(path, length);
        program.erase(program.find_last_of("\\/") + 1);
        program += "korvane_screen_reader.exe";

        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        if (!CreatePipe(&childIn, &toReader_, &inherited, 0)) {
            toReader_ = nullptr;
            return;
        }
        if (!CreatePipe(&fromReader_, &childOut, &inherited, 0)) {
            fromReader_ = nullptr;
            CloseHandle(childIn);
            stop();
            return;
        }
        // Only the reader's ends go to the reader; its errors go nowhere, not into this test's output.
        SetHandleInformation(toReader_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(fromReader_, HANDLE_FLAG_INHERIT, 0);
        HANDLE nowhere = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                     OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = nowhere;
        PROCESS_INFORMATION process{};
        const bool started = CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, TRUE,
                                            CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
        CloseHandle(childIn);
        CloseHandle(childOut);
        if (nowhere != INVALID_HANDLE_VALUE) {
            CloseHandle(nowhere);
        }
        if (!started) {
            stop();
            return;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    void stop() {
        for (HANDLE* pipe : {&toReader_, &fromReader_}) {
            if (*pipe) {
                CloseHandle(*pipe);
                *pipe = nullptr;
            }
        }
    }

    std::mutex mutex_;
    bool started_ = false;
    HANDLE toReader_ = nullptr;
    HANDLE fromReader_ = nullptr;
};

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
    uint32_t rgb = 0;
    if (ScreenReader::instance().read(x, y, rgb)) {
        return rgb;
    }
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    if (color == CLR_INVALID) {
        return 0xFFFFFFFFu;
    }
    return (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) | GetBValue(color);
}

} // namespace korvane::platform::testing
