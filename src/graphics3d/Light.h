#pragma once

#include "graphics3d/Resource.h"

namespace korvane::graphics3d {

/// A light for one of the eight fixed-function lights. The caller records the light in its rendering
/// context's light stack and enables GL_LIGHT0 + index itself; a destroyed light clears and disables every
/// light it still occupies in the thread's context.
/// Used on the thread whose GL context is current.
class Light : public Resource {
public:
    ~Light() override;

    types::String getClassPath() const override;

    /// Sends the light to GL_LIGHT0 + index (index 0 to 7).
    virtual void apply(int index) = 0;
    /// Sends only what depends on the model-view matrix in force, for a light that was applied to the
    /// same index before and has not changed since; by default the whole light.
    virtual void applyPlacement(int index) { apply(index); }

protected:
    Light() = default;
};

/// A positional light without a spot cone.
class PointLight : public Light {
public:
    PointLight() = default;

    types::String getClassPath() const override;

    /// The position is transformed by the model-view matrix in force, as GL does.
    void apply(int index) override;
    void applyPlacement(int index) override;

    float ambient[4] = {0.1f, 0.1f, 0.1f, 0.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    float specular[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    float position[3] = {0.0f, 0.0f, 0.0f};
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
};

} // namespace korvane::graphics3d
