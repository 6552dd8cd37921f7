#include "demo/SphereRenderer.h"

#include <algorithm>
#include <iterator>

#include "demo/Scene.h"
#include "graphics3d/Context.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/GL.h"
#include "graphics3d/GeometryModel.h"
#include "graphics3d/SkyModel.h"

namespace korvane::demo {

SphereRenderer::SphereRenderer(Scene& scene, graphics3d::CubeTexture* texture, int32_t index)
    : CubemapGenerator(texture, AutomaticMode), scene(scene), index(index),
      matrixStack(&graphics3d::Context::getThreadContext()->matrixStack) {}

void SphereRenderer::renderFace(const math::Matrix& viewMatrix, uint32_t face) {
    // The spheres this face shows, nearest first, each with the model of its detail level.
    draws.clear();
    scene.orderFrontToBack(viewMatrix, order);
    const float size = float(getTexture()->getWidth());
    for (const int j : order) {
        if (j == index)
            continue;
        const Sphere& sphere = scene.spheres[size_t(j)];
        const math::Matrix modelView = viewMatrix * sphere.transform;
        // A sphere wholly outside this face's 90-degree frustum would not touch a pixel.
        if (!camera.canSee(modelView.getTranslation(), sphere.radius))
            continue;
        // A sphere a face shows small is drawn with as few segments as keep its outline where it is.
        const int level =
            sphereDetailFor(sphereRadiusInFace(modelView.getTranslation(), sphere.radius, size));
        draws.push_back({j, level == 0 ? sphere.model.get() : sphere.coarser[level - 1].get(), modelView});
    }

    // A face that shows nothing but the copied sky only takes the copy: nothing would read its depth.
    const int slice = int(face - GL_TEXTURE_CUBE_MAP_POSITIVE_X);
    if (draws.empty() && skyCanBeCopied() && scene.skyFaceReady[slice]) {
        copySky(viewMatrix, face);
        return;
    }

    glClear(GL_DEPTH_BUFFER_BIT);
    matrixStack->setMode(GL_MODELVIEW);
    glLoadTransposeMatrixf(faceMatrices[slice].data());
    // Light 0 is the scene's light, placed in the face's eye frame.
    scene.placeLight(*graphics3d::Context::getThreadContext());

    // The sky of this direction comes copied from the first face that drew it; the spheres then go
    // over it as they would over the sky drawn here (the sky box lies farther out than any sphere can be
    // from another's centre, so the depth test always let the spheres through). Where it cannot be
    // copied, the spheres are drawn first and the sky behind them with the depth test, so that the sky's
    // fragments under a sphere are never shaded; every pixel ends the same either way.
    const bool skyDrawn = copySky(viewMatrix, face);

    // The inverse view rotation takes the sphere shader's eye-space reflections back into world space.
    math::Matrix rotation = viewMatrix;
    math::invert(rotation);
    rotation.setTranslation({0.0f, 0.0f, 0.0f});
    matrixStack->setMode(GL_TEXTURE0);
    glLoadTransposeMatrixf(rotation.data());

    for (const Draw& draw : draws) {
        graphics3d::ParameterBuffer* parameters = scene.spheres[size_t(draw.sphere)].parameters.get();
        parameters->set("modelview", draw.modelView.data(), sizeof draw.modelView.elements);
        draw.model->drawFacing(parameters);
    }

    if (!skyDrawn)
        scene.drawSky(*matrixStack, viewMatrix);
}

bool SphereRenderer::skyCanBeCopied() const {
    const graphics3d::CubeTexture* cube = getTexture();
    const graphics3d::CubeTexture* sky = scene.skyFaces.get();
    return getMode() == RenderTargetMode && glCopyImageSubData && sky && cube &&
           sky->getWidth() == cube->getWidth() && sky->getHeight() == cube->getHeight() &&
           sky->getFormat() == cube->getFormat();
}

bool SphereRenderer::copySky(const math::Matrix& viewMatrix, uint32_t face) {
    if (!skyCanBeCopied())
        return false;
    graphics3d::CubeTexture* cube = getTexture();
    graphics3d::CubeTexture* sky = scene.skyFaces.get();
    const int slice = int(face - GL_TEXTURE_CUBE_MAP_POSITIVE_X);
    const int last = graphics3d::CubeTexture::FaceCount - 1;
    // Every copy makes the driver map both textures and wait for the passes that use them, so the six
    // faces are copied in one go when the first face begins: one copy per sphere instead of one per face.
    // No face of this sphere is read before it has been drawn, so the early copy changes no pixel.
    if (slice == 0 && std::all_of(std::begin(scene.skyFaceReady), std::end(scene.skyFaceReady),
                                  [](bool ready) { return ready; })) {
        glCopyImageSubData(sky->getGLName(), GL_TEXTURE_CUBE_MAP, 0, 0, 0, 0, cube->getGLName(),
                           GL_TEXTURE_CUBE_MAP, 0, 0, 0, 0, cube->getWidth(), cube->getHeight(),
                           graphics3d::CubeTexture::FaceCount);
        skyCopied = true;
        return true;
    }
    if (skyCopied) {
        skyCopied = slice != last;
        return true;
    }
    if (scene.skyFaceReady[slice]) {
        glCopyImageSubData(sky->getGLName(), GL_TEXTURE_CUBE_MAP, 0, 0, 0, slice, cube->getGLName(),
                           GL_TEXTURE_CUBE_MAP, 0, 0, 0, slice, cube->getWidth(), cube->getHeight(), 1);
        return true;
    }
    scene.drawSky(*matrixStack, viewMatrix);
    glCopyImageSubData(cube->getGLName(), GL_TEXTURE_CUBE_MAP, 0, 0, 0, slice, sky->getGLName(),
                       GL_TEXTURE_CUBE_MAP, 0, 0, 0, slice, cube->getWidth(), cube->getHeight(), 1);
    scene.skyFaceReady[slice] = true;
    return true;
}

types::String SphereRenderer::getClassPath() const {
    return types::String::concat(CubemapGenerator::getClassPath(), ":SphereRenderer");
}

} // namespace korvane::demo
