// Window data and text: titles, extra words, messages sent or posted to a window, leave tracking.
#include <cstring>

#include "platform/x11/X11Window.h"

namespace korvane::platform {

namespace {

using x11::onOwner;

} // namespace

namespace x11 {

void setTitle(Connection& connection, WindowRecord* window) {
    if (window->parent) {
        return;
    }
    XStoreName(connection.display, window->xwindow, window->title.c_str());
    XChangeProperty(connection.display, window->xwindow, connection.netWmName, connection.utf8String, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(window->title.data()),
                    static_cast<int>(window->title.size()));
}

} // namespace x11

bool setWindowText(WindowHandle window, const char* text) {
    return onOwner(window, false, [text](WindowRecord* w) {
        w->title = text ? text : "";
        x11::setTitle(*w->connection, w);
        XFlush(w->connection->display);
        return true;
    });
}

int getWindowText(WindowHandle window, char* buffer, int size) {
    return onOwner(window, 0, [buffer, size](WindowRecord* w) {
        if (!buffer || size <= 0) {
            return 0;
        }
        int length = std::min(static_cast<int>(w->title.size()), size - 1);
        std::memcpy(buffer, w->title.data(), static_cast<size_t>(length));
        buffer[length] = 0;
        return length;
    });
}

Result callWindowProc(WindowProcedure procedure, WindowHandle window, uint32_t message, WParam wParam,
                      LParam lParam) {
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

Result sendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    return onOwner(window, Result(0),
                   [=](WindowRecord* w) { return x11::callProcedure(w, message, wParam, lParam); });
}

bool postMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    ThreadId owner = getWindowThreadId(window);
    auto queue = owner ? detail::findQueue(owner) : nullptr;
    return queue && queue->post(Msg{window, message, wParam, lParam});
}

intptr_t getWindowLongPtr(WindowHandle window, int index) {
    return onOwner(window, intptr_t(0), [index](WindowRecord* w) -> intptr_t {
        switch (index) {
        case GWLP_WNDPROC:
            return reinterpret_cast<intptr_t>(w->procedure);
        case GWLP_USERDATA:
            return w->userData;
        case GWLP_HWNDPARENT:
            return reinterpret_cast<intptr_t>(w->parent);
        default:
            break;
        }
        intptr_t value = 0;
        if (index >= 0 && static_cast<size_t>(index) + sizeof value <= w->extra.size()) {
            std::memcpy(&value, w->extra.data() + index, sizeof value);
        }
        return value;
    });
}

intptr_t setWindowLongPtr(WindowHandle window, int index, intptr_t value) {
    return onOwner(window, intptr_t(0), [index, value](WindowRecord* w) -> intptr_t {
        intptr_t previous = 0;
        switch (index) {
        case GWLP_WNDPROC:
            previous = reinterpret_cast<intptr_t>(w->procedure);
            if (value) {
                w->procedure = reinterpret_cast<WindowProcedure>(value);
            }
            return previous;
        case GWLP_USERDATA:
            previous = w->userData;
            w->userData = value;
            return previous;
        default:
            break;
        }
        if (index >= 0 && static_cast<size_t>(index) + sizeof value <= w->extra.size()) {
            std::memcpy(&previous, w->extra.data() + index, sizeof previous);
            std::memcpy(w->extra.data() + index, &value, sizeof value);
        }
        return previous;
    });
}

bool trackMouseEvent(const TrackMouseEvent& request) {
    if (!(request.flags & TME_LEAVE)) {
        return false;
    }
    return onOwner(request.window, false, [&request](WindowRecord* w) {
        if (request.flags & TME_CANCEL) {
            w->trackLeave = false;
            return true;
        }
        x11::Connection& connection = *w->connection;
        ::Window rootReturn, child;
        int rootX, rootY, x, y;
        unsigned int mask;
        bool inside = XQueryPointer(connection.display, w->xwindow, &rootReturn, &child, &rootX, &rootY, &x,
                                    &y, &mask) &&
                      child == None && x >= 0 && y >= 0 && x < w->width && y < w->height;
        if (inside) {
            w->trackLeave = true;
        } else {
            w->trackLeave = false;
            connection.queueInput(Msg{w, WM_MOUSELEAVE, 0, 0});
        }
        return true;
    });
}

} // namespace korvane::platform
