#include "demo/SceneView.h"

#include <algorithm>

#include "demo/Gui.h"
#include "demo/OpenGLRequirements.h"
#include "demo/Scene.h"
#include "demo/SphereRenderer.h"
#include "graphics3d/GL.h"
#include "graphics3d/GeometryModel.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/SkyModel.h"
#include "gui/Input.h"
#include "gui3d/StringView.h"
#include "object/Pointer.h"

namespace korvane::demo {

SceneView::SceneView(const gui::Rectangle& frame) : OpenGL(frame), scene(std::make_unique<Scene>()) {
    timer.reset(0);
    pixelFormat.colorBits = 24;
    pixelFormat.alphaBits = 8;
    pixelFormat.stencilBits = 8;
    pixelFormat.depthBits = 24;
}

SceneView::~SceneView() {
    // A window detaches its views when it closes; this only catches a view released while attached.
    if (gui)
        detach();
}

bool SceneView::attach() {
    if (!OpenGL::attach()) {
        OpenGL::detach();
        throw graphics3d::UnsupportedFeatureException(
            "Korvane: no OpenGL context for the window (the display offers no suitable GLX visual).");
    }
    requireOpenGL();
    sceneContext = graphics3d::Context::getThreadContext();
    if (!sceneContext)
        sceneContext = graphics3d::Context::current();
    matrixStack = &sceneContext->matrixStack;

    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    const gui::Rectangle frame = getFrame();
    glViewport(int(frame.x), int(float(sceneContext->size.height) - frame.y - frame.height), int(frame.width),
               int(frame.height));

    gui = new Gui(sceneContext);
    timer.reset(0);
    camera.near = 10.0f;
    camera.far = 800.0f;
    setProjectionWindow(frame.width, frame.height);
    return initialiseScene();
}

bool SceneView::detach() {
    if (getGraphicsContext())
        getGraphicsContext()->makeCurrent();
    releaseScene();
    if (gui) {
        gui->release();
        gui = nullptr;
    }
    sceneContext = nullptr;
    matrixStack = nullptr;
    return OpenGL::detach();
}

bool SceneView::onFrameChanged(const gui::Rectangle& rectangle) {
    OpenGL::onFrameChanged(rectangle);
    setProjectionWindow(rectangle.width, rectangle.height);
    return true;
}

void SceneView::setProjectionWindow(float width, float height) {
    // The larger side spans 10 units at distance 10, so the picture is never stretched.
    const float f = 1.0f / std::max({width, height, 1.0f});
    camera.focal = 10.0f;
    camera.window[0] = -width * f * 5.0f;
    camera.window[1] = -height * f * 5.0f;
    camera.window[2] = width * f * 10.0f;
    camera.window[3] = height * f * 10.0f;
}

bool SceneView::initialiseScene() {
    camera.near = 15.0f;
    camera.far = 2500.0f;
    camera.apply();

    scene->build();

    const bool copying = !scene->spheres.empty() &&
                         scene->spheres[0].renderer->getMode() == graphics3d::CubemapGenerator::CopyMode;
    auto view = object::Pointer<gui3d::StringView>::adopt(new gui3d::StringView(
        {10.0f, 480.0f, 170.0f, 40.0f}, types::String(copying ? CopyTextureLabel : RenderTargetLabel)));
    view->setAnchors(gui::AnchorBottom);
    view->setFont(gui->getFont());
    gui->addView(view.get());
    label = view.get();

    timer.reset(0);
    return true;
}

void SceneView::releaseScene() {
    keptSky = nullptr;
    previousSkyKey = keptSkyKey = SkyKey();
    label = nullptr;
    if (gui)
        gui->removeAllViews();
    scene->release();
}

void SceneView::render() {
    timer.update();
    renderFrame(float(timer.getElapsed()));
}

void SceneView::presented() {
    if (gui)
        gui->framePresented();
}

void SceneView::renderFrame(float elapsedMilliseconds) {
    if (!scene->isBuilt())
        return;
    graphics3d::Context& context = *sceneContext;
    context.currentDepthMode = &context.defaultDepthMode;
    context.defaultDepthMode.apply();
    context.currentBlendMode = &context.defaultBlendMode;
    context.defaultBlendMode.apply();
    // The overlay turns culling off when it draws; without it every sphere's far side would be
    // rasterised and shaded, then hidden by the near side.
    glEnable(GL_CULL_FACE);

    scene->spin(elapsedMilliseconds);

    math::Matrix view = gui->getCameraTransform();
    math::invert(view);

    // The light's settings go to GL once per frame, with the first face; later draws only place it.
    context.lightStack.lights[0] = nullptr;
    for (Sphere& sphere : scene->spheres) {
        const math::Vector3<float> position = sphere.transform.getTranslation();
        sphere.renderer->generate(math::Matrix::translation(-position.x, -position.y, -position.z));
    }

    graphics3d::Context::bindDefaultFrameBuffer();
    glClear(GL_DEPTH_BUFFER_BIT);

    camera.apply();
    matrixStack->setMode(GL_MODELVIEW);
    glLoadIdentity();

    scene->placeLight(context);

    // The sky kept from an earlier frame goes in first; otherwise the spheres go before the sky, which
    // the depth test then keeps off them (see SphereRenderer).
    const bool skyKept = putKeptSky(view);
    math::Matrix rotation = view;
    math::invert(rotation);
    rotation.setTranslation({0.0f, 0.0f, 0.0f});
    matrixStack->setMode(GL_TEXTURE0);
    glLoadTransposeMatrixf(rotation.data());

    scene->orderFrontToBack(view, order);
    for (const int j : order) {
        const Sphere& sphere = scene->spheres[size_t(j)];
        const math::Matrix modelView = view * sphere.transform;
        sphere.parameters->set("modelview", modelView.data(), sizeof modelView.elements);
        sphere.model->drawFacing(sphere.parameters);
    }

    if (!skyKept)
        scene->drawSky(*matrixStack, view);

    gui->draw();
}

SceneView::SkyKey SceneView::skyKey(const math::Matrix& view) const {
    SkyKey key;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            key.rotation[row * 3 + column] = view.elements[row * 4 + column];
    const float projection[7] = {camera.near,      camera.far,       camera.focal,    camera.window[0],
                                 camera.window[1], camera.window[2], camera.window[3]};
    std::copy(std::begin(projection), std::end(projection), key.projection);
    glGetIntegerv(GL_VIEWPORT, key.viewport);
    return key;
}

bool SceneView::putKeptSky(const math::Matrix& view) {
    if (!glBlitFramebufferEXT || !glGenFramebuffersEXT || !glGenRenderbuffersEXT)
        return false;
    const SkyKey key = skyKey(view);
    const bool still = key == previousSkyKey;
    previousSkyKey = key;
    const int32_t* viewport = key.viewport;
    if (keptSky && key == keptSkyKey) {
        // The sky lies beyond every sphere, so the spheres drawn over the copy end as they would with
        // the sky drawn behind them.
        glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, keptSky->getGLName());
        glBlitFramebufferEXT(0, 0, viewport[2], viewport[3], viewport[0], viewport[1],
                             viewport[0] + viewport[2], viewport[1] + viewport[3], GL_COLOR_BUFFER_BIT,
                             GL_NEAREST);
        glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, 0);
        return true;
    }
    // Kept only once the camera has stood still for a frame: while it moves, the sky is drawn where the
    // spheres leave it uncovered.
    if (!still || viewport[2] <= 0 || viewport[3] <= 0)
        return false;
    if (!keptSky || keptSky->width != viewport[2] || keptSky->height != viewport[3]) {
        keptSky = nullptr;
        try {
            auto frameBuffer =
                object::Pointer<graphics3d::FrameBuffer>::adopt(graphics3d::createFrameBuffer());
            frameBuffer->attach(object::Pointer<graphics3d::RenderTarget>::adopt(
                                    graphics3d::createRenderTarget(GL_RGBA8, viewport[2], viewport[3]))
                                    .get(),
                                GL_COLOR_ATTACHMENT0_EXT);
            if (frameBuffer->isValid())
                keptSky = frameBuffer;
        } catch (const graphics3d::Graphics3dException&) {
        }
        // Without a frame buffer for it the sky is simply drawn every frame.
        graphics3d::Context::bindDefaultFrameBuffer();
        if (!keptSky)
            return false;
    }
    // The sky is drawn into the view before the spheres this once and copied as it is, so the kept
    // picture holds exactly the pixels the view shows.
    scene->drawSky(*matrixStack, view);
    glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, keptSky->getGLName());
    glBlitFramebufferEXT(viewport[0], viewport[1], viewport[0] + viewport[2], viewport[1] + viewport[3], 0, 0,
                         viewport[2], viewport[3], GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, 0);
    keptSkyKey = key;
    return true;
}
} // namespace korvane::demo
