#include "platform/unix/InputQueue.h"

#include <algorithm>

#include "platform/unix/Backend.h"

namespace korvane::platform {

bool InputQueue::takeInput(Msg& msg, bool remove) {
    if (input.empty()) {
        return false;
    }
    msg = input.front().msg;
    if (remove) {
        Input item = input.front();
        input.pop_front();
        backend::noteTaken(item.msg, item.sideKey);
        if (item.msg.message == WM_KEYDOWN || item.msg.message == WM_KEYUP) {
            lastKey = item.msg.message == WM_KEYDOWN ? item : Input{};
        }
    }
    return true;
}

void InputQueue::translateKey(const Msg& msg) {
    const Msg& key = lastKey.msg;
    if (msg.message != WM_KEYDOWN || key.message != WM_KEYDOWN || lastKey.character == 0 ||
        key.window != msg.window || key.wParam != msg.wParam || key.lParam != msg.lParam) {
        return;
    }
    input.push_front({Msg{msg.window, WM_CHAR, lastKey.character, msg.lParam}, 0, 0});
    lastKey = Input{};
}

void InputQueue::forget(WindowRecord* window) {
    std::erase_if(input, [window](const Input& item) { return item.msg.window == window; });
    if (lastKey.msg.window == window) {
        lastKey = Input{};
    }
}

} // namespace korvane::platform
