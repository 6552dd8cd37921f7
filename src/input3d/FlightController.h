#pragma once

#include "input/KeyboardListener.h"
#include "input/MouseListener.h"
#include "input3d/Controller.h"
#include "math/Vector.h"

namespace korvane::input3d {

/// Fly-through steering. The third column of the transform is the axis it moves along (the view looks
/// down its negative direction); the arrow keys and mouse drags turn it, the mouse buttons set the
/// throttle and every update moves by throttle * step * dt.
class FlightController : public Controller, public input::KeyboardListener, public input::MouseListener {
public:
    /// Step 1, the axes of the identity (right x, up y, forward z) and throttle 1.
    FlightController();

    /// The first three columns become right, up and forward, the translation zero and the throttle 0.
    void reset() override;
    void update(float dt) override;

    void onKeyDown(uint32_t key) override;

    void onResize(const gui::Rectangle& rectangle) override;
    void onMouseMove(const gui::Point& position, uint32_t state) override;
    void onMouseButton(const gui::Point& position, uint32_t code) override;
    void onMouseWheel(float delta) override;

    /// Moves along the normalised third column by distance.
    void move(float distance);
    /// Turns by yaw about up and by pitch about the first column.
    void turn(float yaw, float pitch);

    void setStep(float step) { this->step = step; }
    float getStep() const { return step; }
    void setThrottle(float throttle) { this->throttle = throttle; }
    float getThrottle() const { return throttle; }
    /// The axes are normalised (a zero vector is kept as it is).
    void setUp(const math::Vector3<float>& up);
    void setForward(const math::Vector3<float>& forward);
    void setRight(const math::Vector3<float>& right);
    const math::Vector3<float>& getUp() const { return up; }
    const math::Vector3<float>& getForward() const { return forward; }
    const math::Vector3<float>& getRight() const { return right; }

    types::String getClassPath() const override;

private:
    gui::Point normalise(const gui::Point& position) const;

    gui::Point lastPosition;
    gui::Point center;
    gui::Point halfSize{2.0f, 2.0f};
    float step = 1.0f;
    math::Vector3<float> up{0, 1, 0};
    math::Vector3<float> forward{0, 0, 1};
    math::Vector3<float> right{1, 0, 0};
    float throttle = 1.0f;
};

} // namespace korvane::input3d
