#pragma once

#include "graphics3d/Texture.h"

namespace korvane::graphics3d {

/// A 1D texture: level 0 is width x 1. Nothing in the framework creates one; render targets know the kind.
class Texture1D : public Texture {
public:
    /// Wraps a 1D texture name (taking it over); see Texture for what wrapping sets up.
    explicit Texture1D(uint32_t glName);

    types::String getClassPath() const override;
};

} // namespace korvane::graphics3d
