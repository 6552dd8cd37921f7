#include <gtest/gtest.h>

#include "math/Vector.h"

using namespace korvane::math;

TEST(VectorTest, ArithmeticWorksComponentwise) {
    Vector3<float> a{1, 2, 3};
    Vector<float, 3> b{4, -5, 6};
    EXPECT_EQ(a + b, (Vector3<float>{5, -3, 9}));
    EXPECT_EQ(a - b, (Vector3<float>{-3, 7, -3}));
    EXPECT_EQ(2 * a, (Vector3<float>{2, 4, 6}));
    EXPECT_EQ(a * 2.0f / 4.0f, (Vector3<float>{0.5f, 1, 1.5f}));
    EXPECT_EQ(-a, (Vector3<float>{-1, -2, -3}));
    EXPECT_FLOAT_EQ(dot(a, b), 12.0f);
    EXPECT_FLOAT_EQ(squaredLength(a), 14.0f);
    EXPECT_EQ(a[0], 1.0f);
    EXPECT_EQ(a[2], 3.0f);
    a[1] = 7;
    EXPECT_EQ(a.y, 7.0f);
    EXPECT_EQ(sizeof(Vector3<float>), 3 * sizeof(float));
}

TEST(VectorTest, DefaultVectorsAreZero) {
    Vector3<float> v;
    Vector<double, 5> wide;
    EXPECT_EQ(v, (Vector3<float>{0, 0, 0}));
    for (std::size_t i = 0; i < wide.size(); ++i)
        EXPECT_EQ(wide[i], 0.0);
}

TEST(VectorTest, CrossProductIsRightHanded) {
    const Vector3<float> x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    EXPECT_EQ(cross(x, y), z);
    EXPECT_EQ(cross(y, z), x);
    EXPECT_EQ(cross(z, x), y);
    EXPECT_EQ(cross(y, x), -z);
}

TEST(VectorTest, NormalizeGivesUnitLengthAndLeavesZeroAlone) {
    const Vector3<float> n = normalize(Vector3<float>{3, 0, 4});
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
    EXPECT_FLOAT_EQ(length(n), 1.0f);

    const Vector3<float> zero = normalize(Vector3<float>{});
    EXPECT_EQ(zero, (Vector3<float>{0, 0, 0}));

    const Vector2<double> d = normalize(Vector2<double>{0, -2});
    EXPECT_EQ(d, (Vector2<double>{0, -1}));
}
