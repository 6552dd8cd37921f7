#pragma once

#include <cstdint>

#include "graphics3d/CubemapGenerator.h"
#include "graphics3d/MatrixStack.h"

namespace korvane::demo {

// The reflection of one sphere: a cube-map generator whose faces show the sky and the other three spheres
// as seen from the sphere's centre. The mode is chosen automatically (render targets where frame-buffer
// objects exist, copying from the window otherwise).
class SphereRenderer : public graphics3d::CubemapGenerator {
public:
    // Works with the matrix stack of the rendering context current on the calling thread.
    SphereRenderer(graphics3d::CubeTexture* texture, int32_t index);

    void renderFace(const math::Matrix& viewMatrix, uint32_t face) override;

    int32_t getIndex() const { return index; }

    types::String getClassPath() const override;

private:
    // Light 0 is the scene's light, placed in the face's eye frame.
    void placeLight();
    void drawSky(const math::Matrix& viewMatrix);
    // Render-target mode with a sky texture that GL can copy into this sphere's faces.
    bool skyCanBeCopied() const;
    // Puts the sky of this face's direction into the face, from the scene's copy or drawn (and then
    // kept); false where it cannot be copied.
    bool copySky(const math::Matrix& viewMatrix, uint32_t face);

    int32_t index;
    graphics3d::MatrixStack* matrixStack;
    // The sky went into all six faces when the first face of this generation began.
    bool skyCopied = false;
};

} // namespace korvane::demo
