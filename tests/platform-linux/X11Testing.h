#pragma once

#include <X11/Xlib.h>
#include <chrono>
#include <thread>

namespace korvane::platform::testing {

// A separate client connection for driving the server (synthetic input, window-manager requests).
class TestDisplay {
public:
    // The server refuses connections for a moment while it resets after its last client left.
    TestDisplay() {
        for (int attempt = 0; attempt < 200 && !display_; ++attempt) {
            if (!(display_ = XOpenDisplay(nullptr))) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }
    ~TestDisplay() {
        if (display_) {
            XCloseDisplay(display_);
        }
    }
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;
    Display* get() const { return display_; }

private:
    Display* display_ = nullptr;
};

} // namespace korvane::platform::testing
