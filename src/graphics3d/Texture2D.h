#pragma once

#include "graphics/Image.h"
#include "graphics3d/Texture.h"

namespace korvane::graphics3d {

// A 2D texture, with the size of level 0 read when the name is wrapped.
class Texture2D : public Texture {
public:
    // Wraps a 2D texture name (taking it over); see Texture for what wrapping sets up.
    explicit Texture2D(uint32_t glName);

    types::String getClassPath() const override;

    // Replaces the top-left image-sized region of one level with the image's pixels (rows top to bottom
    // as the image holds them). The texture bound to GL_TEXTURE_2D before the call stays bound. False when
    // GL rejects the upload (an image larger than the level, a level that does not exist); throws
    // TypeException for a format that cannot be uploaded.
    bool upload(graphics::Image& image, int32_t level);
};

// An empty 2D texture of the format, with width and height rounded up to powers of two. mipmapMode -2
// lets GL generate the mipmaps; any other value switches generation off. Throws TypeException for a format
// without an upload triple and TextureException when GL fails; a failure leaves no texture name behind.
Texture2D* createTexture2D(graphics::PixelFormat format, graphics::Image::Size size, int32_t mipmapMode);

} // namespace korvane::graphics3d
