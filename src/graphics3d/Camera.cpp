#include "graphics3d/Camera.h"

#include <cmath>

#include "graphics3d/GL.h"

namespace korvane::graphics3d {

types::String Camera::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Camera");
}

types::String PerspectiveCamera::getClassPath() const {
    return types::String::concat(Camera::getClassPath(), ":PerspectiveCamera");
}

math::Matrix PerspectiveCamera::getProjection() const {
    const float l = window[0], b = window[1], w = window[2], h = window[3];
    const float n = near, f = far, d = focal;
    return math::Matrix(2 * d / w, 0, (2 * l + w) / w, 0,               //
                        0, 2 * d / h, (2 * b + h) / h, 0,               //
                        0, 0, -(f + n) / (f - n), -2 * f * n / (f - n), //
                        0, 0, -1, 0);
}

void PerspectiveCamera::apply() {
    const math::Matrix projection = getProjection();
    GLint saved = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &saved);
    glMatrixMode(GL_PROJECTION);
    glLoadTransposeMatrixf(projection.data());
    glMatrixMode(static_cast<GLenum>(saved));
}

bool PerspectiveCamera::canSee(const math::Vector3<float>& centre, float radius) const {
    const float l = window[0], b = window[1], r = window[0] + window[2], t = window[1] + window[3];
    const float x = centre.x, y = centre.y, z = centre.z, d = focal;
    if (-z - near < -radius || far + z < -radius)
        return false;
    // The side planes pass through the eye and the window's edges at distance `focal`; each distance is
    // measured along the plane's inward unit normal.
    auto outside = [&](float a, float c, float value) { return value < -radius * std::sqrt(a * a + c * c); };
    return !(outside(d, l, d * x + l * z) || outside(d, r, -d * x - r * z) || outside(d, b, d * y + b * z) ||
             outside(d, t, -d * y - t * z));
}

Ray PerspectiveCamera::ray(float x, float y) const {
    const float l = window[0], b = window[1], w = window[2], h = window[3];
    Ray result;
    result.direction = {l + (x + 1) * w / 2, -(y + 1) * h / 2 - b, -near};
    return result;
}

} // namespace korvane::graphics3d
