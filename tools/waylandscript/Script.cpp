// Linked into a build of the demonstration for scripts on a Wayland compositor, where nothing outside a
// client can read or drive its windows. Set in the environment:
//   KORVANE_WAYLAND_PICTURE=<file.ppm>   a set time after the program first looks for input (its first
//                                         window is open; KORVANE_WAYLAND_PICTURE_DELAY milliseconds, 15000
//                                         by default) the front window's picture is saved there and the
//                                         window asked to close, as a user would;
//   KORVANE_WAYLAND_DRAG=x0,y0,x1,y1     halfway to the picture, the emulated seat drags with the left
//                                         button across the front window's client area.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/wayland/WaylandWindow.h"

namespace {

using namespace korvane::platform;

// evdev's left button (linux/input-event-codes.h).
constexpr uint32_t buttonLeft = 0x110;

const char* setting(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

long milliseconds(const char* value, long otherwise) {
    return value ? std::strtol(value, nullptr, 10) : otherwise;
}

struct Script {
    const char* picture = setting("KORVANE_WAYLAND_PICTURE");
    const char* drag = setting("KORVANE_WAYLAND_DRAG");
    long delay = milliseconds(setting("KORVANE_WAYLAND_PICTURE_DELAY"), 15000);
    std::atomic<bool> dragged{drag == nullptr};
    std::atomic<bool> taken{false};
};

Script& script() {
    static Script* instance = new Script;
    return *instance;
}

// Presses the left button at the first point of the window's client area, moves to the second in small
// steps and releases there.
void dragAcross(const WindowRecord* window, const char* points) {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (std::sscanf(points, "%d,%d,%d,%d", &x0, &y0, &x1, &y1) != 4) {
        std::printf("KORVANE_WAYLAND_DRAG is \"%s\": expected x0,y0,x1,y1.\n", points);
        return;
    }
    const int steps = 20;
    wayland::injectPointerMotion(window->x + x0, window->y + y0);
    wayland::injectPointerButton(buttonLeft, true);
    for (int i = 1; i <= steps; ++i) {
        wayland::injectPointerMotion(window->x + x0 + (x1 - x0) * i / steps,
                                     window->y + y0 + (y1 - y0) * i / steps);
    }
    wayland::injectPointerButton(buttonLeft, false);
}

// Runs on the threads that own windows, whenever they find no input waiting; acts on the front window on
// the thread that owns it.
void step() {
    // The time counts from the first look for input, once the program has its first window.
    static const auto start = std::chrono::steady_clock::now();
    Script& s = script();
    if (s.taken.load(std::memory_order_relaxed)) {
        return;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const bool dragDue =
        !s.dragged.load(std::memory_order_relaxed) && elapsed >= std::chrono::milliseconds(s.delay / 2);
    if (!dragDue && elapsed < std::chrono::milliseconds(s.delay)) {
        return;
    }
    WindowRecord* front = nullptr;
    {
        std::lock_guard lock(windowRegistry().mutex);
        if (!windowRegistry().stacking.empty()) {
            front = windowRegistry().stacking.back();
        }
    }
    front = front ? wayland::ownedWindow(front) : nullptr;
    if (!front) {
        return;
    }
    if (dragDue) {
        if (!s.dragged.exchange(true)) {
            dragAcross(front, s.drag);
        }
        return;
    }
    if (s.taken.exchange(true)) {
        return;
    }
    if (!wayland::writePicture(front, s.picture)) {
        std::printf("The picture could not be written to \"%s\".\n", s.picture);
    }
    wayland::captureFrames(false);
    front->connection->closeRequested(front);
}

// Frames are kept from the start, so that the picture is there when it is due.
const bool installed = [] {
    if (script().picture) {
        wayland::captureFrames(true);
        wayland::setIdleHook(step);
    }
    return true;
}();

} // namespace
