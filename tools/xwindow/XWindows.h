#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::tools {

// Small helpers for driving a program's top-level window from outside, on the X display of a test or
// script: find it by title, read its pixels back, ask it to close.

// The first window below the root (depth-first) whose name is exactly `title`, or 0.
::Window findWindow(Display* display, const std::string& title);
// Waits up to `milliseconds` for a mapped window of that title; 0 when none appeared.
::Window waitForWindow(Display* display, const std::string& title, int milliseconds);

// The window's inside size in pixels; false when the window is gone.
bool windowSize(Display* display, ::Window window, int& width, int& height);

// The pixels of the window as seen on the screen, RGB, rows top to bottom; empty when it cannot be read.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};
Picture capture(Display* display, ::Window window);

// Sends the window manager's close request (WM_PROTOCOLS / WM_DELETE_WINDOW), as a title-bar close button
// does. False when the window is gone.
bool requestClose(Display* display, ::Window window);

} // namespace korvane::tools
