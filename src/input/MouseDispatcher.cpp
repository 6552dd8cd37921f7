#include "input/MouseDispatcher.h"

namespace korvane::input {

void MouseDispatcher::dispatchResize(const gui::Rectangle& rectangle) {
    dispatch([&](MouseListener* listener) { listener->onResize(rectangle); });
}

void MouseDispatcher::dispatchMouseMove(const gui::Point& position, uint32_t state) {
    dispatch([&](MouseListener* listener) { listener->onMouseMove(position, state); });
}

void MouseDispatcher::dispatchMouseButton(const gui::Point& position, uint32_t code) {
    dispatch([&](MouseListener* listener) { listener->onMouseButton(position, code); });
}

void MouseDispatcher::dispatchMouseWheel(float delta) {
    dispatch([&](MouseListener* listener) { listener->onMouseWheel(delta); });
}

types::String MouseDispatcher::getClassPath() const {
    return types::String::concat(Dispatcher::getClassPath(), ":MouseDispatcher");
}

} // namespace korvane::input
