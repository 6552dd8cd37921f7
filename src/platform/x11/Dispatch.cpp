#include "platform/MessageQueue.h"

namespace korvane::platform {

Result dispatchMessage(const Msg& msg) {
    (void)msg;
    return 0;
}

void translateMessage(const Msg& msg) {
    (void)msg;
}

} // namespace korvane::platform
