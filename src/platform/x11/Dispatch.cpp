#include "platform/x11/X11Window.h"

namespace korvane::platform {

Result dispatchMessage(const Msg& msg) {
    // Messages of windows destroyed after they were queued, or of other threads' windows, go nowhere.
    WindowRecord* window = msg.window ? x11::ownedWindow(msg.window) : nullptr;
    return window ? x11::callProcedure(window, msg.message, msg.wParam, msg.lParam) : 0;
}

void translateMessage(const Msg& msg) {
    if (msg.message != WM_KEYDOWN) {
        return;
    }
    if (x11::Connection* connection = x11::Connection::currentIfAny()) {
        connection->translateKey(msg);
    }
}

} // namespace korvane::platform
