#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "demo/Gui.h"
#include "demo/MainWindow.h"
#include "demo/Scene.h"
#include "demo/SceneView.h"
#include "graphics3d/GL.h"
#include "gui3d/StringView.h"
#include "object/Pointer.h"
#include "platform/Window.h"
#include "support/demo/SceneWindow.h"
#include "support/graphics3d/GLTestWindow.h"
#include "support/graphics3d/Queries.h"

using korvane::demo::MainWindow;
using korvane::demo::SceneView;
using korvane::object::Pointer;

namespace {

// Opens the demonstration's window in this process, in the run directory, and reads the label's text on
// the window thread.
std::string labelOfAnOpenWindow() {
    std::string text;
    korvane::demo::test::withSceneView(600.0f, 500.0f, [&](SceneView& view) {
        if (view.getLabel())
            text = view.getLabel()->getText().getText();
    });
    return text;
}

} // namespace

TEST(SceneViewTest, TheLabelNamesTheModeTheGeneratorsChose) {
    EXPECT_EQ(labelOfAnOpenWindow(), "RenderTarget-Mode (fast)");
    {
        korvane::graphics3d::test::MissingEntryPoint missing(__glewGenFramebuffersEXT);
        EXPECT_EQ(labelOfAnOpenWindow(), "CopyTexture-Mode (slow)");
    }
}

TEST(SceneViewTest, TheLargerSideSpansTenUnitsSoThePictureIsNeverStretched) {
    auto view = Pointer<SceneView>::adopt(new SceneView({0.0f, 0.0f, 600.0f, 500.0f}));
    struct Case {
        float width, height, left, bottom, windowWidth, windowHeight;
    };
    for (const Case& c :
         {Case{800, 400, -5.0f, -2.5f, 10.0f, 5.0f}, Case{300, 600, -2.5f, -5.0f, 5.0f, 10.0f},
          Case{256, 256, -5.0f, -5.0f, 10.0f, 10.0f}}) {
        view->onFrameChanged({0.0f, 0.0f, c.width, c.height});
        const auto& camera = view->getCamera();
        EXPECT_FLOAT_EQ(camera.focal, 10.0f);
        EXPECT_FLOAT_EQ(camera.window[0], c.left) << c.width << "x" << c.height;
        EXPECT_FLOAT_EQ(camera.window[1], c.bottom);
        EXPECT_FLOAT_EQ(camera.window[2], c.windowWidth);
        EXPECT_FLOAT_EQ(camera.window[3], c.windowHeight);
    }
}

// The overlay turns culling off when it draws; the frames after it still leave the spheres' far sides
// unrasterised.
TEST(SceneViewTest, EveryFrameCullsTheFarSidesOfTheSpheres) {
    korvane::demo::test::withSceneView(600.0f, 500.0f, [](SceneView& view) {
        // The window's sky is kept from the third frame on; after that every frame draws the same.
        for (int frame = 0; frame < 3; ++frame)
            view.renderFrame(0.0f);
        auto samplesPassed = [&] {
            return korvane::graphics3d::test::countWhile(GL_SAMPLES_PASSED, [&] { view.renderFrame(0.0f); });
        };
        const GLuint asDrawn = samplesPassed();
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        const GLuint culled = samplesPassed();
        EXPECT_GT(culled, 0u);
        EXPECT_EQ(asDrawn, culled);
    });
}

// The F key shows the frame-rate readout over the picture's top-left corner and hides it again; hidden, the
// picture is exactly the one drawn before it was ever shown.
TEST(SceneViewTest, TheFrameRateReadoutComesAndGoesWithTheKey) {
    korvane::demo::test::withSceneView(600.0f, 500.0f, [](SceneView& view) {
        auto frame = [&] {
            view.renderFrame(0.0f);
            view.presented();
            std::vector<uint8_t> pixels(600 * 500 * 4);
            glReadPixels(0, 0, 600, 500, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            return pixels;
        };
        auto pressF = [&] {
            korvane::platform::sendMessage(view.getHandle(), korvane::platform::WM_KEYDOWN, 'F', 0);
        };
        const korvane::demo::Gui& gui = *view.getGui();
        // The window's sky is kept from the third frame on; after that every frame draws the same.
        for (int i = 0; i < 3; ++i)
            frame();
        const std::vector<uint8_t> plain = frame();
        EXPECT_EQ(gui.getFrameRateReadout(), nullptr);

        pressF();
        ASSERT_NE(gui.getFrameRateReadout(), nullptr);
        EXPECT_TRUE(
            std::regex_match(gui.getFrameRateReadout()->getText().getText(), std::regex("[0-9]+ fps")))
            << gui.getFrameRateReadout()->getText().getText();
        const std::vector<uint8_t> shown = frame();
        int inCorner = 0, elsewhere = 0;
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 600; ++x) {
                const size_t at = (size_t(y) * 600 + x) * 4;
                if (std::equal(&plain[at], &plain[at] + 3, &shown[at]))
                    continue;
                // Rows count from the bottom: the corner is the top 50 rows, left 150 columns.
                (x < 150 && y >= 450 ? inCorner : elsewhere) += 1;
            }
        EXPECT_GT(inCorner, 50);
        EXPECT_EQ(elsewhere, 0);

        pressF();
        EXPECT_EQ(gui.getFrameRateReadout(), nullptr);
        EXPECT_TRUE(frame() == plain);
    });
}

// The view owns its scene: closing the window lets go of every part of every sphere, of the sky and of the
// light, while the view itself lives on; the next window builds them anew.
TEST(SceneViewTest, ClosingTheWindowReleasesEveryPartOfTheScene) {
    korvane::demo::test::InRunDirectory directory;
    for (int round = 0; round < 3; ++round) {
        auto window = Pointer<MainWindow>::adopt(new MainWindow);
        auto view = Pointer<SceneView>::adopt(new SceneView({0.0f, 0.0f, 600.0f, 500.0f}));
        window->addView(view.get());
        ASSERT_TRUE(window->open());
        std::vector<Pointer<korvane::object::Object>> parts;
        window->callOnWindowThread([&] {
            const korvane::demo::Scene& scene = view->getScene();
            EXPECT_EQ(scene.getSphereCount(), korvane::demo::SphereCount);
            for (const korvane::demo::Sphere& sphere : scene.spheres) {
                // The cube texture is held by these parts; it goes with them.
                parts.insert(parts.end(),
                             {sphere.model.get(), sphere.parameters.get(), sphere.renderer.get()});
                parts.insert(parts.end(), std::begin(sphere.coarser), std::end(sphere.coarser));
            }
            parts.insert(parts.end(), {scene.sky.get(), scene.skyParameters.get(), scene.skyFaces.get(),
                                       scene.light.get()});
            return true;
        });
        window->close();
        EXPECT_FALSE(view->getScene().isBuilt());
        EXPECT_TRUE(view->getScene().spheres.empty());
        ASSERT_EQ(parts.size(), size_t(korvane::demo::SphereCount * (2 + korvane::demo::DetailCount) + 4));
        for (const auto& part : parts) {
            ASSERT_NE(part.get(), nullptr);
            EXPECT_EQ(part->getReferenceCount(), 1) << part->getClassPath().getText() << ", round " << round;
        }
    }
}
