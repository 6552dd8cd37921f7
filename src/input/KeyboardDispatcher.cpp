#include "input/KeyboardDispatcher.h"

namespace korvane::input {

types::String KeyboardDispatcher::getClassPath() const {
    return types::String::concat(Dispatcher::getClassPath(), ":KeyboardDispatcher");
}

} // namespace korvane::input
