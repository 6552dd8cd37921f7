#pragma once

#include "math/Matrix.h"
#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::input3d {

/// Limits how far a controller's transform turns away from a reference orientation. The third column of
/// the transform is its forward direction: its yaw (about up) and pitch (about side) away from reference
/// are clamped to their limits, and the roll of the second column away from up about that direction is
/// clamped to the roll limit. Yaw and pitch are measured in two planes through the reference, so both lie
/// within a quarter turn or both beyond: with one limit below a quarter turn, the other angle is held a
/// little short of one. A corrected transform keeps the lengths of its columns and its handedness, passes
/// the next check unchanged, and the change of rotation turns it about pivot, so that pivot stays where it
/// was. Controllers hold their constraint by counted reference; used on the controller's thread.
class TransformConstraint : public object::Object, private object::Noncopyable {
public:
    // Reference (0, 0, 1), up (0, 1, 0), pivot at the origin, and limits of pi that let everything pass.
    TransformConstraint();

    // Corrects transform; true only when it changed it.
    virtual bool apply(math::Matrix& transform);

    // The axes are normalised (a zero vector is kept as it is) and side is kept as reference x up. They
    // are meant to be perpendicular.
    void setReference(const math::Vector3<float>& reference);
    void setUp(const math::Vector3<float>& up);
    // Angle limits in radians; negative values count as their magnitude.
    void setLimits(float yaw, float pitch, float roll);
    void setPivot(const math::Vector3<float>& pivot) { this->pivot = pivot; }

    const math::Vector3<float>& getReference() const { return reference; }
    const math::Vector3<float>& getUp() const { return up; }
    const math::Vector3<float>& getSide() const { return side; }
    const math::Vector3<float>& getPivot() const { return pivot; }
    float getYawLimit() const { return yawLimit; }
    float getPitchLimit() const { return pitchLimit; }
    float getRollLimit() const { return rollLimit; }

    // The yaw and pitch of a forward direction and the roll of an up direction about it, as apply
    // measures them (zero where a projection vanishes and the angle is undefined).
    float measureYaw(const math::Vector3<float>& forward) const;
    float measurePitch(const math::Vector3<float>& forward) const;
    float measureRoll(const math::Vector3<float>& forward, const math::Vector3<float>& upward) const;

    types::String getClassPath() const override;

private:
    math::Vector3<float> reference{0, 0, 1};
    float yawLimit;
    float pitchLimit;
    math::Vector3<float> up{0, 1, 0};
    float rollLimit;
    math::Vector3<float> side;
    math::Vector3<float> pivot;
};

} // namespace korvane::input3d
