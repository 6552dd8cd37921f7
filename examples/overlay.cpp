// A text overlay on an OpenGL view: a label that counts the clicks it gets, and a mouse listener that
// gets the clicks no overlay view takes. The font comes from the command line, else $KORVANE_FONT, else
// DejaVu Sans. With --check the program clicks the label and the empty space beside it by posting mouse
// messages to its own window, and reports who got which click.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "freetype/FontFactory.h"
#include "graphics3d/GL.h"
#include "gui/Input.h"
#include "gui/OpenGL.h"
#include "gui/Window.h"
#include "gui3d/Root.h"
#include "gui3d/StringView.h"
#include "input/MouseDispatcher.h"
#include "input/MouseListener.h"
#include "io/SystemFileFactory.h"
#include "platform/Window.h"
#include "system/Signal.h"

using namespace korvane;
using object::Pointer;

namespace {

class ClickLabel : public gui3d::StringView {
public:
    using StringView::StringView;
    bool onMouseButton(const gui::Point&, uint32_t code) override {
        if (code == gui::ButtonLeftDown)
            setText(types::String("Clicked ") + types::String(std::to_string(++clicks).c_str()));
        return true; // taken: the root passes it no further
    }
    std::atomic<int> clicks{0};
};

class ClickCounter : public input::MouseListener {
public:
    void onMouseButton(const gui::Point&, uint32_t code) override { clicks += code == gui::ButtonLeftDown; }
    std::atomic<int> clicks{0};
};

// The overlay root: what no view takes goes to the dispatcher's listeners.
class Overlay : public gui3d::Root {
public:
    Overlay(graphics3d::Context* context, input::MouseListener* rest) : Root(context, true) {
        mouse->addListener(rest);
    }
    bool onMouseButton(const gui::Point& position, uint32_t code) override {
        if (!Root::onMouseButton(position, code))
            mouse->dispatchMouseButton(position, code);
        return true;
    }

private:
    Pointer<input::MouseDispatcher> mouse =
        Pointer<input::MouseDispatcher>::adopt(new input::MouseDispatcher);
};

class OverlayView : public gui::OpenGL {
public:
    OverlayView(const gui::Rectangle& frame, freetype::Font* font) : OpenGL(frame), font(font) {}

    bool attach() override {
        if (!OpenGL::attach())
            return false;
        overlay = Pointer<Overlay>::adopt(new Overlay(getGraphicsContext(), &background));
        label->setFont(font);
        overlay->addView(label);
        return true;
    }
    bool detach() override {
        if (getGraphicsContext())
            getGraphicsContext()->makeCurrent();
        overlay = nullptr;
        return OpenGL::detach();
    }
    void render() override {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (overlay)
            overlay->draw();
        // The text's pixels: the label's baseline is the top of its frame, the glyphs stand above it.
        static unsigned char band[200 * 40 * 3];
        glReadPixels(20, 240 - 60 - 10, 200, 40, GL_RGB, GL_UNSIGNED_BYTE, band);
        int lit = 0;
        for (int i = 0; i < 200 * 40; ++i)
            lit += band[3 * i] > 128;
        litPixels = lit;
        drawn.set();
    }

    Pointer<ClickLabel> label =
        Pointer<ClickLabel>::adopt(new ClickLabel({20, 60, 200, 30}, types::String("Click me")));
    ClickCounter background;
    system::Signal drawn;
    std::atomic<int> litPixels{0};

private:
    Pointer<freetype::Font> font;
    Pointer<Overlay> overlay;
};

class MainWindow : public gui::Window {
public:
    ~MainWindow() override { close(); }
    bool onClose() override {
        closed.set();
        return true;
    }
    system::Signal closed;
};

void click(platform::WindowHandle window, int x, int y) {
    platform::postMessage(window, platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, platform::makeLParam(x, y));
    platform::postMessage(window, platform::WM_LBUTTONUP, 0, platform::makeLParam(x, y));
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc > 1 && std::strcmp(argv[argc - 1], "--check") == 0;
    std::filesystem::path path = std::getenv("KORVANE_FONT")
                                     ? std::getenv("KORVANE_FONT")
                                     : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (argc > (check ? 2 : 1))
        path = argv[1];

    // The font factory catalogues a folder; the descriptor picks our file's family and style from it.
    auto files =
        Pointer<io::SystemFileFactory>::adopt(new io::SystemFileFactory(path.parent_path().string().c_str()));
    auto fonts = Pointer<freetype::FontFactory>::adopt(new freetype::FontFactory(files));
    Pointer<freetype::Font> font;
    for (const auto& info : fonts->getFonts())
        if (info.path == types::String(path.filename().string().c_str())) {
            freetype::Descriptor descriptor(info.family, 24.0f, 24.0f);
            descriptor.style = info.style;
            font = Pointer<freetype::Font>::adopt(fonts->createFont(descriptor));
        }
    if (!font) {
        std::printf("%s is not a font file that can be read\n", path.string().c_str());
        return 1;
    }

    auto window = Pointer<MainWindow>::adopt(new MainWindow);
    window->setTitle("Korvane overlay");
    window->setSize({320, 240});
    auto view = Pointer<OverlayView>::adopt(new OverlayView({0, 0, 320, 240}, font));
    window->addView(view);
    if (!window->open()) {
        std::printf("the window cannot be opened (no display or no OpenGL)\n");
        return 1;
    }
    if (!check) {
        window->closed.wait();
        return 0;
    }
    view->drawn.wait();
    click(view->getHandle(), 40, 50);   // on the label's letters, above its baseline
    click(view->getHandle(), 250, 200); // empty space
    for (int i = 0; i < 500 && view->label->clicks + view->background.clicks < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    window->close();
    std::printf("label got %d click(s), the mouse listener got %d click(s), text covers %d pixels\n",
                view->label->clicks.load(), view->background.clicks.load(), view->litPixels.load());
    return view->label->clicks == 1 && view->background.clicks == 1 && view->litPixels > 0 ? 0 : 1;
}
