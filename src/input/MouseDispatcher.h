#pragma once

#include "input/MouseListener.h"

namespace korvane::input {

/// Hands mouse input to its listeners, in the order they were added.
class MouseDispatcher : public application::Dispatcher<MouseListener> {
public:
    void dispatchResize(const gui::Rectangle& rectangle);
    void dispatchMouseMove(const gui::Point& position, uint32_t state);
    void dispatchMouseButton(const gui::Point& position, uint32_t code);
    void dispatchMouseWheel(float delta);

    types::String getClassPath() const override;
};

} // namespace korvane::input
