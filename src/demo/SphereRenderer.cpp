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

SphereRenderer::SphereRenderer(graphics3d::CubeTexture* texture, int32_t index)
    : CubemapGenerator(texture, AutomaticMode), index(index),
      matrixStack(&graphics3d::Context::getThreadContext()->matrixStack) {}

void SphereRenderer::renderFace(const math::Matrix& viewMatrix, uint32_t face) {
    // The spheres this face shows, nearest first, each with the model of its detail level.
    struct Draw {
        int sphere;
        graphics3d::GeometryModel* model;
        math::Matrix modelView;
    };
    Draw draws[Scene::SphereCount];
    int drawCount = 0;
    int order[Scene::SphereCount];
    orderFrontToBack(viewMatrix, order);
    const float size = float(getTexture()->getWidth());
    for (const int j : order) {
        if (j == index)
            continue;
        const math::Matrix modelView = viewMatrix * scene.sphereTransforms[j];
        // A sphere wholly outside this face's 90-degree frustum would not touch a pixel.
        if (!camera.canSee(modelView.getTranslation(), scene.sphereRadii[j]))
            continue;
        // A sphere a face shows small is drawn with as few segments as keep its outline where it is.
        const int level =
            sphereDetailFor(sphereRadiusInFace(modelView.getTranslation(), scene.sphereRadii[j], size));
        draws[drawCount++] = {j, level == 0 ? scene.sphereModels[j] : scene.coarserSpheres[j][level - 1],
                              modelView};
    }

    // A face that shows nothing but the copied sky only takes the copy: nothing would read its depth.
    const int slice = int(face - GL_TEXTURE_CUBE_MAP_POSITIVE_X);
    if (drawCount == 0 && skyCanBeCopied() && scene.skyFaceReady[slice]) {
        copySky(viewMatrix, face);
        return;
    }

    glClear(GL_DEPTH_BUFFER_BIT);
    matrixStack->setMode(GL_MODELVIEW);
    glLoadTransposeMatrixf(faceMatrices[slice].data());
    placeLight();

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

    for (int k = 0; k < drawCount; ++k) {
        const Draw& draw = draws[k];
        scene.sphereParameters[draw.sphere]->set("modelview", draw.modelView.data(),
                                                 sizeof draw.modelView.elements);
        draw.model->drawFacing(scene.sphereParameters[draw.sphere]);
    }

    if (!skyDrawn)
        drawSky(viewMatrix);
}

void SphereRenderer::drawSky(const math::Matrix& viewMatrix) {
    matrixStack->setMode(GL_TEXTURE0);
    glLoadIdentity();
    scene.skyParameters->set("modelview", viewMatrix.data(), sizeof viewMatrix.elements);
    scene.sky->draw(scene.skyParameters);
}

bool SphereRenderer::skyCanBeCopied() const {
    const graphics3d::CubeTexture* cube = getTexture();
    const graphics3d::CubeTexture* sky = scene.skyFaces;
    return getMode() == RenderTargetMode && glCopyImageSubData && sky && cube &&
           sky->getWidth() == cube->getWidth() && sky->getHeight() == cube->getHeight() &&
           sky->getFormat() == cube->getFormat();
}

bool SphereRenderer::copySky(const math::Matrix& viewMatrix, uint32_t face) {
    if (!skyCanBeCopied())
        return false;
    graphics3d::CubeTexture* cube = getTexture();
    graphics3d::CubeTexture* sky = scene.skyFaces;
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
    drawSky(viewMatrix);
    glCopyImageSubData(cube->getGLName(), GL_TEXTURE_CUBE_MAP, 0, 0, 0, slice, sky->getGLName(),
                       GL_TEXTURE_CUBE_MAP, 0, 0, 0, slice, cube->getWidth(), cube->getHeight(), 1);
    scene.skyFaceReady[slice] = true;
    return true;
}

void SphereRenderer::placeLight() {
    // The light's colours stay in GL from one face to the next; its position follows the face's
    // rotation. The scene view empties the light's slot at the start of every frame, so the first face
    // of a frame sends the whole light.
    graphics3d::Context* context = graphics3d::Context::getThreadContext();
    if (context->lightStack.lights[0] == scene.light) {
        scene.light->applyPlacement(0);
        return;
    }
    context->lightStack.lights[0] = scene.light;
    glEnable(GL_LIGHT0);
    scene.light->apply(0);
}

types::String SphereRenderer::getClassPath() const {
    return types::String::concat(CubemapGenerator::getClassPath(), ":SphereRenderer");
}

} // namespace korvane::demo
