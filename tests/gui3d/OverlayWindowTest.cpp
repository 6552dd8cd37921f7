#include <gtest/gtest.h>

#include <vector>

#include "graphics3d/GL.h"
#include "gui/Input.h"
#include "gui/OpenGL.h"
#include "gui/Window.h"
#include "gui3d/Root.h"
#include "gui3d/StringView.h"
#include "input/MouseDispatcher.h"
#include "support/gui/GuiTesting.h"
#include "support/gui3d/OverlayTesting.h"

namespace korvane::gui3d {
namespace {

using gui::testing::Event;
using gui::testing::EventLog;
using object::Pointer;

// A label that takes clicks.
class Button : public StringView {
public:
    Button(EventLog& log, const gui::Rectangle& frame) : StringView(frame, "Press"), log(log) {}
    bool onMouseButton(const gui::Point& position, uint32_t code) override {
        log.add(Event("label.button", code, 0, position));
        return true;
    }
    EventLog& log;
};

// A listener that logs what reaches it.
class RecordingListener : public input::MouseListener {
public:
    explicit RecordingListener(EventLog& log) : log(log) {}
    void onMouseButton(const gui::Point& position, uint32_t code) override {
        log.add(Event("dispatch.button", code, 0, position));
    }
    EventLog& log;
};

// The overlay root of a scene: mouse input that no overlay view takes goes to its dispatcher.
class SceneRoot : public Root {
public:
    SceneRoot(graphics3d::Context* context, EventLog& log) : Root(context), listener(log) {
        dispatcher.addListener(&listener);
    }
    bool onMouseMove(const gui::Point& position, uint32_t state) override {
        if (!Root::onMouseMove(position, state))
            dispatcher.dispatchMouseMove(position, state);
        return true;
    }
    bool onMouseButton(const gui::Point& position, uint32_t code) override {
        if (!Root::onMouseButton(position, code))
            dispatcher.dispatchMouseButton(position, code);
        return true;
    }
    input::MouseDispatcher dispatcher;
    RecordingListener listener;
};

// An OpenGL view with an overlay, made and drawn as a scene view does: in attach and after the scene.
class OverlaidView : public gui::OpenGL {
public:
    OverlaidView(EventLog& log, const freetype::Font* font)
        : OpenGL({0, 0, 300, 200}), log(log), font(font) {}
    bool attach() override {
        if (!OpenGL::attach())
            return false;
        root = Pointer<SceneRoot>::adopt(new SceneRoot(getGraphicsContext(), log));
        label = Pointer<Button>::adopt(new Button(log, {20, 180, 120, 30}));
        label->setFont(font);
        label->setAnchors(gui::AnchorBottom);
        root->addView(label);
        return true;
    }
    bool detach() override {
        label = nullptr;
        root = nullptr;
        return OpenGL::detach();
    }
    void render() override {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        root->draw();
    }

    EventLog& log;
    const freetype::Font* font;
    Pointer<SceneRoot> root;
    Pointer<Button> label;
};

class OverlayWindowTest : public test::OverlayTest {
protected:
    // No GL test window: the views make their own contexts.
    void SetUp() override {}
    void TearDown() override {}
};

// Lit pixels (x, y from the top) of the view's frame, drawn afresh on the window thread, row by row.
std::vector<gui::Point> litPixels(gui::Window& window, OverlaidView& view) {
    std::vector<gui::Point> lit;
    gui::testing::onWindowThread(window, [&] {
        if (!view.getGraphicsContext() || !view.getGraphicsContext()->makeCurrent())
            return;
        view.render();
        const int width = view.getGraphicsContext()->size.width;
        const int height = view.getGraphicsContext()->size.height;
        std::vector<unsigned char> rgba(size_t(width) * size_t(height) * 4);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (rgba[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4] != 0)
                    lit.push_back({float(x), float(y)});
            }
        }
    });
    return lit;
}

// Rows (top first) of the view's frame that hold text.
std::vector<int> litRows(gui::Window& window, OverlaidView& view) {
    std::vector<int> rows;
    for (const gui::Point& pixel : litPixels(window, view)) {
        if (rows.empty() || rows.back() != int(pixel.y))
            rows.push_back(int(pixel.y));
    }
    return rows;
}

TEST_F(OverlayWindowTest, ClicksReachTheDispatcherOnlyOffTheLabelAndTheLabelKeepsToTheBottom) {
    gui::testing::SyntheticInput input;
    ASSERT_TRUE(input.isAvailable()) << "XTest is needed";
    input.moveTo(1200, 1000);
    EventLog log;
    auto window = Pointer<gui::Window>::adopt(new gui::Window());
    window->setSize({300, 200});
    auto view = Pointer<OverlaidView>::adopt(new OverlaidView(log, font()));
    view->setAnchors(gui::AnchorLeft | gui::AnchorRight | gui::AnchorTop | gui::AnchorBottom);
    window->addView(view);
    ASSERT_TRUE(window->open());
    gui::testing::placeApart(*window);
    const gui::Rectangle origin = gui::testing::frameOf(*window);

    // The label's frame starts at its baseline, y = 180, and the letters stand above it: a click on the
    // top of the first letter is the label's, in its own coordinates above the baseline.
    const std::vector<gui::Point> letters = litPixels(*window, *view);
    ASSERT_FALSE(letters.empty());
    const gui::Point onTop = letters.front();
    ASSERT_LT(onTop.y, 175.0f);
    input.moveTo(int(origin.x + onTop.x), int(origin.y + onTop.y));
    input.click(1);
    ASSERT_TRUE(
        log.waitFor([](const Event& e) { return e.what == "label.button" && e.code == gui::ButtonLeftUp; }));
    // Far below the letters, and elsewhere in the scene, clicks go on to the dispatcher.
    for (const gui::Point at : {gui::Point{30, 199}, gui::Point{200, 50}}) {
        const size_t before = log.named("dispatch.button").size();
        input.moveTo(int(origin.x + at.x), int(origin.y + at.y));
        input.click(1);
        ASSERT_TRUE(gui::testing::eventually([&] {
            return log.named("dispatch.button").size() == before + 2;
        })) << at.x
            << ", " << at.y;
    }
    std::vector<std::string> order;
    for (const Event& event : log.all())
        order.push_back(event.what);
    EXPECT_EQ(order, (std::vector<std::string>{"label.button", "label.button", "dispatch.button",
                                               "dispatch.button", "dispatch.button", "dispatch.button"}));
    EXPECT_EQ(log.named("label.button")[0].position, (gui::Point{onTop.x - 20, onTop.y - 180}));

    std::vector<int> rows = litRows(*window, *view);
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.back(), 180 + 1);
    EXPECT_GE(rows.front(), 180 - 24);

    window->setSize({300, 260});
    ASSERT_TRUE(gui::testing::eventually([&] {
        std::vector<int> moved = litRows(*window, *view);
        return !moved.empty() && moved.front() == rows.front() + 60 && moved.back() == rows.back() + 60;
    }));
    window->close();
}

} // namespace
} // namespace korvane::gui3d
