#include "graphics3d/Camera.h"

#include "graphics3d/OpenGL.h"

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

Ray PerspectiveCamera::ray(float x, float y) const {
    const float l = window[0], b = window[1], w = window[2], h = window[3];
    Ray result;
    result.direction = {l + (x + 1) * w / 2, -(y + 1) * h / 2 - b, -near};
    return result;
}

} // namespace korvane::graphics3d
