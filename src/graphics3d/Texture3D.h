#pragma once

#include "graphics3d/Texture.h"

namespace korvane::graphics3d {

/// A 3D texture: level 0 is width x height x depth. Nothing in the framework creates one; render targets
/// attach one slice of it.
class Texture3D : public Texture {
public:
    /// Wraps a 3D texture name (taking it over); see Texture for what wrapping sets up.
    explicit Texture3D(uint32_t glName);

    types::String getClassPath() const override;

    int32_t getDepth() const { return depth; }

private:
    int32_t depth = 0;
};

} // namespace korvane::graphics3d
