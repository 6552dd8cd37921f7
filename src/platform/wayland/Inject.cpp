// Synthetic seat input: what a compositor with a pointer and a keyboard would send, for tests on a
// compositor without a seat. Events go to the connection of the window they concern, on its thread.
#include <cstdio>
#include <functional>
#include <mutex>
#include <unordered_map>

#include "platform/wayland/WaylandWindow.h"

namespace korvane::platform::wayland {

namespace {

struct Seat {
    std::mutex mutex;
    ThreadId pointerThread = 0;
    ThreadId keyboardThread = 0;
    bool emulated = false;
    // Events for the connections of other threads, taken when those threads look for input.
    std::unordered_map<ThreadId, std::vector<std::function<void(Connection&)>>> pending;
};

Seat& seat() {
    static Seat* instance = new Seat;
    return *instance;
}

// Runs the work with the connection of the given thread: at once on that thread, otherwise when that
// thread next looks for input (never waiting for it: it may be blocked on the caller).
void onThread(ThreadId thread, std::function<void(Connection&)> work) {
    if (!thread) {
        return;
    }
    if (thread == currentThreadId()) {
        // Events queued for this thread earlier come first.
        if (Connection* connection = Connection::currentIfAny()) {
            takeSeatEvents(*connection);
            work(*connection);
        }
        return;
    }
    {
        std::lock_guard lock(seat().mutex);
        seat().pending[thread].push_back(std::move(work));
    }
    if (auto queue = detail::findQueue(thread)) {
        queue->wake();
    }
}

// The deepest shown window under a point of the window's client area; the point becomes its own.
WindowRecord* windowAt(WindowRecord* window, int32_t& x, int32_t& y) {
    for (auto it = window->children.rbegin(); it != window->children.rend(); ++it) {
        WindowRecord* child = *it;
        if (child->visible && x >= child->x && y >= child->y && x < child->x + child->width &&
            y < child->y + child->height) {
            x -= child->x;
            y -= child->y;
            return windowAt(child, x, y);
        }
    }
    return window;
}

// The front-most shown top-level window that holds a point of the program's screen.
WindowRecord* topLevelAt(int32_t x, int32_t y) {
    std::vector<WindowRecord*> stacking;
    {
        std::lock_guard lock(windowRegistry().mutex);
        stacking = windowRegistry().stacking;
    }
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        bool inside = onOwner(*it, false, [x, y](WindowRecord* top) {
            return top->visible && x >= top->x && y >= top->y && x < top->x + top->width &&
                   y < top->y + top->height;
        });
        if (inside) {
            return *it;
        }
    }
    return nullptr;
}

void moveFocus(WindowRecord* window) {
    Seat& s = seat();
    ThreadId previous, next = window ? getWindowThreadId(window) : 0;
    {
        std::lock_guard lock(s.mutex);
        previous = s.keyboardThread;
        s.keyboardThread = next;
    }
    if (previous && previous != next) {
        onThread(previous, [](Connection& connection) { connection.keyboardLeave(); });
    }
    onThread(next, [window](Connection& connection) {
        if (WindowRecord* own = ownedWindow(window)) {
            connection.keyboardEnter(own);
        }
    });
}

} // namespace

void takeSeatEvents(Connection& connection) {
    std::vector<std::function<void(Connection&)>> work;
    {
        std::lock_guard lock(seat().mutex);
        auto found = seat().pending.find(currentThreadId());
        if (found == seat().pending.end()) {
            return;
        }
        work = std::move(found->second);
        seat().pending.erase(found);
    }
    for (auto& event : work) {
        event(connection);
    }
}

void emulateSeat() {
    std::lock_guard lock(seat().mutex);
    seat().emulated = true;
}

void injectPointerMotion(int32_t x, int32_t y) {
    Seat& s = seat();
    WindowRecord* front = topLevelAt(x, y);
    ThreadId thread = front ? getWindowThreadId(front) : 0;
    ThreadId previous;
    {
        std::lock_guard lock(s.mutex);
        s.emulated = true;
        previous = s.pointerThread;
        s.pointerThread = thread;
    }
    if (previous && previous != thread) {
        onThread(previous, [](Connection& connection) { connection.pointerLeave(); });
    }
    onThread(thread, [front, x, y](Connection& connection) {
        WindowRecord* top = ownedWindow(front);
        int32_t localX = top ? x - top->x : 0, localY = top ? y - top->y : 0;
        if (!top || localX < 0 || localY < 0 || localX >= top->width || localY >= top->height) {
            connection.pointerLeave();
            return;
        }
        WindowRecord* target = windowAt(top, localX, localY);
        if (target != connection.pointerWindow) {
            connection.pointerLeave();
            connection.pointerEnter(target, localX, localY);
        } else {
            connection.pointerMotion(localX, localY);
        }
    });
}

