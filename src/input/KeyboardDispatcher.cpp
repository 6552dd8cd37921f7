#include "input/KeyboardDispatcher.h"

namespace korvane::input {

void KeyboardDispatcher::dispatchKeyDown(uint32_t key) {
    dispatch([&](KeyboardListener* listener) { listener->onKeyDown(key); });
}

void KeyboardDispatcher::dispatchKeyUp(uint32_t key) {
    dispatch([&](KeyboardListener* listener) { listener->onKeyUp(key); });
}

void KeyboardDispatcher::dispatchChar(uint32_t code, uint32_t modifiers) {
    dispatch([&](KeyboardListener* listener) { listener->onChar(code, modifiers); });
}

types::String KeyboardDispatcher::getClassPath() const {
    return types::String::concat(Dispatcher::getClassPath(), ":KeyboardDispatcher");
}

} // namespace korvane::input
