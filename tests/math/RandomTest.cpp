#include <algorithm>

#include <gtest/gtest.h>

#include "math/Random.h"

using korvane::math::Uniform;

TEST(RandomTest, NewGeneratorProducesTheFixedSequence) {
    Uniform uniform;
    EXPECT_EQ(uniform.getClassPath(), "Object:Random:Uniform");
    EXPECT_EQ(uniform.getState(), 0u);

    EXPECT_FLOAT_EQ(uniform.next(), 2531011.0f / 2147483647.0f);
    EXPECT_EQ(uniform.getState(), 2531011u);
    EXPECT_FLOAT_EQ(uniform.next(), 0.235582172870636f);
    EXPECT_EQ(uniform.getState(), 505908858u);
    // The state wraps modulo 2^32 and the top bit is dropped before scaling.
    EXPECT_FLOAT_EQ(uniform.next(), 0.6481432318687439f);
    EXPECT_EQ(uniform.getState(), 3539360597u);
    EXPECT_FLOAT_EQ(uniform.next(), 0.07437524199485779f);
}

TEST(RandomTest, ValuesStayInsideTheRangeAndReachItsEnds) {
    Uniform uniform;
    float lowest = 1, highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const float radius = 60 * uniform.next() + 50;
        ASSERT_GE(radius, 50.0f);
        ASSERT_LE(radius, 110.0f);
        lowest = std::min(lowest, (radius - 50) / 60);
        highest = std::max(highest, (radius - 50) / 60);
    }
    EXPECT_LT(lowest, 0.001f);
    EXPECT_GT(highest, 0.999f);

    // This state steps to one whose low 31 bits are all set: the draw is the maximum itself.
    Uniform ranged(-2.0f, 3.0f);
    ranged.setState(1740489964u);
    EXPECT_EQ(ranged.next(), 3.0f);
}
