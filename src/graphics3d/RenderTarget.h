#pragma once

#include <cstdint>

#include "graphics/PixelFormat.h"
#include "graphics3d/Resource.h"
#include "graphics3d/Texture.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

class Context;
class FrameBuffer;

/// One surface a frame buffer can draw into: a render buffer of its own, or level 0 of a texture (one face
/// of a cube map, one slice of a 3D texture). A render target owns its render buffer and holds a reference
/// to its texture; frame buffers hold references to their targets.
/// Used on the thread whose GL context is current.
class RenderTarget : public Resource {
public:
    /// Wraps a render buffer name of the current GL context (taking it over: destruction deletes it there)
    /// and reads its size and internal format.
    explicit RenderTarget(uint32_t renderBuffer);
    /// Level 0 of a texture: `face` is the face target of a cube map or the slice of a 3D texture, and is
    /// not used for other kinds.
    RenderTarget(Texture* texture, uint32_t face);
    ~RenderTarget() override;

    RenderTarget(const RenderTarget&) = delete;

    types::String getClassPath() const override;

    /// Attaches this surface at `attachment` of the frame buffer, or takes it away again; the frame
    /// buffer bound before either call stays bound.
    void attachTo(const FrameBuffer& frameBuffer, uint32_t attachment) const;
    void detachFrom(const FrameBuffer& frameBuffer, uint32_t attachment) const;

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    uint32_t getInternalFormat() const { return internalFormat; }
    Texture* getTexture() const { return texture.get(); }
    uint32_t getFace() const { return face; }
    uint32_t getRenderBuffer() const { return renderBuffer; }
    uint32_t getTextureName() const { return textureName; }

    /// The internal format a texture of this pixel format is drawn into as a render target, 0 for formats
    /// that cannot be.
    static uint32_t internalFormatOf(graphics::PixelFormat format);

private:
    void attachName(const FrameBuffer& frameBuffer, uint32_t attachment, uint32_t name) const;

    int32_t width = 0;
    int32_t height = 0;
    uint32_t internalFormat = 0;
    object::Pointer<Texture> texture;
    uint32_t face = 0;
    uint32_t renderBuffer = 0;
    uint32_t textureName = 0;
    // The rendering context the render buffer belongs to; null for a texture target.
    object::Pointer<Context> owner;
};

/// A render buffer of the internal format and size, owned by the caller. Throws UnsupportedFeatureException
/// without frame-buffer objects, UnsupportedFormatException when GL rejects the format and MemoryException
/// when it cannot make the storage; a failure leaves no render buffer behind.
RenderTarget* createRenderTarget(uint32_t internalFormat, int32_t width, int32_t height);
/// A target on level 0 of a texture (see RenderTarget), owned by the caller; it holds a reference to the
/// texture. Throws UnsupportedFeatureException without frame-buffer objects, UnsupportedFormatException for a
/// texture format that cannot be drawn into (RGB8, RGBA8, RGB16, RGBA16, Depth16 and Depth24 can),
/// InvalidOperationException for no texture.
RenderTarget* createRenderTarget(Texture* texture, uint32_t face);

} // namespace korvane::graphics3d
