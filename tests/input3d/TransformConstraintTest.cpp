#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "input3d/TransformConstraint.h"
#include "object/Pointer.h"
#include "support/input3d/MatrixChecks.h"

using namespace korvane;
using input3d::TransformConstraint;
using korvane::testing::expectNearMatrix;
using math::Matrix;
using Vector = math::Vector3<float>;

namespace {

object::Pointer<TransformConstraint> limited(float yaw, float pitch, float roll) {
    auto constraint = object::Pointer<TransformConstraint>::adopt(new TransformConstraint);
    constraint->setReference({0, 0, 2});
    constraint->setUp({0, 3, 0});
    constraint->setLimits(yaw, pitch, roll);
    return constraint;
}

Vector column(const Matrix& m, int c) {
    return {m(0, c), m(1, c), m(2, c)};
}

// A transform facing along yaw and pitch (about y, then about the turned x), rolled about its third
// column, with scaled columns and a translation.
Matrix facing(float yaw, float pitch, float roll, Vector scale = {1, 1, 1}, Vector at = {0, 0, 0}) {
    Matrix m = Matrix::rotation(-yaw, {0, 1, 0}) * Matrix::rotation(-pitch, {1, 0, 0}) *
               Matrix::rotation(roll, {0, 0, 1}) * Matrix::scaling(scale.x, scale.y, scale.z);
    m.setTranslation(at);
    return m;
}

// What every corrected transform must keep: the column lengths, perpendicular columns, handedness, the
// limits, and the pivot where it was (the change of rotation, corrected * original^-1, leaves it fixed).
void expectSoundCorrection(const TransformConstraint& constraint, const Matrix& original,
                           const Matrix& corrected) {
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(math::length(column(corrected, c)), math::length(column(original, c)), 1e-4)
            << "column " << c;
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b)
            EXPECT_NEAR(
                math::dot(math::normalize(column(corrected, a)), math::normalize(column(corrected, b))), 0,
                1e-5);
    const auto handedness = [](const Matrix& m) {
        return math::dot(column(m, 0), math::cross(column(m, 1), column(m, 2))) > 0;
    };
    EXPECT_EQ(handedness(corrected), handedness(original));
    const Vector forward = column(corrected, 2);
    EXPECT_LE(std::fabs(constraint.measureYaw(forward)), constraint.getYawLimit() + 1e-5);
    EXPECT_LE(std::fabs(constraint.measurePitch(forward)), constraint.getPitchLimit() + 1e-5);
    EXPECT_LE(std::fabs(constraint.measureRoll(forward, column(corrected, 1))),
              constraint.getRollLimit() + 1e-5);
    Matrix inverse = original;
    ASSERT_TRUE(math::invert(inverse));
    const Vector pivot = constraint.getPivot();
    const Vector moved = math::transform(corrected * inverse, pivot);
    EXPECT_NEAR(moved.x, pivot.x, 1e-3);
    EXPECT_NEAR(moved.y, pivot.y, 1e-3);
    EXPECT_NEAR(moved.z, pivot.z, 1e-3);
}

} // namespace

TEST(TransformConstraintTest, LeavesTransformsWithinTheLimitsAlone) {
    auto constraint = limited(0.8f, 0.2f, 0.4f);
    EXPECT_EQ(constraint->getSide(), (Vector{-1, 0, 0}));
    for (const Matrix& m : {Matrix::identity(), facing(0.79f, 0, 0),
                            facing(-0.5f, 0.15f, 0.3f, {2, 3, 4}, {7, 8, 9}), facing(0, -0.19f, -0.39f)}) {
        Matrix copy = m;
        EXPECT_FALSE(constraint->apply(copy));
        EXPECT_EQ(copy, m);
    }
}

TEST(TransformConstraintTest, ClampsEachAngleToItsLimit) {
    auto constraint = limited(0.8f, 0.2f, 0.4f);
    const struct {
        float yaw, pitch, roll;
        float expectedYaw, expectedPitch, expectedRoll;
    } cases[] = {
        {1.2f, 0, 0, 0.8f, 0, 0},
        {-1.5f, 0, 0, -0.8f, 0, 0},
        {0, 0.5f, 0, 0, 0.2f, 0},
        {0, -0.3f, 0, 0, -0.2f, 0},
        {0, 0, 0.9f, 0, 0, 0.4f},
        {0, 0, -2.5f, 0, 0, -0.4f},
        // Turned far to the side, the pitch seen from the reference grows beyond its limit too.
        {1.2f, 0.15f, 0, 0.8f, 0.2f, NAN},
        {2.8f, 0.1f, 0.2f, 0.8f, 0.2f, NAN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "yaw " << c.yaw << " pitch " << c.pitch << " roll " << c.roll);
        const Matrix original = facing(c.yaw, c.pitch, c.roll, {1, 2, 0.5f}, {10, -20, 30});
        Matrix m = original;
        ASSERT_TRUE(constraint->apply(m));
        const Vector forward = column(m, 2);
        EXPECT_NEAR(constraint->measureYaw(forward), c.expectedYaw, 1e-5);
        EXPECT_NEAR(constraint->measurePitch(forward), c.expectedPitch, 1e-5);
        if (!std::isnan(c.expectedRoll)) {
            EXPECT_NEAR(constraint->measureRoll(forward, column(m, 1)), c.expectedRoll, 1e-5);
        }
        expectSoundCorrection(*constraint, original, m);
        // A corrected transform passes unchanged.
        Matrix again = m;
        EXPECT_FALSE(constraint->apply(again));
        EXPECT_EQ(again, m);
    }
}

