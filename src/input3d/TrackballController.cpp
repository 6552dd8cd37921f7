#include "input3d/TrackballController.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "gui/Input.h"
#include "input3d/Columns.h"

namespace korvane::input3d {

using detail::column;

using math::Matrix;
using Vector = math::Vector3<float>;

namespace {

// The inverse from cofactors and the determinant; the zero matrix when the determinant is below the
// single-precision epsilon.
Matrix cofactorInverse(const Matrix& m) {
    const float* a = m.elements;
    Matrix inverse;
    float* r = inverse.elements;
    r[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
           a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    r[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
           a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    r[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
           a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    r[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
            a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    r[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
           a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    r[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
           a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    r[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
           a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    r[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
            a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    r[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
           a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    r[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
           a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    r[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
            a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    r[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
            a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    r[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
           a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    r[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
           a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    r[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
            a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    r[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
            a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    const float determinant = a[0] * r[0] + a[1] * r[4] + a[2] * r[8] + a[3] * r[12];
    if (!(std::fabs(determinant) >= FLT_EPSILON))
        return Matrix::zero();
    for (float& e : inverse.elements)
        e /= determinant;
    return inverse;
}

bool isFinite(const gui::Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

TrackballController::TrackballController() = default;

void TrackballController::reset() {
    transform = Matrix::identity();
    rotation = Matrix::identity();
    offset = {0, 0, 0};
}

void TrackballController::update(float) {
    transform = rotation;
    // The rotation keeps half the shift that turns it about pivot; adding it once more completes it.
    Vector shift = alongView ? offset + pivotShift() : math::transform(rotation, offset);
    transform.setTranslation(rotation.getTranslation() + shift);
}

void TrackballController::sync() {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rotation(r, c) = transform(r, c);
    const Vector fullShift = 2.0f * pivotShift();
    if (alongView) {
        offset = transform.getTranslation() - fullShift;
    } else {
        Matrix aboutPivot = rotation;
        aboutPivot.setTranslation(fullShift);
        offset = math::transform(cofactorInverse(aboutPivot), transform.getTranslation());
    }
    rotation.setTranslation(pivotShift());
}

void TrackballController::onResize(const gui::Rectangle& rectangle) {
    // An empty area would make every later position infinite.
    if (!(rectangle.width > 0 && rectangle.height > 0))
        return;
    center = {rectangle.x + rectangle.width / 2, rectangle.y + rectangle.height / 2};
    halfSize = {rectangle.width / 2, rectangle.height / 2};
}

void TrackballController::onMouseMove(const gui::Point& position, uint32_t state) {
    if (!isFinite(position))
        return;
    if (state & gui::ButtonLeftDown)
        turn(lastPosition, position);
    if (state & gui::ButtonRightDown)
        pan(lastPosition, position);
    if (state & gui::ButtonMiddleDown)
        dolly(lastPosition, position);
    lastPosition = position;
}

void TrackballController::onMouseButton(const gui::Point& position, uint32_t code) {
    // A drag starts where the button went down, even if moves in between went elsewhere.
    if ((code & (gui::ButtonLeftDown | gui::ButtonMiddleDown | gui::ButtonRightDown)) && isFinite(position))
        lastPosition = position;
}

void TrackballController::onMouseWheel(float delta) {
    if (!std::isfinite(delta))
        return;
    moveOffset(column(rotation, 2), delta * speed);
}

bool TrackballController::setRadius(float newRadius) {
    if (!(newRadius > 0) || !std::isfinite(newRadius * newRadius))
        return false;
    radius = newRadius;
    radiusSquared = newRadius * newRadius;
    return true;
}

Vector TrackballController::lift(const gui::Point& point) const {
    const float u = (point.x - center.x) / halfSize.x;
    const float v = (point.y - center.y) / halfSize.y;
    const float t = u * u + v * v;
    const float z = t < radiusSquared / 2 ? std::sqrt(radiusSquared - t) : radiusSquared / (2 * std::sqrt(t));
    return {u, v, z};
}

void TrackballController::turn(const gui::Point& from, const gui::Point& to) {
    const Vector p1 = lift(from), p2 = lift(to);
    const Vector axis = math::cross(p1, p2);
    // Too small a drag has no reliable axis.
    if (!(math::length(axis) >= 0.001f))
        return;
    const float s = std::min(math::length(p1 - p2) / (2 * radius), 1.0f);
    const float angle = -2 * std::asin(s);

    const Vector n = math::normalize(axis);
    const float c = std::cos(angle), sn = std::sin(angle), t = 1 - c;
    const float turnBy[3][3] = {{c + t * n.x * n.x, t * n.x * n.y - sn * n.z, t * n.x * n.z + sn * n.y},
                                {t * n.x * n.y + sn * n.z, c + t * n.y * n.y, t * n.y * n.z - sn * n.x},
                                {t * n.x * n.z - sn * n.y, t * n.y * n.z + sn * n.x, c + t * n.z * n.z}};
    Matrix turned = rotation;
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            turned(r, col) = rotation(r, 0) * turnBy[0][col] + rotation(r, 1) * turnBy[1][col] +
                             rotation(r, 2) * turnBy[2][col];
    rotation = turned;
    orthonormalise();
    rotation.setTranslation(pivotShift());
}

void TrackballController::orthonormalise() {
    // Rounding in the products above adds up over a long drag and would skew and scale the picture.
    const Vector x = math::normalize(column(rotation, 0));
    const Vector y = math::normalize(column(rotation, 1) - math::dot(column(rotation, 1), x) * x);
    const Vector z = math::cross(x, y);
    const Vector axes[3] = {x, y, z};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            rotation(r, c) = axes[c][r];
}

void TrackballController::pan(const gui::Point& from, const gui::Point& to) {
    const float dx = (from.x - to.x) * speed;
    const float dy = (to.y - from.y) * speed;
    if (!alongView) {
        offset.x += dx;
        offset.y += dy;
    } else {
        // A direction: the rotation's translation has no place in it.
        offset += math::transformVector(rotation, {dx, dy, 0});
    }
}

void TrackballController::dolly(const gui::Point& from, const gui::Point& to) {
    moveOffset(column(rotation, 2), (to.y - from.y) * speed);
}

void TrackballController::moveOffset(const Vector& along, float distance) {
    if (alongView)
        offset += distance * along;
    else
        offset.z += distance;
}

Vector TrackballController::pivotShift() const {
    return 0.5f * (pivot - math::transformVector(rotation, pivot));
}

types::String TrackballController::getClassPath() const {
    return types::String::concat(Controller::getClassPath(), ":TrackballController");
}

} // namespace korvane::input3d
