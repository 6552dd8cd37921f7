#pragma once

#include "input/MouseListener.h"
#include "input3d/Controller.h"
#include "math/Vector.h"

namespace korvane::input3d {

/// A virtual trackball. Dragging with the left button turns about pivot, the right button pans and the
/// middle button dollies; the wheel dollies too. The transform is the accumulated rotation about pivot
/// followed by the accumulated offset.
class TrackballController : public Controller, public input::MouseListener {
public:
    TrackballController();

    void reset() override;
    void update(float dt) override;
    void sync() override;

    void onResize(const gui::Rectangle& rectangle) override;
    void onMouseMove(const gui::Point& position, uint32_t state) override;
    void onMouseButton(const gui::Point& position, uint32_t code) override;
    void onMouseWheel(float delta) override;

    void setPivot(const math::Vector3<float>& pivot) { this->pivot = pivot; }
    const math::Vector3<float>& getPivot() const { return pivot; }
    void setOffset(const math::Vector3<float>& offset) { this->offset = offset; }
    const math::Vector3<float>& getOffset() const { return offset; }
    const math::Matrix& getRotation() const { return rotation; }
    /// The trackball radius in units of the half-size of the input area; false (and no change) unless
    /// positive and finite.
    bool setRadius(float radius);
    float getRadius() const { return radius; }
    void setSpeed(float speed) { this->speed = speed; }
    float getSpeed() const { return speed; }
    /// Whether pan and dolly move along the turned axes rather than the fixed ones.
    void setAlongView(bool alongView) { this->alongView = alongView; }
    bool isAlongView() const { return alongView; }

    types::String getClassPath() const override;

private:
    void turn(const gui::Point& from, const gui::Point& to);
    void pan(const gui::Point& from, const gui::Point& to);
    void dolly(const gui::Point& from, const gui::Point& to);
    // Makes the columns of the rotation unit length and perpendicular again.
    void orthonormalise();
    void moveOffset(const math::Vector3<float>& along, float distance);
    // The point of the input area lifted onto the trackball: a sphere near the centre, a hyperbolic sheet
    // further out.
    math::Vector3<float> lift(const gui::Point& point) const;
    // Half the translation that turns the rotation about pivot (update adds the rotation's translation
    // twice).
    math::Vector3<float> pivotShift() const;

    math::Vector3<float> pivot;
    math::Vector3<float> offset;
    math::Matrix rotation;
    gui::Point halfSize{2.0f, 2.0f};
    gui::Point center;
    gui::Point lastPosition;
    float radius = 0.8f;
    float radiusSquared = 0.64f;
    float speed = 1.0f;
    bool alongView = false;
};

} // namespace korvane::input3d
