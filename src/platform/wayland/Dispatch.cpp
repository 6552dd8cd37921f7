#include "platform/wayland/WaylandWindow.h"

namespace korvane::platform {

Result dispatchMessage(const Msg& msg) {
    // Messages of windows destroyed after they were queued, or of other threads' windows, go nowhere.
    WindowRecord* window = msg.window ? wayland::ownedWindow(msg.window) : nullptr;
    return window ? wayland::callProcedure(window, msg.message, msg.wParam, msg.lParam) : 0;
}

void translateMessage(const Msg& msg) {
    if (msg.message != WM_KEYDOWN) {
        return;
    }
    if (wayland::Connection* connection = wayland::Connection::currentIfAny()) {
        connection->translateKey(msg);
    }
}

} // namespace korvane::platform
