#pragma once

#include "graphics/Image.h"
#include "graphics3d/Texture.h"

namespace korvane::graphics3d {

/// A cube-map texture. Faces are addressed +X, -X, +Y, -Y, +Z, -Z (GL_TEXTURE_CUBE_MAP_POSITIVE_X up to
/// GL_TEXTURE_CUBE_MAP_NEGATIVE_Z). Width and height are those of the +X face's level 0. Wrapping clamps
/// to the edge so that the faces meet without seams. Made and destroyed on the thread of the GL context
/// that owns its name (see Texture); whoever holds it releases it.
class CubeTexture : public Texture {
public:
    static constexpr int FaceCount = 6;

    // Wraps a cube-map texture name (taking it over); see Texture for what wrapping sets up.
    explicit CubeTexture(uint32_t glName);

    types::String getClassPath() const override;
};

// An empty cube map of the format, each face width x height rounded up to powers of two. mipmapMode -2
// lets GL generate the mipmaps; any other value switches generation off. Throws TypeException for a format
// without an upload triple and TextureException when GL fails; a failure leaves no texture name behind.
CubeTexture* createCubeTexture(graphics::PixelFormat format, graphics::Image::Size size, int32_t mipmapMode);
CubeTexture* createCubeTexture(graphics::PixelFormat format, int32_t width, int32_t height,
                               int32_t mipmapMode);

/// A cube map filled from an image chain holding the faces level by level, six faces per level in face
/// order (the order the DDS reader produces). levels -2 uploads level 0 and lets GL generate the mipmaps;
/// -1 switches generation off and uploads up to 256 levels; any other value leaves generation as it is and
/// uploads up to that many levels. A first image whose size is not a power of two is replaced by a resized
/// copy on its own, which leaves too few faces. Every level must halve the one above it (down to 1).
///
/// Takes over the caller's reference to the chain and releases it, whether it returns or throws: pass a
/// counted pointer's reference with Pointer::detach() (passing the pointer itself does not compile).
/// Call it on the thread of the current GL context; the caller releases the returned texture.
///
/// Throws TypeException for a format without an upload triple, before any GL call, and for a chain whose
/// images do not all share the first one's format; TextureException when the chain ends inside a level,
/// when a level has the wrong size, when the first image cannot be resized, or when GL reports an error.
/// A failure leaves no texture name behind and the texture bound before the call bound again.
CubeTexture* createCubeTexture(graphics::Image* images, int32_t levels);
template <typename T>
CubeTexture* createCubeTexture(const object::Pointer<T>& images, int32_t levels) = delete;

} // namespace korvane::graphics3d
