#pragma once

#include "math/Vector.h"
#include "object/Object.h"
#include "types/String.h"

namespace korvane::graphics {

/// A 2D affine transform mapping (x, y) to (m00 x + m01 y + tx, m10 x + m11 y + ty). Views place themselves
/// inside their parents with it. A new transform is the identity.
template <typename T> class Transform : public object::Object {
public:
    T m00 = 1, m01 = 0, tx = 0;
    T m10 = 0, m11 = 1, ty = 0;

    Transform() = default;
    Transform(T m00, T m01, T tx, T m10, T m11, T ty)
        : m00(m00), m01(m01), tx(tx), m10(m10), m11(m11), ty(ty) {}

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Transform");
    }

    static Transform scaling(T sx, T sy) { return Transform(sx, 0, 0, 0, sy, 0); }
    static Transform translation(T dx, T dy) { return Transform(1, 0, dx, 0, 1, dy); }

    /// t moved by (dx, dy) after its own mapping.
    static Transform translate(const Transform& t, T dx, T dy) {
        return Transform(t.m00, t.m01, t.tx + dx, t.m10, t.m11, t.ty + dy);
    }

    /// a * b: applies b first, then a.
    static Transform compose(const Transform& a, const Transform& b) {
        return Transform(a.m00 * b.m00 + a.m01 * b.m10, a.m00 * b.m01 + a.m01 * b.m11,
                         a.m00 * b.tx + a.m01 * b.ty + a.tx, a.m10 * b.m00 + a.m11 * b.m10,
                         a.m10 * b.m01 + a.m11 * b.m11, a.m10 * b.tx + a.m11 * b.ty + a.ty);
    }

    T determinant() const { return m00 * m11 - m01 * m10; }

    math::Vector2<T> map(const math::Vector2<T>& p) const {
        return {m00 * p.x + m01 * p.y + tx, m10 * p.x + m11 * p.y + ty};
    }
    /// A direction: the linear part only.
    math::Vector2<T> mapVector(const math::Vector2<T>& v) const {
        return {m00 * v.x + m01 * v.y, m10 * v.x + m11 * v.y};
    }

    bool operator==(const Transform& o) const {
        return m00 == o.m00 && m01 == o.m01 && tx == o.tx && m10 == o.m10 && m11 == o.m11 && ty == o.ty;
    }
};

} // namespace korvane::graphics
