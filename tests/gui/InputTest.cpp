#include <gtest/gtest.h>

#include "gui/Input.h"
#include "object/Pointer.h"
#include "platform/Window.h"
#include "support/gui/GuiTesting.h"

namespace korvane::gui {
namespace {

using object::Pointer;
using testing::Event;
using testing::EventLog;
using testing::RecordingView;
using testing::RecordingWindow;

constexpr uint32_t NoButtons = ButtonLeftUp | ButtonMiddleUp | ButtonRightUp;

// A 300 x 200 window whose left half is a recording view, with the pointer parked outside it.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(input.isAvailable()) << "XTest is needed";
        input.moveTo(1200, 1000);
        window = Pointer<RecordingWindow>::adopt(new RecordingWindow(log));
        window->setSize({300, 200});
        view = Pointer<RecordingView>::adopt(new RecordingView(log, {0, 0, 150, 200}));
        window->addView(view);
        ASSERT_TRUE(window->open());
        testing::placeApart(*window);
        origin = testing::frameOf(*window);
    }

    void TearDown() override {
        if (window)
            window->close();
    }

    void moveTo(float x, float y) { input.moveTo(int(origin.x + x), int(origin.y + y)); }

    testing::SyntheticInput input;
    EventLog log;
    Pointer<RecordingWindow> window;
    Pointer<RecordingView> view;
    Rectangle origin;
};

TEST_F(InputTest, MouseReachesTheViewUnderThePointerWithItsCodes) {
    moveTo(50, 60);
    ASSERT_TRUE(log.waitFor("view.mouseMove"));
    const std::vector<Event> entered = log.named("view.mouseEnter");
    ASSERT_EQ(entered.size(), 1u);
    EXPECT_EQ(entered[0].position, (Point{50, 60}));
    EXPECT_EQ(entered[0].code, NoButtons);
    EXPECT_EQ(log.named("view.mouseMove").back().position, (Point{50, 60}));
    EXPECT_TRUE(log.named("window.mouseMove").empty());

    input.button(1, true);
    moveTo(55, 65);
    ASSERT_TRUE(log.waitFor([](const Event& e) { return e.what == "view.mouseMove" && e.position.x == 55; }));
    EXPECT_EQ(log.named("view.mouseMove").back().code, ButtonLeftDown | ButtonMiddleUp | ButtonRightUp);
    input.button(1, false);
    input.click(2);
    ASSERT_TRUE(
        log.waitFor([](const Event& e) { return e.code == ButtonMiddleUp && e.what == "view.mouseButton"; }));
    std::vector<uint32_t> codes;
    for (const Event& event : log.named("view.mouseButton"))
        codes.push_back(event.code);
    EXPECT_EQ(codes, (std::vector<uint32_t>{ButtonLeftDown, ButtonLeftUp, ButtonMiddleDown, ButtonMiddleUp}));
    EXPECT_EQ(log.named("view.mouseButton")[0].position, (Point{50, 60}));
    EXPECT_EQ(log.named("view.mouseButton")[1].position, (Point{55, 65}));

    // A notch towards the user.
    input.click(5);
    ASSERT_TRUE(log.waitFor("view.mouseWheel"));
    EXPECT_EQ(log.named("view.mouseWheel")[0].delta, -120.0f);
    EXPECT_EQ(log.named("view.mouseWheel")[0].code, NoButtons);

    // Over the window itself: the view hears it leave, the window gets the input.
    moveTo(220, 100);
    ASSERT_TRUE(log.waitFor("view.mouseLeave"));
    ASSERT_TRUE(log.waitFor("window.mouseMove"));
    EXPECT_EQ(log.named("window.mouseMove").back().position, (Point{220, 100}));
    input.click(3);
    ASSERT_TRUE(log.waitFor(
        [](const Event& e) { return e.what == "window.mouseButton" && e.code == ButtonRightUp; }));
    EXPECT_EQ(log.named("window.mouseButton")[0].code, ButtonRightDown);
    EXPECT_EQ(log.named("window.mouseButton")[0].position, (Point{220, 100}));
    input.click(4);
    ASSERT_TRUE(log.waitFor("window.mouseWheel"));
    EXPECT_EQ(log.named("window.mouseWheel")[0].delta, 120.0f);

    // Back in: a new enter.
    moveTo(20, 20);
    ASSERT_TRUE(log.waitFor([](const Event& e) { return e.what == "view.mouseMove" && e.position.x == 20; }));
    EXPECT_EQ(log.named("view.mouseEnter").size(), 2u);
}

