#include "input/KeyboardListener.h"
#include "input/MouseListener.h"

namespace korvane::input {

void MouseListener::onResize(const gui::Rectangle&) {}
void MouseListener::onMouseMove(const gui::Point&, uint32_t) {}
void MouseListener::onMouseButton(const gui::Point&, uint32_t) {}
void MouseListener::onMouseWheel(float) {}

void KeyboardListener::onKeyDown(uint32_t) {}
void KeyboardListener::onKeyUp(uint32_t) {}
void KeyboardListener::onChar(uint32_t, uint32_t) {}

} // namespace korvane::input
