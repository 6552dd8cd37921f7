#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Window.h"
#include "support/platform/Backend.h"

// Helpers for the window tests: a class whose procedure records every message and a pump with a
// deadline. A second client that plays the user or the window manager is in support/platform/Backend.h.
namespace korvane::platform::testing {

struct Recorded {
    WindowHandle window;
    uint32_t message;
    WParam wParam;
    LParam lParam;
    ThreadId thread;
};

class Recorder {
public:
    static Recorder& instance() {
        static Recorder recorder;
        return recorder;
    }
    void add(const Recorded& entry) {
        std::lock_guard lock(mutex_);
        entries_.push_back(entry);
    }
    void clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }
    std::vector<Recorded> of(WindowHandle window, uint32_t message) {
        std::lock_guard lock(mutex_);
        std::vector<Recorded> found;
        for (const Recorded& entry : entries_) {
            if (entry.window == window && entry.message == message) {
                found.push_back(entry);
            }
        }
        return found;
    }
    std::vector<uint32_t> messages(WindowHandle window) {
        std::lock_guard lock(mutex_);
        std::vector<uint32_t> found;
        for (const Recorded& entry : entries_) {
            if (entry.window == window) {
                found.push_back(entry.message);
            }
        }
        return found;
    }

private:
    std::mutex mutex_;
    std::vector<Recorded> entries_;
};

inline Result recordingProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    Recorder::instance().add({window, message, wParam, lParam, currentThreadId()});
    return defWindowProc(window, message, wParam, lParam);
}

inline const char* testClass() {
    static const bool registered = [] {
        WindowClass windowClass;
        windowClass.name = "korvane.test.window";
        windowClass.style = CS_OWNDC;
        windowClass.procedure = recordingProcedure;
        windowClass.windowExtra = 2 * sizeof(void*);
        return registerClass(windowClass);
    }();
    (void)registered;
    return "korvane.test.window";
}

// The frame around the client area of a top-level window of this style: adjustWindowRectEx of an empty
// rectangle (left and top negative). Win32 draws borders and a caption around overlapped windows; the X11
// backend leaves the frame to the window manager and has none. Sizes and positions given to
// createWindow and setWindowPos are the frame's.
inline Rect frameOf(uint32_t style) {
    Rect frame{0, 0, 0, 0};
    adjustWindowRectEx(frame, style, false, 0);
    return frame;
}
inline int32_t frameWidth(uint32_t style) {
    const Rect frame = frameOf(style);
    return frame.right - frame.left;
}
inline int32_t frameHeight(uint32_t style) {
    const Rect frame = frameOf(style);
    return frame.bottom - frame.top;
}

inline WindowHandle createTopLevel(int32_t width = 200, int32_t height = 150, void* param = nullptr) {
    return createWindow(0, testClass(), "test", WS_OVERLAPPEDWINDOW, 40, 30, width, height, nullptr, param);
}

inline WindowHandle createChild(WindowHandle parent, int32_t x, int32_t y, int32_t width, int32_t height) {
    return createWindow(0, testClass(), "child", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, nullptr);
}

// Dispatches the calling thread's messages until done() holds or the deadline passes.
inline bool pumpUntil(const std::function<bool()>& done, int milliseconds = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    Msg msg;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (peekMessage(msg, true)) {
            translateMessage(msg);
            dispatchMessage(msg);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

// Dispatches whatever arrives within the given time.
inline void pumpFor(int milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

// Waits until the server has answered everything the calling thread asked for, and dispatches every
// message that results (the default procedure validates painted windows).
inline void settle() {
    flushRequests();
    Msg msg;
    while (peekMessage(msg, true)) {
        translateMessage(msg);
        dispatchMessage(msg);
    }
}

} // namespace korvane::platform::testing
