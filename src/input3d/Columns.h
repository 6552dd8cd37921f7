#pragma once

#include "math/Matrix.h"
#include "math/Vector.h"

// Reading and writing the upper 3 x 3 columns of a transform, shared by the controllers.
namespace korvane::input3d::detail {

inline math::Vector3<float> column(const math::Matrix& m, int c) {
    return {m(0, c), m(1, c), m(2, c)};
}

inline void setColumn(math::Matrix& m, int c, const math::Vector3<float>& v) {
    m(0, c) = v.x;
    m(1, c) = v.y;
    m(2, c) = v.z;
}

} // namespace korvane::input3d::detail