TEST_F(InputTest, KeysReachTheWindowWithoutAutoRepeats) {
    moveTo(220, 100);
    ASSERT_TRUE(log.waitFor("window.mouseMove"));
    // Held down: the first press counts, the repeats do not.
    input.key(testing::Key::A, true);
    input.key(testing::Key::A, true);
    input.key(testing::Key::A, true);
    input.key(testing::Key::A, false);
    ASSERT_TRUE(log.waitFor("window.keyUp"));
    ASSERT_EQ(log.named("window.keyDown").size(), 1u);
    EXPECT_EQ(log.named("window.keyDown")[0].code, uint32_t('A'));
    EXPECT_EQ(log.named("window.keyUp")[0].code, uint32_t('A'));
    ASSERT_FALSE(log.named("window.char").empty());
    EXPECT_EQ(log.named("window.char")[0].code, uint32_t('a'));
    EXPECT_EQ(log.named("window.char")[0].extra, 0u);

    // A character typed with the left shift key held carries its modifier; once shift is up, none.
    log.clear();
    input.key(testing::Key::LeftShift, true);
    input.key(testing::Key::B, true);
    input.key(testing::Key::B, false);
    input.key(testing::Key::LeftShift, false);
    input.key(testing::Key::C, true);
    input.key(testing::Key::C, false);
    ASSERT_TRUE(log.waitFor([](const Event& e) { return e.what == "window.keyUp" && e.code == 'C'; }));
    const std::vector<Event> characters = log.named("window.char");
    ASSERT_EQ(characters.size(), 2u);
    EXPECT_EQ(characters[0].code, uint32_t('B'));
    EXPECT_EQ(characters[0].extra, CharacterLeftShift);
    EXPECT_EQ(characters[1].code, uint32_t('c'));
    EXPECT_EQ(characters[1].extra, 0u);
    EXPECT_TRUE(log.named("view.keyDown").empty());
}

TEST_F(InputTest, KeysOverAViewReachTheWindowAndTheFocusViewTakesThem) {
    // The pointer over a view does not give it the keys: they go to the window with the focus.
    moveTo(40, 40);
    ASSERT_TRUE(log.waitFor("view.mouseMove"));
    input.key(testing::Key::Return, true);
    input.key(testing::Key::Return, true);
    input.key(testing::Key::Return, false);
    ASSERT_TRUE(log.waitFor("window.keyUp"));
    ASSERT_EQ(log.named("window.keyDown").size(), 1u);
    EXPECT_EQ(log.named("window.keyDown")[0].code, uint32_t(platform::VK_RETURN));
    EXPECT_TRUE(log.named("view.keyDown").empty());

    log.clear();
    ASSERT_TRUE(window->setFocusView(view));
    moveTo(220, 100);
    ASSERT_TRUE(log.waitFor("window.mouseMove"));
    input.key(testing::Key::Escape, true);
    input.key(testing::Key::Escape, false);
    input.click(5);
    ASSERT_TRUE(log.waitFor("view.mouseWheel"));
    ASSERT_TRUE(log.waitFor("view.keyUp"));
    EXPECT_EQ(log.named("view.keyDown").at(0).code, uint32_t(platform::VK_ESCAPE));
    EXPECT_TRUE(log.named("window.keyDown").empty());
    EXPECT_EQ(log.named("window.mouseWheel").at(0).delta, -120.0f) << "the window passes the wheel on";
    EXPECT_EQ(log.named("view.mouseWheel").at(0).delta, -120.0f);
}

TEST_F(InputTest, ViewProcedureAnswersMinusOneForRefusedAndRepeatedKeys) {
    view->refused = 'Q';
    const platform::WindowHandle handle = view->getHandle();
    EXPECT_EQ(platform::sendMessage(handle, platform::WM_KEYDOWN, 'Q', 1), -1);
    EXPECT_EQ(platform::sendMessage(handle, platform::WM_KEYDOWN, 'W', 1), 0);
    EXPECT_EQ(platform::sendMessage(handle, platform::WM_KEYDOWN, 'W', 1 | platform::KF_REPEAT), -1);
    EXPECT_EQ(platform::sendMessage(window->getHandle(), platform::WM_KEYDOWN, 'E', 1 | platform::KF_REPEAT),
              0);
    std::vector<uint32_t> keys;
    for (const Event& event : log.all()) {
        if (event.what == "view.keyDown" || event.what == "window.keyDown")
            keys.push_back(event.code);
    }
    EXPECT_EQ(keys, (std::vector<uint32_t>{'Q', 'W'}));
    EXPECT_EQ(platform::sendMessage(handle, platform::WM_MOUSEWHEEL,
                                    platform::makeWParam(platform::MK_SHIFT, -240), 0),
              1);
    EXPECT_EQ(log.named("view.mouseWheel").at(0).delta, -240.0f);
    EXPECT_EQ(log.named("view.mouseWheel").at(0).code, NoButtons | ModifierShift);
}

TEST(Input, MouseStateWordHasOneCodePerButtonAndTheModifiers) {
    EXPECT_EQ(getMouseState(0), ButtonLeftUp | ButtonMiddleUp | ButtonRightUp);
    EXPECT_EQ(getMouseState(platform::MK_LBUTTON | platform::MK_RBUTTON),
              ButtonLeftDown | ButtonMiddleUp | ButtonRightDown);
    EXPECT_EQ(getMouseState(platform::MK_MBUTTON | platform::MK_SHIFT | platform::MK_CONTROL),
              ButtonLeftUp | ButtonMiddleDown | ButtonRightUp | ModifierShift | ModifierControl);
}

} // namespace
} // namespace korvane::gui
