#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "application/Messenger.h"
#include "graphics3d/Graphics3dException.h"
#include "gui/Input.h"
#include "gui3d/Root.h"
#include "support/gui3d/OverlayTesting.h"

namespace korvane::gui3d {
namespace {

using object::Pointer;

using Log = std::vector<std::string>;

std::string at(const gui::Point& point) {
    return "(" + std::to_string(int(point.x)) + "," + std::to_string(int(point.y)) + ")";
}

// A view that logs its input and takes what `takes` says.
class Probe : public View {
public:
    Probe(Log& log, const char* name, const gui::Rectangle& frame, bool takes = true)
        : View(frame), log(log), label(name), takes(takes) {}
    bool onMouseMove(const gui::Point& p, uint32_t) override { return note("move", p); }
    bool onMouseButton(const gui::Point& p, uint32_t) override { return note("button", p); }
    bool onMouseEnter(const gui::Point& p, uint32_t) override { return note("enter", p); }
    bool onMouseLeave() override { return note("leave", {}); }
    bool onKeyDown(uint32_t key) override { return note("key" + std::to_string(key), {}); }
    bool handleMessage(application::Message* message) override {
        return note("message" + std::to_string(message->what), {});
    }

    Log& log;
    std::string label;
    bool takes;

private:
    bool note(const std::string& what, const gui::Point& p) {
        log.push_back(label + " " + what + (what == "move" || what == "button" ? " " + at(p) : ""));
        return takes;
    }
};

// A root whose mouse input that no view takes goes on to a stand-in for the dispatcher.
class ForwardingRoot : public Root {
public:
    ForwardingRoot(graphics3d::Context* context, Log& log) : Root(context), log(log) {}
    bool onMouseMove(const gui::Point& p, uint32_t state) override {
        if (!Root::onMouseMove(p, state))
            log.push_back("dispatch move " + at(p));
        return true;
    }
    bool onMouseButton(const gui::Point& p, uint32_t code) override {
        if (!Root::onMouseButton(p, code))
            log.push_back("dispatch button " + at(p));
        return true;
    }
    bool onKeyDown(uint32_t key) override {
        log.push_back("root key" + std::to_string(key));
        return true;
    }
    Log& log;
};

class RootTest : public test::OverlayTest {
protected:
    void SetUp() override {
        OverlayTest::SetUp();
        root = Pointer<ForwardingRoot>::adopt(new ForwardingRoot(context, log));
    }
    void TearDown() override {
        root = nullptr;
        OverlayTest::TearDown();
    }
    Pointer<Probe> add(const char* name, const gui::Rectangle& frame, bool takes = true) {
        auto probe = Pointer<Probe>::adopt(new Probe(log, name, frame, takes));
        EXPECT_TRUE(root->addView(probe));
        return probe;
    }
    void click(int x, int y) {
        log.clear();
        send(platform::WM_LBUTTONDOWN, 0, at(x, y));
    }

