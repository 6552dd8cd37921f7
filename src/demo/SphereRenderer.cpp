#include "demo/SphereRenderer.h"

#include "demo/Scene.h"
#include "graphics3d/Context.h"
#include "graphics3d/GeometryModel.h"
#include "graphics3d/OpenGL.h"
#include "graphics3d/SkyModel.h"

namespace korvane::demo {

SphereRenderer::SphereRenderer(graphics3d::CubeTexture* texture, int32_t index)
    : CubemapGenerator(texture, AutomaticMode), index(index),
      matrixStack(&graphics3d::Context::getThreadContext()->matrixStack) {}

void SphereRenderer::renderFace(const math::Matrix& viewMatrix, uint32_t face) {
    glClear(GL_DEPTH_BUFFER_BIT);

    matrixStack->setMode(GL_TEXTURE0);
    glLoadIdentity();
    matrixStack->setMode(GL_MODELVIEW);
    glLoadTransposeMatrixf(faceMatrices[face - GL_TEXTURE_CUBE_MAP_POSITIVE_X].data());

    graphics3d::Context* context = graphics3d::Context::getThreadContext();
    context->lightStack.lights[0] = scene.light;
    glEnable(GL_LIGHT0);
    scene.light->apply(0);

    scene.skyParameters->set("modelview", viewMatrix.data(), sizeof viewMatrix.elements);
    scene.sky->draw(scene.skyParameters);

    // The inverse view rotation takes the sphere shader's eye-space reflections back into world space.
    math::Matrix rotation = viewMatrix;
    math::invert(rotation);
    rotation.setTranslation({0.0f, 0.0f, 0.0f});
    matrixStack->setMode(GL_TEXTURE0);
    glLoadTransposeMatrixf(rotation.data());

    for (int j = 0; j < Scene::SphereCount; ++j) {
        if (j == index)
            continue;
        const math::Matrix modelView = viewMatrix * scene.sphereTransforms[j];
        scene.sphereParameters[j]->set("modelview", modelView.data(), sizeof modelView.elements);
        scene.sphereModels[j]->draw(scene.sphereParameters[j]);
    }
}

types::String SphereRenderer::getClassPath() const {
    return types::String::concat(CubemapGenerator::getClassPath(), ":SphereRenderer");
}

} // namespace korvane::demo
