#pragma once

#include <atomic>
#include <cstdint>

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "gui/OpenGL.h"

namespace korvane::gui::testing {

// An OpenGL view that clears to a colour the test chooses and counts its frames (read from any thread).
class ClearView : public OpenGL {
public:
    explicit ClearView(const Rectangle& frame) : OpenGL(frame) {
        pixelFormat.colorBits = 24;
        pixelFormat.alphaBits = 8;
        pixelFormat.depthBits = 24;
        pixelFormat.stencilBits = 8;
    }

    void render() override {
        const uint32_t rgb = colour.load();
        glClearColor(float(rgb >> 16) / 255.0f, float((rgb >> 8) & 0xFF) / 255.0f, float(rgb & 0xFF) / 255.0f,
                     1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        renderedContext = graphics3d::Context::getThreadContext();
        ++frames;
    }

    std::atomic<uint32_t> colour{0xFF0000};
    std::atomic<int> frames{0};
    std::atomic<graphics3d::Context*> renderedContext{nullptr};
};

} // namespace korvane::gui::testing
