#pragma once

#include "graphics/Image.h"
#include "graphics3d/Texture.h"

namespace korvane::graphics3d {

/// A 2D texture, with the size of level 0 read when the name is wrapped. Made, filled and destroyed on the
/// thread of the GL context that owns its name (see Texture); whoever holds it releases it.
class Texture2D : public Texture {
public:
    // Wraps a 2D texture name (taking it over); see Texture for what wrapping sets up.
    explicit Texture2D(uint32_t glName);

    types::String getClassPath() const override;

    /// Replaces the top-left image-sized region of one level with the image's pixels (rows top to bottom
    /// as the image holds them). Any level from 0 down to the last one the texture has (1 x 1, or its
    /// GL_TEXTURE_MAX_LEVEL) can be filled; a level without storage yet is given its size (the size of
    /// level 0 halved per level) first. The texture bound to GL_TEXTURE_2D before the call stays bound.
    /// False when GL rejects the upload (an image larger than the level); throws TextureException naming
    /// the level for one the texture does not have, TypeException for a format that cannot be uploaded.
    bool upload(graphics::Image& image, int32_t level);

    /// The last level the texture has: where both sides have halved down to 1, or GL_TEXTURE_MAX_LEVEL
    /// when that comes first.
    int32_t getLastLevel() const;
};

// An empty 2D texture of the format, with width and height rounded up to powers of two. mipmapMode -2
// lets GL generate the mipmaps; any other value switches generation off. Throws TypeException for a format
// without an upload triple and TextureException when GL fails; a failure leaves no texture name behind.
Texture2D* createTexture2D(graphics::PixelFormat format, graphics::Image::Size size, int32_t mipmapMode);

/// A 2D texture filled from an image chain holding its levels, level 0 first (as the DDS reader gives a
/// mipmapped file). levels -2 uploads level 0 and has the other levels generated from it; -1 uploads up to
/// 256 levels; any other value up to that many. The texture samples only the levels uploaded. A first
/// image whose size is not a power of two is replaced by a resized copy on its own. Every level must halve
/// the one above it (down to 1).
///
/// Takes over the caller's reference to the chain and releases it, whether it returns or throws (pass a
/// counted pointer's reference with Pointer::detach()). The caller releases the returned texture. Throws
/// as the cube-map creator from a chain does; a failure leaves no texture name behind.
Texture2D* createTexture2D(graphics::Image* images, int32_t levels);
template <typename T> Texture2D* createTexture2D(const object::Pointer<T>& images, int32_t levels) = delete;

} // namespace korvane::graphics3d
