#pragma once

#include <cstdint>

#include "application/Dispatcher.h"
#include "gui/Geometry.h"

namespace korvane::input {

/// Receives the mouse input of a view through a MouseDispatcher. Positions are in the pixel coordinates
/// of the view; states and button codes are the gui Button and Modifier codes. Every operation does
/// nothing by default.
class MouseListener : public application::Listener<MouseListener> {
public:
    virtual ~MouseListener() = default;

    /// The input area changed to rectangle.
    virtual void onResize(const gui::Rectangle& rectangle);
    virtual void onMouseMove(const gui::Point& position, uint32_t state);
    virtual void onMouseButton(const gui::Point& position, uint32_t code);
    /// Win32 wheel units: one notch is 120, negative towards the user.
    virtual void onMouseWheel(float delta);
};

} // namespace korvane::input
