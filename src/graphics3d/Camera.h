#pragma once

#include "graphics3d/Resource.h"
#include "math/Matrix.h"
#include "math/Vector.h"

namespace korvane::graphics3d {

/// A viewing ray in eye coordinates; the direction is not normalised.
struct Ray {
    math::Vector3<float> origin;
    math::Vector3<float> direction;
};

/// Turns a frustum description into the GL projection matrix and screen points into viewing rays.
class Camera : public Resource {
public:
    types::String getClassPath() const override;

    /// Loads the projection matrix, leaving the GL matrix mode as it was.
    virtual void apply() = 0;
    /// The ray through (x, y), both in -1 .. 1 across the window, x to the right and y downwards.
    virtual Ray ray(float x, float y) const = 0;

    float near = 10.0f;
    float far = 100.0f;
    float focal = 10.0f;                              // distance of the plane the window lies on
    float window[4] = {-10.0f, -10.0f, 20.0f, 20.0f}; // left, bottom, width, height on that plane
    math::Matrix transform;                           // placement, kept by the navigation code

protected:
    Camera() = default;
};

/// A camera with a perspective frustum; with the defaults both fields of view are 90 degrees.
class PerspectiveCamera : public Camera {
public:
    PerspectiveCamera() = default;

    types::String getClassPath() const override;

    void apply() override;
    Ray ray(float x, float y) const override;

    /// The row-major projection matrix that apply() loads.
    math::Matrix getProjection() const;
    /// Whether any of a sphere (centre in eye coordinates) lies inside the frustum: false only when the
    /// sphere lies wholly outside one of its six planes, so that drawing it could not touch a pixel.
    bool canSee(const math::Vector3<float>& centre, float radius) const;
};

} // namespace korvane::graphics3d
