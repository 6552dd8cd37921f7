#pragma once

#include "platform/Window.h"
#include "types/Rectangle.h"

namespace korvane::gui {

/// A position, a size and a rectangle in pixels (float, so that layouts may place views between pixels).
using Point = types::Point<float>;
using Size = types::Size<float>;
using Rectangle = types::Rectangle<float>;

/// The dirty rectangle of a paint, whose right and bottom edges are inclusive.
inline Rectangle paintRectangle(const platform::PaintStruct& paint) {
    return {float(paint.paint.left), float(paint.paint.top), float(paint.paint.right - paint.paint.left + 1),
            float(paint.paint.bottom - paint.paint.top + 1)};
}

} // namespace korvane::gui
