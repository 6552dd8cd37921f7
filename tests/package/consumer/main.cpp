// Opens a window with an OpenGL view that clears to a colour, reads the colour back and exits with 0 when
// it is the one cleared to.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "graphics3d/OpenGL.h"
#include "gui/OpenGL.h"
#include "gui/Window.h"
#include "object/Pointer.h"

using namespace korvane;

namespace {

constexpr uint32_t Expected = 0x3366CC;

class ClearView : public gui::OpenGL {
public:
    explicit ClearView(const gui::Rectangle& frame) : OpenGL(frame) {}

    void render() override {
        glClearColor(0.2f, 0.4f, 0.8f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        unsigned char pixel[4] = {};
        glReadPixels(viewport[2] / 2, viewport[3] / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        readBack = uint32_t(pixel[0]) << 16 | uint32_t(pixel[1]) << 8 | pixel[2];
        rendered = true;
    }

    std::atomic<bool> rendered{false};
    std::atomic<uint32_t> readBack{0};
};

} // namespace

int main() {
    auto window = object::Pointer<gui::Window>::adopt(new gui::Window());
    window->setTitle("Korvane package");
    window->setSize({160, 120});
    auto view = object::Pointer<ClearView>::adopt(new ClearView({0, 0, 160, 120}));
    window->addView(view);
    if (!window->open()) {
        std::printf("the window did not open\n");
        return 1;
    }
    view->invalidate();
    for (int i = 0; i < 500 && !view->rendered; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool rendered = view->rendered;
    const uint32_t colour = view->readBack;
    window->close();

    if (!rendered) {
        std::printf("the view never rendered\n");
        return 1;
    }
    std::printf("read back %06X, cleared to %06X\n", unsigned(colour), unsigned(Expected));
    return colour == Expected ? 0 : 1;
}