TEST(TransformConstraintTest, TurnsTheTransformAboutThePivot) {
    auto constraint = limited(0.3f, 0.3f, 0.3f);
    constraint->setPivot({0, 0, 0});
    // A camera 400 out on a turned axis comes back to the limit at the same distance from the origin.
    Matrix camera = facing(1.0f, 0, 0);
    camera = camera * Matrix::translation(0, 0, 400);
    ASSERT_TRUE(constraint->apply(camera));
    EXPECT_NEAR(math::length(camera.getTranslation()), 400, 1e-2);
    const Vector direction = math::normalize(camera.getTranslation());
    EXPECT_NEAR(math::dot(direction, column(camera, 2)), 1, 1e-5);

    constraint->setPivot({5, -6, 7});
    const Matrix original = facing(-1.3f, 0.6f, 1.1f, {1, 1, 1}, {3, 4, 5});
    Matrix m = original;
    ASSERT_TRUE(constraint->apply(m));
    expectSoundCorrection(*constraint, original, m);
}

// Transforms facing every way, under limits below, at and beyond a quarter turn in every combination: each
// comes out within the limits, apply reports exactly whether it changed the transform, and a corrected
// transform passes the next check unchanged.
TEST(TransformConstraintTest, RandomTransformsComeOutSoundAndSettle) {
    const float quarter = 1.5707964f;
    const float limitSets[][3] = {{0.8f, 0.2f, 0.4f},       {0.8f, 2.0f, 0.4f},    {2.0f, 0.2f, 0.4f},
                                  {2.5f, 2.8f, 3.0f},       {quarter, 1.0f, 1.0f}, {quarter, quarter, 0.1f},
                                  {3.1415927f, 0.5f, 0.05f}};
    std::mt19937 random(99);
    std::uniform_real_distribution<float> angle(-3.1415927f, 3.1415927f), size(0.5f, 3), place(-50, 50);
    for (const auto& limits : limitSets) {
        auto constraint = limited(limits[0], limits[1], limits[2]);
        constraint->setPivot({1, 2, 3});
        for (int i = 0; i < 600; ++i) {
            const Matrix original = facing(angle(random), angle(random), angle(random),
                                           {size(random), size(random), size(random)},
                                           {place(random), place(random), place(random)});
            Matrix m = original;
            const bool changed = constraint->apply(m);
            EXPECT_EQ(changed, !(m == original));
            expectSoundCorrection(*constraint, original, m);
            Matrix again = m;
            EXPECT_FALSE(constraint->apply(again));
            EXPECT_EQ(again, m);
            if (HasFailure())
                FAIL() << "limits " << limits[0] << " " << limits[1] << " " << limits[2] << ", case " << i;
        }
    }
}

TEST(TransformConstraintTest, KeepsMirroredAndDegenerateTransformsSafe) {
    auto constraint = limited(0.2f, 0.2f, 0.2f);
    const Matrix mirrored = facing(0.9f, 0.4f, 0.5f, {-1, 1, 1});
    Matrix m = mirrored;
    ASSERT_TRUE(constraint->apply(m));
    expectSoundCorrection(*constraint, mirrored, m);

    // Looking straight along up: yaw is undefined, pitch is clamped.
    Matrix upward = Matrix::rotation(-1.5707964f, {1, 0, 0});
    ASSERT_TRUE(constraint->apply(upward));
    for (float e : upward.elements)
        EXPECT_TRUE(std::isfinite(e));
    EXPECT_NEAR(constraint->measurePitch(column(upward, 2)), 0.2f, 1e-5);

    Matrix empty = Matrix::zero();
    EXPECT_FALSE(constraint->apply(empty));
    Matrix broken = Matrix::identity();
    broken(0, 2) = NAN;
    EXPECT_FALSE(constraint->apply(broken));
}
