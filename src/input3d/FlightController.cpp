#include "input3d/FlightController.h"

#include <cmath>
#include <numbers>

#include "gui/Input.h"
#include "input3d/Columns.h"
#include "platform/Window.h"

namespace korvane::input3d {

using detail::column;
using detail::setColumn;

using math::Matrix;
using Vector = math::Vector3<float>;

namespace {

// v turned by angle about the unit axis (Rodrigues); a zero axis turns nothing.
Vector rotateAbout(const Vector& v, const Vector& axis, float angle) {
    if (math::squaredLength(axis) == 0)
        return v;
    const float c = std::cos(angle), s = std::sin(angle);
    return c * v + s * math::cross(axis, v) + (1 - c) * math::dot(axis, v) * axis;
}

constexpr float keyTurn = std::numbers::pi_v<float> / 128;
constexpr float throttleSpeed = 0.1f;

} // namespace

FlightController::FlightController() = default;

void FlightController::reset() {
    setColumn(transform, 0, right);
    setColumn(transform, 1, up);
    setColumn(transform, 2, forward);
    transform.setTranslation({0, 0, 0});
    // An affine transform: the bottom row stays (0, 0, 0, 1) so that the camera can still be inverted.
    transform(3, 0) = transform(3, 1) = transform(3, 2) = 0;
    transform(3, 3) = 1;
    throttle = 0;
}

void FlightController::update(float dt) {
    move(throttle * step * dt);
}

void FlightController::onKeyDown(uint32_t key) {
    switch (key) {
    case platform::VK_LEFT:
        turn(-step * keyTurn, 0);
        break;
    case platform::VK_RIGHT:
        turn(step * keyTurn, 0);
        break;
    case platform::VK_UP:
        move(-step);
        break;
    case platform::VK_DOWN:
        move(step);
        break;
    default:
        break;
    }
}

void FlightController::onResize(const gui::Rectangle& rectangle) {
    if (!(rectangle.width > 0 && rectangle.height > 0))
        return;
    center = {rectangle.x + rectangle.width / 2, rectangle.y + rectangle.height / 2};
    halfSize = {rectangle.width / 2, rectangle.height / 2};
}

void FlightController::onMouseMove(const gui::Point& position, uint32_t state) {
    const gui::Point now = normalise(position);
    if (!std::isfinite(now.x) || !std::isfinite(now.y))
        return;
    if (state & (gui::ButtonLeftDown | gui::ButtonMiddleDown | gui::ButtonRightDown)) {
        if (state & gui::ButtonLeftDown)
            throttle = -throttleSpeed;
        else if (state & gui::ButtonRightDown)
            throttle = throttleSpeed;
        turn(now.x - lastPosition.x, lastPosition.y - now.y);
    }
    lastPosition = now;
}

void FlightController::onMouseButton(const gui::Point& position, uint32_t code) {
    const gui::Point now = normalise(position);
    if (std::isfinite(now.x) && std::isfinite(now.y))
        lastPosition = now;
    if (code == gui::ButtonLeftDown)
        throttle = -throttleSpeed;
    else if (code == gui::ButtonRightDown)
        throttle = throttleSpeed;
    else if (code == gui::ButtonLeftUp || code == gui::ButtonRightUp)
        throttle = 0;
}

void FlightController::onMouseWheel(float delta) {
    if (!std::isfinite(delta))
        return;
    move(delta * step);
}

void FlightController::move(float distance) {
    const Vector along = math::normalize(column(transform, 2));
    transform.setTranslation(transform.getTranslation() + distance * along);
}

void FlightController::turn(float yaw, float pitch) {
    const Vector axisRight = column(transform, 0);
    Vector axisForward = rotateAbout(column(transform, 2), math::normalize(axisRight), -pitch);
    const Vector newRight = rotateAbout(axisRight, up, -yaw);
    axisForward = rotateAbout(axisForward, up, -yaw);
    setColumn(transform, 0, newRight);
    setColumn(transform, 2, axisForward);
    setColumn(transform, 1, math::cross(axisForward, newRight));
    transform(3, 0) = transform(3, 1) = transform(3, 2) = 0;
}

void FlightController::setUp(const Vector& axis) {
    up = math::normalize(axis);
}

void FlightController::setForward(const Vector& axis) {
    forward = math::normalize(axis);
}

void FlightController::setRight(const Vector& axis) {
    right = math::normalize(axis);
}

gui::Point FlightController::normalise(const gui::Point& position) const {
    return {(position.x - center.x) / halfSize.x, -(position.y - center.y) / halfSize.y};
}

types::String FlightController::getClassPath() const {
    return types::String::concat(Controller::getClassPath(), ":FlightController");
}

} // namespace korvane::input3d
