#pragma once

#include "platform/Window.h"

namespace korvane::gui {

/// A position in pixels.
struct Point {
    float x = 0.0f;
    float y = 0.0f;
    bool operator==(const Point&) const = default;
};

/// A width and a height in pixels.
struct Size {
    float width = 0.0f;
    float height = 0.0f;
    bool operator==(const Size&) const = default;
};

/// An axis-aligned rectangle: its top-left corner and its size, in pixels.
struct Rectangle {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    bool operator==(const Rectangle&) const = default;
};

/// The dirty rectangle of a paint, whose right and bottom edges are inclusive.
inline Rectangle paintRectangle(const platform::PaintStruct& paint) {
    return {float(paint.paint.left), float(paint.paint.top), float(paint.paint.right - paint.paint.left + 1),
            float(paint.paint.bottom - paint.paint.top + 1)};
}

} // namespace korvane::gui
