// Window data and text: titles, extra words, messages sent or posted to a window, leave tracking.
#include <cstring>

#include "platform/unix/Backend.h"

namespace korvane::platform {

namespace {

using backend::onOwner;

} // namespace

bool setWindowText(WindowHandle window, const char* text) {
    return onOwner(window, false, [text](WindowRecord* w) {
        w->title = text ? text : "";
        backend::titleChanged(w);
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
                   [=](WindowRecord* w) { return backend::callProcedure(w, message, wParam, lParam); });
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
        if (backend::pointerOver(w)) {
            w->trackLeave = true;
        } else {
            w->trackLeave = false;
            w->connection->queueInput(Msg{w, WM_MOUSELEAVE, 0, 0});
        }
        return true;
    });
}

} // namespace korvane::platform
