#include "platform/unix/Backend.h"

namespace korvane::platform {

Result dispatchMessage(const Msg& msg) {
    // Messages of windows destroyed after they were queued, or of other threads' windows, go nowhere.
    WindowRecord* window = msg.window ? backend::ownedWindow(msg.window) : nullptr;
    return window ? backend::callProcedure(window, msg.message, msg.wParam, msg.lParam) : 0;
}

void translateMessage(const Msg& msg) {
    if (msg.message != WM_KEYDOWN) {
        return;
    }
    if (backend::Connection* connection = backend::Connection::currentIfAny()) {
        connection->translateKey(msg);
    }
}

} // namespace korvane::platform
