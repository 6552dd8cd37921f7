#pragma once

#include <cmath>

#include <gtest/gtest.h>

#include "math/Matrix.h"

namespace korvane::testing {

// Rotation-part elements within tolerance, translation elements within tolerance relative to their size.
inline void expectNearMatrix(const math::Matrix& actual, const double expected[16], double tolerance) {
    for (int i = 0; i < 16; ++i) {
        const bool translation = i == 3 || i == 7 || i == 11;
        const double allowed = translation ? tolerance * std::fmax(1.0, std::fabs(expected[i])) : tolerance;
        EXPECT_NEAR(actual.elements[i], expected[i], allowed) << "element " << i;
    }
}

inline void expectNearMatrix(const math::Matrix& actual, const math::Matrix& expected, double tolerance) {
    double values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = expected.elements[i];
    expectNearMatrix(actual, values, tolerance);
}

// The largest deviation of the upper 3x3 part from an orthonormal matrix: max |R^T R - I|.
inline double orthonormalError(const math::Matrix& m) {
    double worst = 0;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            double sum = 0;
            for (int r = 0; r < 3; ++r)
                sum += double(m(r, a)) * double(m(r, b));
            worst = std::fmax(worst, std::fabs(sum - (a == b ? 1.0 : 0.0)));
        }
    return worst;
}

} // namespace korvane::testing
