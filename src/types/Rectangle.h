#pragma once

namespace korvane::types {

/// A position on a plane, over a coordinate type (float for views, int32_t for pixels of a GL context).
template <typename T> struct Point {
    T x{};
    T y{};
    bool operator==(const Point&) const = default;
};

/// A width and a height.
template <typename T> struct Size {
    T width{};
    T height{};
    bool operator==(const Size&) const = default;
};

/// An axis-aligned rectangle: its top-left corner and its size.
template <typename T> struct Rectangle {
    T x{};
    T y{};
    T width{};
    T height{};
    bool operator==(const Rectangle&) const = default;
};

} // namespace korvane::types
