#pragma once

#include <cstdint>

#include "graphics3d/Camera.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/FrameBuffer.h"
#include "graphics3d/Resource.h"
#include "math/Matrix.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

/// Renders a scene six times from one point, once per cube face, into the faces of a cube texture.
/// Subclasses draw the scene in renderFace. In render-target mode every face is drawn straight into the
/// texture through a frame buffer of its own (the six share one depth buffer); in copy mode every face is
/// drawn into the top-left corner of the frame buffer in force and copied into the texture, so the texture
/// must fit into that frame buffer. Faces are drawn into level 0; after the six faces the other levels
/// follow it in both modes when the texture has levels in use (Texture::hasLevelsInUse).
/// Used on the thread whose GL context is current; it holds references to its texture and frame
/// buffers.
class CubemapGenerator : public Resource {
public:
    enum Mode : int32_t {
        CopyMode = 1,
        RenderTargetMode = 2,
        /// Render-target mode when frame-buffer objects and render buffers exist, copy mode otherwise.
        AutomaticMode = 3,
    };

    /// Throws as setTexture does.
    CubemapGenerator(CubeTexture* texture, int32_t requestedMode);
    ~CubemapGenerator() override;

    CubemapGenerator(const CubemapGenerator&) = delete;

    types::String getClassPath() const override;

    /// Draws the scene of one face: `viewMatrix` (row-major) takes world coordinates into the face's eye
    /// frame and `face` is the face's GL target. Called with the face projection loaded and the face's frame
    /// buffer (or viewport) in force, for the faces +X, -X, +Y, -Y, +Z, -Z in this order.
    virtual void renderFace(const math::Matrix& viewMatrix, uint32_t face) = 0;

    /// Makes the generator write into `texture` in the requested mode (CopyMode, RenderTargetMode or
    /// AutomaticMode); nothing happens when that texture and mode are already in force. Throws
    /// InvalidOperationException for no texture, UnsupportedFeatureException for render-target mode without
    /// frame-buffer objects, InvalidModeException for an unknown mode and the frame-buffer failures while
    /// building the targets; a failure leaves the generator as it was.
    void setTexture(CubeTexture* texture, int32_t requestedMode);

    /// Renders all six faces; `viewMatrix` (row-major) takes world coordinates into the frame of the point
    /// the cube map is rendered from. The frame buffer and viewport in force before the call are in force
    /// after it, also when renderFace throws.
    void generate(const math::Matrix& viewMatrix);

    /// CopyMode or RenderTargetMode: the mode in force.
    int32_t getMode() const { return mode; }
    CubeTexture* getTexture() const { return texture.get(); }
    /// The frame buffer of a face (0 to 5), null in copy mode.
    FrameBuffer* getFrameBuffer(int face) const { return frameBuffers[face].get(); }
    /// The rotation of a face (0 to 5): the face's view of the generator's own frame.
    const math::Matrix& getFaceMatrix(int face) const { return faceMatrices[face]; }
    const PerspectiveCamera& getCamera() const { return camera; }

protected:
    math::Matrix faceMatrices[CubeTexture::FaceCount];
    PerspectiveCamera camera;
    object::Pointer<CubeTexture> texture;
    object::Pointer<FrameBuffer> frameBuffers[CubeTexture::FaceCount];
    int32_t mode;

private:
    void generateIntoTargets(const math::Matrix& viewMatrix);
    void generateByCopying(const math::Matrix& viewMatrix);
};

} // namespace korvane::graphics3d
