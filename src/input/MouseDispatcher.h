#pragma once

#include "input/MouseListener.h"

namespace korvane::input {

/// Hands mouse input to its listeners, in the order they were added.
/// Used on one thread, the one whose input it dispatches (a view's window thread). Dispatcher and
/// listeners hold no counted references on each other: whichever goes first leaves the other.
class MouseDispatcher : public application::Dispatcher<MouseListener> {
public:
    void dispatchResize(const gui::Rectangle& rectangle);
    void dispatchMouseMove(const gui::Point& position, uint32_t state);
    void dispatchMouseButton(const gui::Point& position, uint32_t code);
    void dispatchMouseWheel(float delta);

    types::String getClassPath() const override;
};

} // namespace korvane::input
