#pragma once

#include <cstddef>
#include <cstdint>

#include "math/Vector.h"
#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::geometry {

// The GL primitive types that colliders and triangle meshes understand, by their OpenGL values.
namespace primitive {
constexpr uint32_t Triangles = 4;
constexpr uint32_t TriangleStrip = 5;
constexpr uint32_t TriangleFan = 6;
constexpr uint32_t Quads = 7;
constexpr uint32_t QuadStrip = 8;
} // namespace primitive

/// Finds where a ray, a segment or a line first meets a piece of geometry. A line is an origin and a
/// direction that need not be unit length: distances are measured in multiples of the direction, so the
/// segment runs from the origin (t = 0) to origin + direction (t = 1).
///
/// Each operation returns whether something was hit. With a hit record it fills in the nearest hit (the
/// point, the unnormalised normal of the triangle hit and the distance t); without one it may stop at the
/// first qualifying hit. A miss leaves the record untouched.
template <typename T, std::size_t N> class Collider : public object::Object, public object::Noncopyable {
public:
    struct Line {
        math::Vector<T, N> origin;
        math::Vector<T, N> direction;
    };
    struct Hit {
        math::Vector<T, N> point;
        math::Vector<T, N> normal;
        T distance{};
    };

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Collider");
    }

    /// Hits at t >= 0.
    virtual bool intersectRay(const Line& line, Hit* hit) const = 0;
    /// Hits at 0 <= t <= 1.
    virtual bool intersectSegment(const Line& line, Hit* hit) const = 0;
    /// Hits at any finite t, behind the origin too.
    virtual bool intersectLine(const Line& line, Hit* hit) const = 0;

protected:
    Collider() = default;
};

} // namespace korvane::geometry
