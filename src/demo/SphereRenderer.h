#pragma once

#include <cstdint>
#include <vector>

#include "graphics3d/CubemapGenerator.h"
#include "graphics3d/MatrixStack.h"

namespace korvane::graphics3d {
class GeometryModel;
} // namespace korvane::graphics3d

namespace korvane::demo {

class Scene;

// The reflection of one sphere of a scene: a cube-map generator whose faces show the sky and the other
// spheres as seen from the sphere's centre. The mode is chosen automatically (render targets where
// frame-buffer objects exist, copying from the window otherwise).
class SphereRenderer : public graphics3d::CubemapGenerator {
public:
    // Draws sphere `index` of `scene`, which owns the renderer and outlives it. Works with the matrix
    // stack of the rendering context current on the calling thread.
    SphereRenderer(Scene& scene, graphics3d::CubeTexture* texture, int32_t index);

    void renderFace(const math::Matrix& viewMatrix, uint32_t face) override;

    int32_t getIndex() const { return index; }

    types::String getClassPath() const override;

private:
    // A sphere this face shows, with the model of its detail level.
    struct Draw {
        int sphere;
        graphics3d::GeometryModel* model;
        math::Matrix modelView;
    };

    // Render-target mode with a sky texture that GL can copy into this sphere's faces.
    bool skyCanBeCopied() const;
    // Puts the sky of this face's direction into the face, from the scene's copy or drawn (and then
    // kept); false where it cannot be copied.
    bool copySky(const math::Matrix& viewMatrix, uint32_t face);

    Scene& scene;
    int32_t index;
    graphics3d::MatrixStack* matrixStack;
    // Kept from face to face so that drawing a face allocates nothing once the first face has run.
    std::vector<int> order;
    std::vector<Draw> draws;
    // The sky went into all six faces when the first face of this generation began.
    bool skyCopied = false;
};

} // namespace korvane::demo
