#include "input3d/TransformConstraint.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "input3d/Columns.h"

namespace korvane::input3d {

using detail::column;
using detail::setColumn;

using math::Matrix;
using Vector = math::Vector3<float>;

namespace {

// The component of v perpendicular to the unit vector n, normalised (zero when v is parallel to n).
Vector perpendicular(const Vector& v, const Vector& n) {
    return math::normalize(v - math::dot(v, n) * n);
}

// The angle between the unit vectors a and b, safe against dot products that rounding pushed past 1.
float angleBetween(const Vector& a, const Vector& b) {
    return std::acos(std::clamp(math::dot(a, b), -1.0f, 1.0f));
}

// The angle of v away from `from` within the plane perpendicular to normal, negative towards -negative.
float planeAngle(const Vector& v, const Vector& normal, const Vector& from, const Vector& positive) {
    Vector projected = perpendicular(v, normal);
    if (math::squaredLength(projected) == 0)
        return 0;
    float angle = angleBetween(projected, from);
    return math::dot(projected, positive) < 0 ? -angle : angle;
}

// An angle beyond limit by more than rounding can explain comes back to the limit; anything else stays,
// so that a transform corrected once passes the next check unchanged.
float limitAngle(float angle, float limit) {
    constexpr float slack = 1e-5f;
    if (angle > limit + slack)
        return limit;
    if (angle < -limit - slack)
        return -limit;
    return angle;
}

bool isFinite(const Matrix& m) {
    return std::all_of(std::begin(m.elements), std::end(m.elements),
                       [](float e) { return std::isfinite(e); });
}

} // namespace

TransformConstraint::TransformConstraint()
    : yawLimit(std::numbers::pi_v<float>), pitchLimit(std::numbers::pi_v<float>),
      rollLimit(std::numbers::pi_v<float>), side(math::normalize(math::cross(reference, up))) {}

void TransformConstraint::setReference(const Vector& newReference) {
    reference = math::normalize(newReference);
    side = math::normalize(math::cross(reference, up));
}

void TransformConstraint::setUp(const Vector& newUp) {
    up = math::normalize(newUp);
    side = math::normalize(math::cross(reference, up));
}

void TransformConstraint::setLimits(float yaw, float pitch, float roll) {
    yawLimit = std::fabs(yaw);
    pitchLimit = std::fabs(pitch);
    rollLimit = std::fabs(roll);
}

float TransformConstraint::measureYaw(const Vector& forward) const {
    return planeAngle(forward, up, reference, side);
}

float TransformConstraint::measurePitch(const Vector& forward) const {
    return planeAngle(forward, side, reference, up);
}

float TransformConstraint::measureRoll(const Vector& forward, const Vector& upward) const {
    Vector axis = math::normalize(forward);
    if (math::squaredLength(axis) == 0)
        return 0;
    Vector level = perpendicular(up, axis);
    Vector actual = perpendicular(upward, axis);
    if (math::squaredLength(level) == 0 || math::squaredLength(actual) == 0)
        return 0;
    float angle = angleBetween(level, actual);
    return math::dot(math::cross(level, actual), axis) < 0 ? -angle : angle;
}

bool TransformConstraint::apply(Matrix& m) {
    if (!isFinite(m))
        return false;
    const float lengths[3] = {math::length(column(m, 0)), math::length(column(m, 1)),
                              math::length(column(m, 2))};
    if (lengths[2] == 0)
        return false;
    Vector right = math::normalize(column(m, 0));
    Vector upward = math::normalize(column(m, 1));
    Vector forward = math::normalize(column(m, 2));
    const float handedness =
        math::dot(column(m, 0), math::cross(column(m, 1), column(m, 2))) < 0 ? -1.0f : 1.0f;
    bool changed = false;

    const float yaw = measureYaw(forward), pitch = measurePitch(forward);
    float clampedYaw = limitAngle(yaw, yawLimit);
    float clampedPitch = limitAngle(pitch, pitchLimit);
    if (clampedYaw != yaw || clampedPitch != pitch) {
        // Yaw and pitch are the angles of the forward direction's projections onto two planes through
        // the reference, so both lie within a quarter turn when it points ahead of the reference's
        // normal plane, and both beyond when it points behind. Clamping one angle below a quarter turn
        // while the other stays beyond asks for a direction that does not exist: the other then comes
        // to a little short of a quarter turn: nearly straight along its axis, far enough from it that
        // the roll about the direction stays well measured.
        constexpr float quarter = std::numbers::pi_v<float> / 2;
        constexpr float margin = 0.05f;
        const bool yawAhead = std::fabs(clampedYaw) < quarter;
        const bool pitchAhead = std::fabs(clampedPitch) < quarter;
        if (yawAhead && !pitchAhead)
            clampedPitch = std::copysign(quarter - margin, clampedPitch);
        else if (pitchAhead && !yawAhead)
            clampedYaw = std::copysign(quarter - margin, clampedYaw);
        const float cy = std::cos(clampedYaw), sy = std::sin(clampedYaw);
        const float cp = std::cos(clampedPitch), sp = std::sin(clampedPitch);
        // The direction whose yaw and pitch, measured as above, are exactly these angles, so that a
        // corrected transform passes the next check unchanged: its components along side and up over
        // its component along the reference are tan(yaw) and tan(pitch), and that component has the
        // sign of both cosines.
        forward = math::normalize(sy * std::fabs(cp) * side + sp * std::fabs(cy) * up +
                                  cy * std::fabs(cp) * reference);
        Vector candidates[] = {upward, up, reference, side};
        for (const Vector& candidate : candidates) {
            upward = perpendicular(candidate, forward);
            if (math::squaredLength(upward) > 0)
                break;
        }
        changed = true;
    }

    const float roll = measureRoll(forward, upward);
    const float clampedRoll = limitAngle(roll, rollLimit);
    if (clampedRoll != roll) {
        // Turn the level up direction about the forward axis by the clamped angle.
        Vector level = perpendicular(up, forward);
        upward = math::normalize(std::cos(clampedRoll) * level +
                                 std::sin(clampedRoll) * math::cross(forward, level));
        changed = true;
    }
    if (!changed)
        return false;

    // Rounding may leave the new up direction a little off square with the forward one.
    upward = perpendicular(upward, forward);
    right = handedness * math::normalize(math::cross(upward, forward));
    const Matrix before = m;
    setColumn(m, 0, right * lengths[0]);
    setColumn(m, 1, upward * lengths[1]);
    setColumn(m, 2, forward * lengths[2]);

    // The change of rotation, new * old^-1, turns the transformed space about pivot: pivot stays fixed
    // and the translation turns about it.
    Matrix oldLinear = before, newLinear = m;
    oldLinear.setTranslation({0, 0, 0});
    newLinear.setTranslation({0, 0, 0});
    const Vector translation = before.getTranslation();
    if (math::invert(oldLinear)) {
        Matrix change = newLinear * oldLinear;
        m.setTranslation(math::transformVector(change, translation - pivot) + pivot);
    } else {
        // Without an inverse, at least keep the image of pivot where it was.
        m.setTranslation(translation + math::transformVector(before, pivot) -
                         math::transformVector(m, pivot));
    }
    // Angles just past their limits by more than the slack may still round back to the same matrix.
    return !(m == before);
}

types::String TransformConstraint::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":TransformConstraint");
}

} // namespace korvane::input3d