void injectPointerButton(uint32_t button, bool press) {
    ThreadId thread;
    {
        std::lock_guard lock(seat().mutex);
        thread = seat().pointerThread;
    }
    onThread(thread, [=](Connection& connection) { connection.pointerButton(button, press); });
}

void injectWheel(int notches) {
    ThreadId thread;
    {
        std::lock_guard lock(seat().mutex);
        thread = seat().pointerThread;
    }
    onThread(thread, [=](Connection& connection) { connection.pointerWheel(notches); });
}

void injectKey(uint32_t code, bool press) {
    ThreadId thread;
    {
        std::lock_guard lock(seat().mutex);
        seat().emulated = true;
        thread = seat().keyboardThread;
    }
    onThread(thread, [=](Connection& connection) { connection.injectKey(code, press); });
}

void injectFocusAt(int32_t x, int32_t y) {
    {
        std::lock_guard lock(seat().mutex);
        seat().emulated = true;
    }
    if (WindowRecord* window = topLevelAt(x, y)) {
        moveFocus(window);
    }
}

void injectFocus(WindowHandle window) {
    {
        std::lock_guard lock(seat().mutex);
        seat().emulated = true;
    }
    moveFocus(isWindow(window) ? window : nullptr);
}

void injectClose(WindowHandle window) {
    onOwner(window, false, [](WindowRecord* w) {
        w->connection->closeRequested(w);
        return true;
    });
    if (ThreadId owner = getWindowThreadId(window)) {
        if (auto queue = detail::findQueue(owner)) {
            queue->wake();
        }
    }
}

void injectConfigure(WindowHandle window, int32_t width, int32_t height) {
    onOwner(window, false, [=](WindowRecord* w) {
        if (!w->toplevel) {
            return false;
        }
        w->suggestedWidth = width;
        w->suggestedHeight = height;
        resizeFromCompositor(w, width, height);
        return true;
    });
}

uint32_t shownPixel(int32_t x, int32_t y) {
    std::vector<WindowRecord*> stacking;
    {
        std::lock_guard lock(windowRegistry().mutex);
        stacking = windowRegistry().stacking;
    }
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        uint32_t pixel = 0;
        bool inside = onOwner(*it, false, [&](WindowRecord* top) {
            int32_t localX = x - top->x, localY = y - top->y;
            if (!top->visible || localX < 0 || localY < 0 || localX >= top->width || localY >= top->height) {
                return false;
            }
            WindowRecord* window = windowAt(top, localX, localY);
            std::lock_guard lock(windowRegistry().mutex);
            // What GL presented last, or the plain content (black) where it presented nothing yet.
            if (localX < window->presentedWidth && localY < window->presentedHeight) {
                pixel = window->presented[static_cast<size_t>(localY * window->presentedWidth + localX)];
            }
            return true;
        });
        if (inside) {
            return pixel;
        }
    }
    return 0xFFFFFFFFu;
}

bool writePicture(WindowRecord* top, const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", top->width, top->height);
    std::vector<unsigned char> row(static_cast<size_t>(top->width) * 3);
    for (int32_t y = 0; y < top->height; ++y) {
        for (int32_t x = 0; x < top->width; ++x) {
            int32_t localX = x, localY = y;
            WindowRecord* window = windowAt(top, localX, localY);
            uint32_t pixel = 0;
            std::lock_guard lock(windowRegistry().mutex);
            if (localX < window->presentedWidth && localY < window->presentedHeight) {
                pixel = window->presented[static_cast<size_t>(localY * window->presentedWidth + localX)];
            }
            row[static_cast<size_t>(x) * 3] = static_cast<unsigned char>(pixel >> 16);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<unsigned char>(pixel >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<unsigned char>(pixel);
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
}

void shownToSeat(WindowRecord* window) {
    bool emulated;
    {
        std::lock_guard lock(seat().mutex);
        emulated = seat().emulated;
    }
    // A compositor gives the keyboard to a window it maps; the emulated seat does the same.
    if (emulated) {
        moveFocus(window);
    }
}

} // namespace korvane::platform::wayland
