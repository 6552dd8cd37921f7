#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "demo/MainWindow.h"
#include "demo/SceneView.h"
#include "graphics3d/Context.h"
#include "object/Pointer.h"
#include "support/demo/RunDirectory.h"
#include "support/graphics3d/GLTestWindow.h"

using korvane::demo::MainWindow;
using korvane::demo::SceneView;
using korvane::graphics3d::test::MissingEntryPoint;
using korvane::object::Pointer;

namespace {

struct Frame {
    bool drawn = false;
    GLenum error = GL_NO_ERROR;
    std::vector<uint8_t> rgb;
};

// Opens the demonstration's window in this process (in the run directory), renders two frames on the
// window thread and reads the second back before it is shown.
Frame renderAFrame() {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(korvane::demo::test::runDirectory());
    auto window = Pointer<MainWindow>::adopt(new MainWindow);
    window->setSize({300.0f, 250.0f});
    auto view = Pointer<SceneView>::adopt(new SceneView({0.0f, 0.0f, 300.0f, 250.0f}));
    window->addView(view.get());
    Frame frame;
    if (window->open()) {
        window->callOnWindowThread([&] {
            if (!view->getGraphicsContext() || !view->getGraphicsContext()->makeCurrent())
                return false;
            while (glGetError() != GL_NO_ERROR) {
            }
            view->render();
            view->render();
            frame.rgb.resize(300 * 250 * 3);
            glReadBuffer(GL_BACK);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, 300, 250, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
            frame.error = glGetError();
            frame.drawn = true;
            return true;
        });
        window->close();
    }
    std::filesystem::current_path(previous);
    return frame;
}

} // namespace

TEST(SceneViewDriverTest, WithoutBufferObjectsTheSceneIsDrawnFromClientMemoryAndLooksTheSame) {
    const Frame withBuffers = renderAFrame();
    ASSERT_TRUE(withBuffers.drawn);
    EXPECT_EQ(withBuffers.error, GLenum(GL_NO_ERROR));
    Frame withoutBuffers;
    {
        MissingEntryPoint core(__glewGenBuffers);
        MissingEntryPoint extension(__glewGenBuffersARB);
        withoutBuffers = renderAFrame();
    }
    ASSERT_TRUE(withoutBuffers.drawn);
    EXPECT_EQ(withoutBuffers.error, GLenum(GL_NO_ERROR));
    // The spheres have turned further in one run than in the other, so the pictures differ in places; but
    // the same sky and spheres give the same colours overall (a picture without the spheres or without the
    // sky would not), and nothing is left black.
    long sums[2][3] = {}, lit = 0;
    for (size_t i = 0; i < withBuffers.rgb.size(); i += 3) {
        for (size_t c = 0; c < 3; ++c) {
            sums[0][c] += withBuffers.rgb[i + c];
            sums[1][c] += withoutBuffers.rgb[i + c];
        }
        lit += withoutBuffers.rgb[i] + withoutBuffers.rgb[i + 1] + withoutBuffers.rgb[i + 2] > 60;
    }
    const long pixels = long(withBuffers.rgb.size() / 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(double(sums[1][c]) / pixels, double(sums[0][c]) / pixels, 20.0) << "channel " << c;
    EXPECT_GT(lit, pixels * 9 / 10);
}
