#include <cmath>
#include <limits>
#include <numbers>

#include <gtest/gtest.h>

#include "math/Matrix.h"
#include "math/Random.h"

using namespace korvane::math;

namespace {

constexpr float halfPi = std::numbers::pi_v<float> / 2;

void expectNear(const Matrix& actual, const Matrix& expected, float tolerance) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.elements[i], expected.elements[i], tolerance) << "element " << i;
}

void expectNear(const Vector3<float>& actual, const Vector3<float>& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Checks that m * inverse(m) and inverse(m) * m are the identity.
void expectInverts(const Matrix& m, float tolerance) {
    Matrix inverse = m;
    ASSERT_TRUE(invert(inverse));
    expectNear(m * inverse, Matrix::identity(), tolerance);
    expectNear(inverse * m, Matrix::identity(), tolerance);
}

} // namespace

TEST(MatrixTest, LayoutIsRowMajorWithTranslationInTheLastColumn) {
    Matrix m = Matrix::translation(1, 2, 3);
    EXPECT_EQ(m.elements[3], 1.0f);
    EXPECT_EQ(m.elements[7], 2.0f);
    EXPECT_EQ(m.elements[11], 3.0f);
    EXPECT_EQ(m(1, 3), 2.0f);
    EXPECT_EQ(Matrix(), Matrix::identity());
    EXPECT_EQ(sizeof(Matrix), 16 * sizeof(float));
}

TEST(MatrixTest, ProductAppliesTheRightFactorFirst) {
    const Matrix t = Matrix::translation(10, 0, 0);
    const Matrix s = Matrix::scaling(2, 3, 4);
    const Vector3<float> p{1, 1, 1};
    EXPECT_EQ(transform(t * s, p), (Vector3<float>{12, 3, 4}));
    EXPECT_EQ(transform(s * t, p), (Vector3<float>{22, 3, 4}));
    EXPECT_EQ(transform(multiply(t, s), p), transform(t, transform(s, p)));
    // Directions ignore the translation.
    EXPECT_EQ(transformVector(t * s, p), (Vector3<float>{2, 3, 4}));
    EXPECT_EQ(transpose(t)(3, 0), 10.0f);
}

TEST(MatrixTest, RotationTurnsCounterClockwiseAboutTheAxis) {
    Matrix m = Matrix::translation(1, 0, 0);
    rotate(m, halfPi, {0, 0, 1});
    expectNear({m(0, 0), m(1, 0), m(2, 0)}, {0, 1, 0});
    expectNear(m.getTranslation(), {0, 1, 0});

    expectNear(transform(Matrix::rotation(halfPi, {1, 0, 0}), {0, 1, 0}), {0, 0, 1});
    expectNear(transform(Matrix::rotation(halfPi, {0, 1, 0}), {0, 0, 1}), {1, 0, 0});
    // The axis need not be normalised.
    expectNear(Matrix::rotation(0.7f, {0, 5, 0}), Matrix::rotation(0.7f, {0, 1, 0}), 1e-6f);
    // A turn about the diagonal cycles the axes.
    const float third = 2 * std::numbers::pi_v<float> / 3;
    expectNear(transform(Matrix::rotation(third, {1, 1, 1}), {1, 0, 0}), {0, 1, 0});
}

TEST(MatrixTest, RotateResetsTheBottomRowAndIgnoresAZeroAxis) {
    Matrix m(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 8);
    rotate(m, 1.0f, {0, 0, 1});
    EXPECT_EQ(m(3, 0), 0.0f);
    EXPECT_EQ(m(3, 3), 1.0f);

    Matrix n = Matrix::translation(1, 2, 3);
    rotate(n, 1.0f, {0, 0, 0});
    EXPECT_EQ(n, Matrix::translation(1, 2, 3));
}

TEST(MatrixTest, InvertsIdentityAndAffineTransformsExactlyEnough) {
    Matrix identity;
    ASSERT_TRUE(invert(identity));
    EXPECT_EQ(identity, Matrix::identity());

    Matrix m =
        Matrix::translation(3, -4, 5) * Matrix::rotation(0.3f, {1, 2, 3}) * Matrix::scaling(2, 2, 0.5f);
    expectInverts(m, 1e-5f);
    Matrix inverse = m;
    ASSERT_TRUE(invert(inverse));
    expectNear(transform(inverse, transform(m, {7, 8, 9})), {7, 8, 9}, 1e-5f);
}

TEST(MatrixTest, InvertsMatricesThatNeedPivoting) {
    // Zeros on the whole diagonal: no step can take its pivot from the diagonal.
    const Matrix swapped(0, 2, 0, 0, 0, 0, 0, 4, 1, 0, 0, 0, 0, 0, 5, 0);
    Matrix inverse = swapped;
    ASSERT_TRUE(invert(inverse));
    EXPECT_EQ(inverse, Matrix(0, 0, 1, 0, 0.5f, 0, 0, 0, 0, 0, 0, 0.2f, 0, 0.25f, 0, 0));

    // A perspective projection: a zero at (3, 3) and a non-affine bottom row.
    expectInverts(Matrix(1.5f, 0, 0.1f, 0, 0, 2, -0.2f, 0, 0, 0, -1.2f, -22, 0, 0, -1, 0), 1e-5f);

    // Random dense matrices exercise row and column interchanges in every order.
    Uniform random(-10, 10);
    for (int i = 0; i < 200; ++i) {
        Matrix m;
        for (float& e : m.elements)
            e = random.next();
        expectInverts(m, 1e-3f);
    }
}

TEST(MatrixTest, SingularMatricesAreReportedAndLeftUnchanged) {
    const Matrix zeroRow(1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 9, 1, 2, 3);
    Matrix m = zeroRow;
    EXPECT_FALSE(invert(m));
    EXPECT_EQ(m, zeroRow);

    const Matrix zeroColumn(1, 0, 3, 4, 2, 0, 1, 0, 5, 0, 7, 8, 9, 0, 2, 3);
    m = zeroColumn;
    EXPECT_FALSE(invert(m));
    EXPECT_EQ(m, zeroColumn);

    m = Matrix::zero();
    EXPECT_FALSE(invert(m));

    // Two equal rows: the elimination cancels the second one exactly.
    m = Matrix(1, 2, 4, 8, 1, 2, 4, 8, 0, 1, 0, 0, 0, 0, 1, 1);
    EXPECT_FALSE(invert(m));

    // A pivot this small has no finite inverse in single precision.
    m = Matrix::scaling(1e-39f, 1, 1);
    EXPECT_FALSE(invert(m));
    EXPECT_EQ(m, Matrix::scaling(1e-39f, 1, 1));

    m = Matrix::identity();
    m(2, 1) = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(invert(m));
}
