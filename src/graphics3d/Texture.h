#pragma once

#include <cstdint>

#include "graphics3d/Resource.h"
#include "object/Noncopyable.h"

namespace korvane::graphics3d {

// One OpenGL texture object: its name, its target (GL_TEXTURE_1D, _2D, _3D or _CUBE_MAP) and the binding
// query that saves and restores the target's binding. Owns the name: destruction deletes it and clears
// every texture-unit record of the thread's rendering context that still names this texture, so the GL
// context must be current on the destroying thread.
class Texture : public Resource, public object::Noncopyable {
public:
    ~Texture() override;

    types::String getClassPath() const override;

    uint32_t getGLName() const { return glName; }
    uint32_t getTarget() const { return target; }
    uint32_t getBindingQuery() const { return bindingQuery; }
    // The size of level 0 (of the +X face for a cube map); 0 where a kind has no such dimension.
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

    // The binding enum that goes with a texture target, 0 for an unknown target.
    static uint32_t bindingQueryOf(uint32_t target);

protected:
    // Wraps an existing texture name; the texture takes ownership of it.
    Texture(uint32_t glName, uint32_t target);

    uint32_t glName;
    uint32_t target;
    uint32_t bindingQuery;
    int32_t width = 0;
    int32_t height = 0;
};

} // namespace korvane::graphics3d
