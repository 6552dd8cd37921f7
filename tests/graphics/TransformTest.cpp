#include <gtest/gtest.h>

#include "graphics/Transform.h"

using korvane::graphics::Transform;
using korvane::math::Vector2;

TEST(TransformTest, NewTransformIsTheIdentity) {
    Transform<float> t;
    EXPECT_EQ(t.getClassPath(), "Object:Transform");
    EXPECT_EQ(t, Transform<float>(1, 0, 0, 0, 1, 0));
    EXPECT_EQ(t.map({3, -4}), (Vector2<float>{3, -4}));
}

TEST(TransformTest, ComposeAppliesTheRightOperandFirst) {
    const auto move = Transform<float>::translation(5, 0);
    const auto scale = Transform<float>::scaling(2, 2);
    EXPECT_EQ(Transform<float>::compose(move, scale).map({1, 1}), (Vector2<float>{7, 2}));
    EXPECT_EQ(Transform<float>::compose(scale, move).map({1, 1}), (Vector2<float>{12, 2}));

    // Composition agrees with mapping twice, shear and rotation parts included.
    const Transform<float> a(0, -1, 3, 1, 0, -2);
    const Transform<float> b(2, 1, 1, 0, 3, 4);
    const Vector2<float> p{5, 7};
    EXPECT_EQ(Transform<float>::compose(a, b).map(p), a.map(b.map(p)));
    EXPECT_EQ(Transform<float>::compose(a, b).mapVector(p), a.mapVector(b.mapVector(p)));
    EXPECT_FLOAT_EQ(Transform<float>::compose(a, b).determinant(), a.determinant() * b.determinant());
}

TEST(TransformTest, TranslateMovesAfterTheMapping) {
    const Transform<float> scaled = Transform<float>::scaling(2, 3);
    const Transform<float> moved = Transform<float>::translate(scaled, 10, 20);
    EXPECT_EQ(moved, Transform<float>(2, 0, 10, 0, 3, 20));
    EXPECT_EQ(moved.map({1, 1}), (Vector2<float>{12, 23}));
    // The source is left as it was.
    EXPECT_EQ(scaled, Transform<float>(2, 0, 0, 0, 3, 0));
}
