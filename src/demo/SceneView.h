#pragma once

#include <memory>
#include <vector>

#include "graphics3d/Camera.h"
#include "graphics3d/Context.h"
#include "graphics3d/FrameBuffer.h"
#include "graphics3d/MatrixStack.h"
#include "gui/OpenGL.h"
#include "math/Matrix.h"
#include "object/Pointer.h"
#include "system/Timer.h"

namespace korvane::gui3d {
class StringView;
} // namespace korvane::gui3d

namespace korvane::demo {

class Gui;
class Scene;

// The demonstration's OpenGL view. Attaching it sets up the rendering context, the camera, the overlay
// with its navigation and the scene, which the view owns; every paint renders one frame: the spheres turn,
// their reflections are regenerated, then the sky, the spheres and the mode label are drawn. Detaching
// releases it all.
class SceneView : public gui::OpenGL {
public:
    explicit SceneView(const gui::Rectangle& frame);
    ~SceneView() override;

    bool handleMessage(application::Message*) override { return true; }
    // Throws when the view gets no GL context (no GLX visual or context) and when the scene cannot be
    // built (missing or broken data files, no font); the exception ends the window thread.
    bool attach() override;
    bool detach() override;
    bool onFrameChanged(const gui::Rectangle& rectangle) override;
    void render() override;
    // Feeds the overlay's frame-rate readout and the frame log.
    void presented() override;
    // One frame with the spheres turned by this many milliseconds' worth (render() passes the time since
    // the last frame); with the context current, on the window thread.
    void renderFrame(float elapsedMilliseconds);

    virtual bool initialiseScene();
    virtual void releaseScene();

    // The label's text, fixed when the scene is built: the generators' mode.
    static constexpr const char* RenderTargetLabel = "RenderTarget-Mode (fast)";
    static constexpr const char* CopyTextureLabel = "CopyTexture-Mode (slow)";

    const graphics3d::PerspectiveCamera& getCamera() const { return camera; }
    // The scene the view draws: empty while detached. Used on the window thread.
    Scene& getScene() { return *scene; }
    Gui* getGui() const { return gui; }
    // The mode label, null while detached.
    const gui3d::StringView* getLabel() const { return label; }

private:
    // What the sky of the main view depends on: the view's rotation, the camera's projection and the
    // viewport.
    struct SkyKey {
        float rotation[9] = {};
        float projection[7] = {};
        int32_t viewport[4] = {};
        bool operator==(const SkyKey&) const = default;
    };

    void setProjectionWindow(float width, float height);
    SkyKey skyKey(const math::Matrix& view) const;
    // Puts the sky into the view from the kept picture when the camera has stood still since it was
    // drawn, drawing the picture anew once the camera has stood still for a frame; false when the sky
    // is still to be drawn.
    bool putKeptSky(const math::Matrix& view);

    graphics3d::Context* sceneContext = nullptr;
    graphics3d::MatrixStack* matrixStack = nullptr;
    Gui* gui = nullptr;
    gui3d::StringView* label = nullptr;
    system::Timer timer;
    graphics3d::PerspectiveCamera camera;
    const std::unique_ptr<Scene> scene;
    // The spheres' drawing order, kept from frame to frame.
    std::vector<int> order;
    // The sky alone as the main view last showed it while the camera stood still (null until then).
    object::Pointer<graphics3d::FrameBuffer> keptSky;
    SkyKey keptSkyKey;
    SkyKey previousSkyKey;
};

} // namespace korvane::demo
