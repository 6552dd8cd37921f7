#pragma once

#include <cstdint>

#include "object/Object.h"
#include "types/String.h"

namespace korvane::math {

/// Base of the pseudo-random number generators.
class Random : public object::Object {
public:
    types::String getClassPath() const override;
};

/// A linear congruential generator (multiplier 214013, increment 2531011, modulo 2^32) whose 31 low bits
/// are scaled to floats in [minimum, maximum]. A new generator starts from state 0 with the range [0, 1],
/// so every run produces the same sequence.
class Uniform : public Random {
public:
    Uniform() = default;
    Uniform(float minimum, float maximum) : minimum(minimum), maximum(maximum) {}

    types::String getClassPath() const override;

    /// The next value, both ends included.
    float next();

    uint32_t getState() const { return state; }
    void setState(uint32_t value) { state = value; }
    float getMinimum() const { return minimum; }
    float getMaximum() const { return maximum; }
    void setRange(float newMinimum, float newMaximum) {
        minimum = newMinimum;
        maximum = newMaximum;
    }

private:
    uint32_t state = 0;
    float minimum = 0.0f;
    float maximum = 1.0f;
};

} // namespace korvane::math
