#include "math/Random.h"

namespace korvane::math {

types::String Random::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Random");
}

types::String Uniform::getClassPath() const {
    return types::String::concat(Random::getClassPath(), ":Uniform");
}

float Uniform::next() {
    state = state * 214013u + 2531011u;
    const uint32_t bits = state & 0x7FFFFFFFu;
    // 1 / (2^31 - 1): the largest draw maps exactly onto maximum.
    constexpr double scale = 4.656612875245797e-10;
    return static_cast<float>(static_cast<double>(minimum) +
                              bits * scale * (static_cast<double>(maximum) - static_cast<double>(minimum)));
}

} // namespace korvane::math
