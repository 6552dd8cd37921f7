#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"

namespace korvane::graphics3d::test {

// A window of the virtual X server with a legacy GL context current on the calling thread, and the
// rendering Context made for it. Destruction closes the Context (which deletes the GL context) and the
// window.
class GLTestWindow {
public:
    explicit GLTestWindow(int width = 256, int height = 256);
    ~GLTestWindow();
    GLTestWindow(const GLTestWindow&) = delete;
    GLTestWindow& operator=(const GLTestWindow&) = delete;

    bool isReady() const { return context != nullptr; }
    Context* getContext() const { return context; }
    // Changes the window's size (the GL context stays current).
    void resize(int width, int height);

private:
    struct Native;
    std::unique_ptr<Native> native;
    Context* context = nullptr;
};

// Each test runs with a fresh window, GL context and rendering Context.
class GLTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<GLTestWindow>();
        ASSERT_TRUE(window->isReady()) << "no GL context on the virtual X server";
        context = window->getContext();
    }
    void TearDown() override { window.reset(); }

    std::unique_ptr<GLTestWindow> window;
    Context* context = nullptr;
};

// Sets a GLEW entry point to null for its lifetime, which is how the layer sees a missing feature.
template <typename Function> class MissingEntryPoint {
public:
    explicit MissingEntryPoint(Function& entryPoint) : entryPoint(entryPoint), saved(entryPoint) {
        entryPoint = nullptr;
    }
    ~MissingEntryPoint() { entryPoint = saved; }
    MissingEntryPoint(const MissingEntryPoint&) = delete;
    MissingEntryPoint& operator=(const MissingEntryPoint&) = delete;

private:
    Function& entryPoint;
    Function saved;
};

// The GL state queries the tests use.
GLint getInteger(GLenum query);
bool isEnabled(GLenum capability);

} // namespace korvane::graphics3d::test
