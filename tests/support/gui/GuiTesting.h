#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "gui/Geometry.h"
#include "gui/OpenGL.h"
#include "gui/View.h"
#include "gui/Window.h"

namespace korvane::types {
// Readable failure messages for the views' geometry types (in their own namespace, where the test
// framework's argument-dependent lookup finds them).
void PrintTo(const Point<float>& point, std::ostream* out);
void PrintTo(const Rectangle<float>& rectangle, std::ostream* out);
} // namespace korvane::types

namespace korvane::gui::testing {

// One call of an input or paint operation, as a recording window or view saw it.
struct Event {
    Event(std::string what, uint32_t code = 0, uint32_t extra = 0, Point position = {}, float delta = 0.0f)
        : what(std::move(what)), code(code), extra(extra), position(position), delta(delta) {}

    std::string what;
    uint32_t code = 0;
    uint32_t extra = 0;
    Point position;
    float delta = 0.0f;
};

// A log that the window thread writes and the test thread waits on.
class EventLog {
public:
    void add(Event event);
    // Waits up to five seconds until some event satisfies the predicate.
    bool waitFor(const std::function<bool(const Event&)>& predicate);
    bool waitFor(const std::string& what) {
        return waitFor([&](const Event& event) { return event.what == what; });
    }
    std::vector<Event> all() const;
    std::vector<Event> named(const std::string& what) const;
    void clear();

private:
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<Event> events;
};

// A window whose input operations log what they receive (and still do what the window does).
class RecordingWindow : public Window {
public:
    explicit RecordingWindow(EventLog& log) : log(log) {}
    bool onKeyDown(uint32_t key) override;
    bool onKeyUp(uint32_t key) override;
    bool onChar(uint32_t code, uint32_t modifiers) override;
    bool onMouseMove(const Point& position, uint32_t state) override;
    bool onMouseButton(const Point& position, uint32_t code) override;
    bool onMouseWheel(float delta, uint32_t state) override;

private:
    EventLog& log;
};

// A view whose operations log what they receive; keys in `refused` answer false.
class RecordingView : public View {
public:
    RecordingView(EventLog& log, const Rectangle& frame) : View(frame), log(log) {}
    bool paint(const Context& context, const Rectangle& dirty) override;
    bool onFrameChanged(const Rectangle& rectangle) override;
    bool onKeyDown(uint32_t key) override;
    bool onKeyUp(uint32_t key) override;
    bool onChar(uint32_t code, uint32_t modifiers) override;
    bool onMouseMove(const Point& position, uint32_t state) override;
    bool onMouseButton(const Point& position, uint32_t code) override;
    bool onMouseEnter(const Point& position, uint32_t state) override;
    bool onMouseLeave() override;
    bool onMouseWheel(float delta, uint32_t state) override;
    bool onFocusLost() override;

    uint32_t refused = 0;

private:
    EventLog& log;
};

// Runs work on the window's thread while it is open and waits for it.
void onWindowThread(Window& window, const std::function<void()>& work);
// The view's frame (or the window's), read on the window thread.
Rectangle frameOf(Window& window, View& view);
Rectangle frameOf(Window& window);

// Keys the tests press, by their place on the keyboard (the backends map them in this order).
enum class Key { A, B, C, Return, Escape, LeftShift };

// Synthetic input in screen coordinates, as the user would give it (XTest on a connection of its own on
// X11, SendInput on Win32). The pointer, the keyboard focus and the screen are shared by every test
// process on the display, so an instance holds a lock for its lifetime: tests that use it run one at a
// time, also across test programs.
class SyntheticInput {
public:
    SyntheticInput();
    ~SyntheticInput();
    SyntheticInput(const SyntheticInput&) = delete;
    SyntheticInput& operator=(const SyntheticInput&) = delete;

    bool isAvailable() const;
    void moveTo(int x, int y);
    // Buttons numbered as X numbers them: 1 left, 2 middle, 3 right, 4 and 5 the wheel.
    void button(unsigned int button, bool press);
    void click(unsigned int button);
    // Gives the keyboard focus to the top-level window under the pointer first, so that a window shown
    // meanwhile by another test does not take the key.
    void key(Key which, bool press);
    // The colour of a screen pixel as 0xRRGGBB.
    uint32_t pixel(int x, int y);

private:
    struct State;
    std::unique_ptr<State> state;
};

// What an open window's frame adds to its client area (nothing on X11, borders and caption on Win32):
// the window's size limits count it.
Size borderOf(Window& window);

// Moves an open window's client area to a screen position that the small windows of other tests,
// which open at the top-left corner, do not cover.
void placeApart(Window& window);

// Waits up to five seconds for a condition that other threads make true.
bool eventually(const std::function<bool()>& condition);

// This process's threads, and its open descriptors (handles on Windows), for tests that look for leaks.
size_t threadsOfProcess();
size_t filesOfProcess();

} // namespace korvane::gui::testing