    Log log;
    Pointer<ForwardingRoot> root;
};

TEST_F(RootTest, HitsIncludeTheEdgesSkipInvisibleViewsAndPreferTheFirstView) {
    auto top = add("top", {10, 20, 30, 40});
    auto below = add("below", {0, 0, 100, 100});
    click(40, 60);
    EXPECT_EQ(log, (Log{"top button (30,40)"}));
    click(10, 20);
    EXPECT_EQ(log, (Log{"top button (0,0)"}));
    click(41, 60);
    EXPECT_EQ(log, (Log{"below button (41,60)"}));
    click(150, 60);
    EXPECT_EQ(log, (Log{"dispatch button (150,60)"}));

    top->setVisible(false);
    click(20, 30);
    EXPECT_EQ(log, (Log{"below button (20,30)"}));

    // A view that does not take the click lets it fall through to the ones below and then on.
    top->setVisible(true);
    top->takes = below->takes = false;
    click(20, 30);
    EXPECT_EQ(log, (Log{"top button (10,10)", "below button (20,30)", "dispatch button (20,30)"}));

    // Points in the view's own coordinates through its local transform.
    EXPECT_TRUE(root->removeView(top));
    top->setLocalTransform(graphics::Transform<float>::scaling(2, 2));
    top->takes = true;
    ASSERT_TRUE(root->addView(top));
    click(30, 40);
    EXPECT_EQ(log, (Log{"below button (30,40)", "top button (10,10)"}));
}

TEST_F(RootTest, MovingBetweenViewsLeavesThenEntersAndOnlyUntakenMovesGoOn) {
    add("a", {0, 0, 50, 50});
    add("b", {60, 0, 50, 50});
    log.clear();
    send(platform::WM_MOUSEMOVE, 0, at(10, 10));
    send(platform::WM_MOUSEMOVE, 0, at(70, 10));
    send(platform::WM_MOUSEMOVE, 0, at(55, 10));
    EXPECT_EQ(log, (Log{"a enter", "a enter", "a move (10,10)", "a leave", "b enter", "b move (10,10)",
                        "b leave", "dispatch move (55,10)"}));
    EXPECT_EQ(root->getHoverView(), nullptr);

    send(platform::WM_MOUSEMOVE, 0, at(20, 20));
    log.clear();
    send(platform::WM_MOUSELEAVE);
    EXPECT_EQ(log, (Log{"a leave"}));
    EXPECT_EQ(root->getHoverView(), nullptr);
}

TEST_F(RootTest, ViewsMayLeaveFromTheirOwnCallbacks) {
    class Leaver : public View {
    public:
        explicit Leaver(const gui::Rectangle& frame) : View(frame) {}
        bool onMouseButton(const gui::Point&, uint32_t) override {
            getRoot()->removeView(this);
            return false;
        }
        bool onMouseEnter(const gui::Point&, uint32_t) override {
            getRoot()->removeView(this);
            return false;
        }
    };
    auto first = Pointer<Leaver>::adopt(new Leaver({0, 0, 50, 50}));
    root->addView(first);
    first = nullptr;
    auto second = Pointer<Leaver>::adopt(new Leaver({0, 0, 50, 50}));
    root->addView(second);
    second = nullptr;
    add("last", {0, 0, 50, 50});
    click(5, 5);
    EXPECT_EQ(log, (Log{"last button (5,5)"}));
    EXPECT_EQ(root->getViews().getCount(), 1u);
    send(platform::WM_MOUSEMOVE, 0, at(6, 6));
    EXPECT_EQ(root->getHoverView(), root->getViews().getFirst());
}

// Views held only by the chain that take themselves or others out while the root walks the chain for a
// resize, an activation, a draw or a click: the walk goes on with the views still in the root.
TEST_F(RootTest, WalksGoOnWhenViewsLeaveFromTheirCallbacks) {
    class Leaver : public View {
    public:
        Leaver(Log& log, const char* name) : View({0, 0, 20, 20}), log(log), label(name) {
            setAnchors(gui::AnchorRight);
        }
        bool onFrameChanged(const gui::Rectangle&) override { return note("frame"); }
        bool onActivate() override { return note("activate"); }
        bool onDeactivate() override { return note("deactivate"); }
        bool draw() override { return note("draw"); }
        bool onFocusLost() override { return note("focus"); }
        bool onMouseButton(const gui::Point&, uint32_t) override { return !note("button"); }

        Log& log;
        std::string label;
        std::string leaveOn;
        View* alsoTakeOut = nullptr;

    private:
        bool note(const std::string& what) {
            log.push_back(label + " " + what);
            if (what == leaveOn && getRoot()) {
                Root* owner = getRoot();
                if (alsoTakeOut)
                    owner->removeView(alsoTakeOut);
                owner->removeView(this);
            }
            return true;
        }
    };
    const auto fill = [&] {
        root->removeAllViews();
        std::vector<Leaver*> made;
        for (const char* name : {"a", "b", "c", "d"}) {
            auto view = Pointer<Leaver>::adopt(new Leaver(log, name));
            EXPECT_TRUE(root->addView(view));
            made.push_back(view.get());
        }
        log.clear();
        return made;
    };
    const auto names = [&] {
        std::string text;
        for (const View* view : root->getViews())
            text += static_cast<const Leaver*>(view)->label;
        return text;
    };

    auto made = fill();
    made[0]->leaveOn = "frame";
    made[2]->leaveOn = "frame";
    window->resize(300, 256);
    EXPECT_EQ(log, (Log{"a frame", "b frame", "c frame", "d frame"}));
    EXPECT_EQ(names(), "bd");

    made = fill();
    made[1]->leaveOn = "activate";
    made[1]->alsoTakeOut = made[2];
    root->onActivate();
    EXPECT_EQ(log, (Log{"a activate", "b activate", "d activate"}));
    made[3]->leaveOn = "deactivate";
    log.clear();
    root->onDeactivate();
    EXPECT_EQ(log, (Log{"a deactivate", "d deactivate"}));
    EXPECT_EQ(names(), "a");

    // Drawn last first.
    made = fill();
    made[3]->leaveOn = "draw";
    made[1]->leaveOn = "draw";
    root->draw();
    EXPECT_EQ(log, (Log{"d draw", "c draw", "b draw", "a draw"}));
    EXPECT_EQ(names(), "ac");

    // A click that no view takes, with the first view taking itself and the next one out.
    made = fill();
    made[0]->leaveOn = "button";
    made[0]->alsoTakeOut = made[1];
    click(5, 5);
    EXPECT_EQ(log, (Log{"a button", "c button", "d button", "dispatch button (5,5)"}));
    EXPECT_EQ(names(), "cd");

    // A focus view that leaves when it loses the focus, while it is being taken out or replaced.
    made = fill();
    made[0]->leaveOn = "focus";
    made[1]->leaveOn = "focus";
    ASSERT_TRUE(root->setFocusView(made[0]));
    EXPECT_TRUE(root->removeView(made[0]));
    ASSERT_TRUE(root->setFocusView(made[1]));
    made[1]->alsoTakeOut = made[2];
    EXPECT_FALSE(root->setFocusView(made[2]));
    EXPECT_EQ(root->getFocusView(), nullptr);
    EXPECT_EQ(log, (Log{"a focus", "b focus"}));
    EXPECT_EQ(names(), "d");
}

TEST_F(RootTest, KeysGoToTheFocusViewWithoutRepeats) {
    auto focus = add("focus", {0, 0, 10, 10});
    send(platform::WM_KEYDOWN, 0x41, 1);
    ASSERT_TRUE(root->setFocusView(focus));
    send(platform::WM_KEYDOWN, 0x42, 1);
    send(platform::WM_KEYDOWN, 0x42, 1 | platform::KF_REPEAT);
    EXPECT_EQ(log, (Log{"root key65", "focus key66"}));
    root->removeView(focus);
    EXPECT_EQ(root->getFocusView(), nullptr);
}

TEST_F(RootTest, DeliversMessagesPostedFromOtherThreadsAndDropsThoseOfViewsThatLeft) {
    auto staying = add("staying", {0, 0, 10, 10});
    auto leaving = add("leaving", {0, 0, 10, 10});
    std::thread poster([&] {
        EXPECT_TRUE(application::Messenger::post(staying, 7));
        EXPECT_TRUE(application::Messenger::post(leaving, 8));
        EXPECT_TRUE(application::Messenger::send(staying, 9));
    });
    poster.join();
    root->removeView(leaving);
    log.clear();
    EXPECT_EQ(root->dispatchMessages(), 2u);
    EXPECT_EQ(log, (Log{"staying message9", "staying message7"}));
}

TEST_F(RootTest, GivesTheWindowItsProcedureBackWhenDestroyed) {
    const platform::WindowHandle handle = context->getWindow();
    root = nullptr;
    const intptr_t original = platform::getWindowLongPtr(handle, platform::GWLP_WNDPROC);
    {
        Root input(context, true);
        EXPECT_NE(platform::getWindowLongPtr(handle, platform::GWLP_WNDPROC), original);
        EXPECT_THROW(Root(context, false), graphics3d::InvalidOperationException);
    }
    EXPECT_EQ(platform::getWindowLongPtr(handle, platform::GWLP_WNDPROC), original);
    EXPECT_EQ(platform::getWindowLongPtr(handle, platform::GWLP_USERDATA), 0);
    send(platform::WM_MOUSEMOVE, 0, at(1, 1));
    Root sizeOnly(context, false);
    EXPECT_EQ(send(platform::WM_LBUTTONDOWN, 0, at(1, 1)), 0);
}

} // namespace
} // namespace korvane::gui3d
