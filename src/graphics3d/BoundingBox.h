#pragma once

#include "math/Vector.h"

namespace korvane::graphics3d {

/// An oriented box: its centre, three half-axis vectors and their squared lengths. Plain data; a
/// default box is all zero.
struct BoundingBox {
    math::Vector3<float> center;
    math::Vector3<float> axes[3];
    float squaredLengths[3] = {};

    /// The axis-aligned box from minimum to maximum.
    static BoundingBox fromRange(const math::Vector3<float>& minimum, const math::Vector3<float>& maximum) {
        BoundingBox box;
        box.center = (minimum + maximum) * 0.5f;
        for (int axis = 0; axis < 3; ++axis) {
            const float half = (maximum[axis] - minimum[axis]) * 0.5f;
            box.axes[axis][axis] = half;
            box.squaredLengths[axis] = half * half;
        }
        return box;
    }
};

} // namespace korvane::graphics3d
