#include "support/gui/GuiTesting.h"

#include <thread>

namespace korvane::types {

void PrintTo(const Point<float>& point, std::ostream* out) {
    *out << "(" << point.x << ", " << point.y << ")";
}

void PrintTo(const Rectangle<float>& rectangle, std::ostream* out) {
    *out << "(" << rectangle.x << ", " << rectangle.y << ", " << rectangle.width << " x " << rectangle.height
         << ")";
}

} // namespace korvane::types

namespace korvane::gui::testing {

namespace {
constexpr auto patience = std::chrono::seconds(5);
}

void EventLog::add(Event event) {
    {
        std::lock_guard guard(mutex);
        events.push_back(std::move(event));
    }
    changed.notify_all();
}

bool EventLog::waitFor(const std::function<bool(const Event&)>& predicate) {
    std::unique_lock guard(mutex);
    return changed.wait_for(guard, patience, [&] {
        for (const Event& event : events) {
            if (predicate(event))
                return true;
        }
        return false;
    });
}

std::vector<Event> EventLog::all() const {
    std::lock_guard guard(mutex);
    return events;
}

std::vector<Event> EventLog::named(const std::string& what) const {
    std::vector<Event> found;
    for (const Event& event : all()) {
        if (event.what == what)
            found.push_back(event);
    }
    return found;
}

void EventLog::clear() {
    std::lock_guard guard(mutex);
    events.clear();
}

bool RecordingWindow::onKeyDown(uint32_t key) {
    log.add({"window.keyDown", key});
    return Window::onKeyDown(key);
}

bool RecordingWindow::onKeyUp(uint32_t key) {
    log.add({"window.keyUp", key});
    return Window::onKeyUp(key);
}

bool RecordingWindow::onChar(uint32_t code, uint32_t modifiers) {
    log.add({"window.char", code, modifiers});
    return Window::onChar(code, modifiers);
}

bool RecordingWindow::onMouseMove(const Point& position, uint32_t state) {
    log.add({"window.mouseMove", state, 0, position});
    return Window::onMouseMove(position, state);
}

bool RecordingWindow::onMouseButton(const Point& position, uint32_t code) {
    log.add({"window.mouseButton", code, 0, position});
    return Window::onMouseButton(position, code);
}

bool RecordingWindow::onMouseWheel(float delta, uint32_t state) {
    log.add({"window.mouseWheel", state, 0, {}, delta});
    return Window::onMouseWheel(delta, state);
}

bool RecordingView::paint(const Context& context, const Rectangle& dirty) {
    // Code 1 for a paint through the window's context (a paint message), 0 for the view's own.
    log.add({"view.paint", context.getWindow() == getHandle() ? 0u : 1u, 0, {dirty.width, dirty.height}});
    return true;
}

bool RecordingView::onFrameChanged(const Rectangle& rectangle) {
    log.add({"view.frameChanged", 0, 0, {rectangle.width, rectangle.height}});
    return true;
}

bool RecordingView::onKeyDown(uint32_t key) {
    log.add({"view.keyDown", key});
    return key != refused;
}

bool RecordingView::onKeyUp(uint32_t key) {
    log.add({"view.keyUp", key});
    return key != refused;
}

bool RecordingView::onChar(uint32_t code, uint32_t modifiers) {
    log.add({"view.char", code, modifiers});
    return true;
}

bool RecordingView::onMouseMove(const Point& position, uint32_t state) {
    log.add({"view.mouseMove", state, 0, position});
    return true;
}

bool RecordingView::onMouseButton(const Point& position, uint32_t code) {
    log.add({"view.mouseButton", code, 0, position});
    return true;
}

bool RecordingView::onMouseEnter(const Point& position, uint32_t state) {
    log.add({"view.mouseEnter", state, 0, position});
    return true;
}

bool RecordingView::onMouseLeave() {
    log.add({"view.mouseLeave"});
    return true;
}

bool RecordingView::onMouseWheel(float delta, uint32_t state) {
    log.add({"view.mouseWheel", state, 0, {}, delta});
    return true;
}

bool RecordingView::onFocusLost() {
    log.add({"view.focusLost"});
    return true;
}

void onWindowThread(Window& window, const std::function<void()>& work) {
    window.callOnWindowThread([&] {
        work();
        return true;
    });
}

Rectangle frameOf(Window& window, View& view) {
    Rectangle frame;
    onWindowThread(window, [&] { frame = view.getFrame(); });
    return frame;
}

Rectangle frameOf(Window& window) {
    Rectangle frame;
    onWindowThread(window, [&] { frame = window.getFrame(); });
    return frame;
}

void SyntheticInput::click(unsigned int number) {
    button(number, true);
    button(number, false);
}

Size borderOf(Window& window) {
    platform::Rect outer, client;
    platform::getWindowRect(window.getHandle(), outer);
    platform::getClientRect(window.getHandle(), client);
    return {float((outer.right - outer.left) - client.right),
            float((outer.bottom - outer.top) - client.bottom)};
}

void placeApart(Window& window) {
    platform::setWindowPos(window.getHandle(), nullptr, 760, 560, 0, 0,
                           platform::SWP_NOSIZE | platform::SWP_NOZORDER);
    // Asking for mouse-leave tracking queries the pointer through the window thread's own X connection:
    // once that round trip is back, the server has moved the window, before any input of ours arrives.
    platform::TrackMouseEvent request;
    request.flags = platform::TME_LEAVE;
    request.window = window.getHandle();
    platform::trackMouseEvent(request);
}

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace korvane::gui::testing
