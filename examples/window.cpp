// A window with an OpenGL view that a ticker redraws sixty times a second, cycling the clear colour
// through red, green and blue. Close the window to end, or pass --frames N to draw N frames, read the
// centre pixel of the last one back and exit with 0 when it has the colour of that frame.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics3d/GL.h"
#include "gui/Input.h"
#include "gui/OpenGL.h"
#include "gui/Window.h"
#include "object/Pointer.h"
#include "object/Version.h"
#include "system/Signal.h"
#include "system/Ticker.h"

using namespace korvane;

namespace {

constexpr unsigned char Colours[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

// Renders on the window's thread each time the view is invalidated.
class ColourView : public gui::OpenGL {
public:
    ColourView(const gui::Rectangle& frame, int frames, system::Signal& done)
        : OpenGL(frame), frames(frames), done(done) {}

    void render() override {
        const int frame = ++drawn;
        const unsigned char* colour = Colours[frame % 3];
        glClearColor(colour[0] / 255.0f, colour[1] / 255.0f, colour[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (frame == frames) {
            GLint viewport[4];
            glGetIntegerv(GL_VIEWPORT, viewport);
            glReadPixels(viewport[2] / 2, viewport[3] / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
            done.set();
        }
    }

    std::atomic<int> drawn{0};
    unsigned char pixel[3] = {};

private:
    const int frames;
    system::Signal& done;
};

// Asks the view for a frame on every tick; the ticker runs on a thread of its own.
class FrameTicker : public system::Ticker {
public:
    explicit FrameTicker(gui::View* view) : view(view) {}
    ~FrameTicker() override { stop(); }
    void tick() override { view->invalidate(); }

private:
    gui::View* view;
};

// Closing the window ends the program.
class MainWindow : public gui::Window {
public:
    explicit MainWindow(system::Signal& done) : done(done) {}
    ~MainWindow() override { close(); }
    bool onClose() override {
        done.set();
        return true;
    }

private:
    system::Signal& done;
};

} // namespace

int main(int argc, char** argv) {
    int frames = 0;
    if (argc == 3 && std::strcmp(argv[1], "--frames") == 0)
        frames = std::atoi(argv[2]);
    std::printf("Korvane %s\n", KORVANE_VERSION_STRING);

    system::Signal done;
    auto window = object::Pointer<MainWindow>::adopt(new MainWindow(done));
    window->setTitle("Korvane window");
    window->setSize({320, 240});
    auto view = object::Pointer<ColourView>::adopt(new ColourView({0, 0, 320, 240}, frames, done));
    view->setAnchors(gui::AnchorLeft | gui::AnchorRight | gui::AnchorTop | gui::AnchorBottom);
    window->addView(view.get());
    if (!window->open()) {
        std::printf("the window cannot be opened (no display or no OpenGL)\n");
        return 1;
    }
    auto ticker = object::Pointer<FrameTicker>::adopt(new FrameTicker(view.get()));
    ticker->setPeriod(16);
    ticker->start();

    done.wait();
    ticker->stop();
    window->close();
    if (frames <= 0)
        return 0;
    const unsigned char* expected = Colours[frames % 3];
    std::printf("frame %d centre pixel %d %d %d\n", frames, view->pixel[0], view->pixel[1], view->pixel[2]);
    return std::memcmp(view->pixel, expected, 3) == 0 ? 0 : 1;
}
