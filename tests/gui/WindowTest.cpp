#include <gtest/gtest.h>

#include "application/Message.h"
#include "gui/Input.h"
#include "gui/Window.h"
#include "object/Pointer.h"
#include "platform/Window.h"
#include "support/gui/GuiTesting.h"

namespace korvane::gui {
namespace {

using object::Pointer;
using testing::EventLog;
using testing::frameOf;
using testing::RecordingView;

TEST(Window, OpensClosesAndReopensFromTheMainThread) {
    auto window = Pointer<Window>::adopt(new Window());
    window->setTitle("first");
    window->setSize({320, 240});

    EXPECT_FALSE(window->close()) << "a window that was never opened cannot be closed";
    ASSERT_TRUE(window->open());
    EXPECT_TRUE(window->isCreated());
    const platform::WindowHandle first = window->getHandle();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(window->getThread(), nullptr);
    EXPECT_EQ(platform::getWindowThreadId(first), window->getThread()->getThreadId());
    EXPECT_NE(platform::getWindowThreadId(first), platform::currentThreadId());
    const Rectangle frame = frameOf(*window);
    EXPECT_EQ(frame.width, 320.0f);
    EXPECT_EQ(frame.height, 240.0f);

    EXPECT_FALSE(window->open()) << "a second open must not create a second window";
    EXPECT_EQ(window->getHandle(), first);

    window->setTitle("renamed");
    char text[32] = {};
    platform::getWindowText(first, text, sizeof text);
    EXPECT_STREQ(text, "renamed");

    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isCreated());
    EXPECT_EQ(window->getHandle(), nullptr);
    EXPECT_EQ(window->getThread(), nullptr) << "the window thread is joined";
    EXPECT_FALSE(platform::isWindow(first));
    EXPECT_FALSE(window->close());

    ASSERT_TRUE(window->open());
    EXPECT_TRUE(platform::isWindow(window->getHandle()));
    EXPECT_EQ(frameOf(*window).width, 320.0f) << "the size survives a close";
    EXPECT_TRUE(window->close());
}

TEST(Window, ClosingFromItsOwnThreadLetsItOpenAgain) {
    auto window = Pointer<Window>::adopt(new Window());
    ASSERT_TRUE(window->open());
    // The default close request closes the window on its own thread.
    platform::postMessage(window->getHandle(), platform::WM_CLOSE, 0, 0);
    ASSERT_TRUE(testing::eventually([&] { return !window->isCreated(); }));
    ASSERT_TRUE(testing::eventually([&] { return window->open(); }));
    EXPECT_TRUE(window->close());
}

TEST(Window, QuittingTheLooperDirectlyStillDestroysTheWindow) {
    EventLog log;
    auto window = Pointer<Window>::adopt(new Window());
    auto view = Pointer<RecordingView>::adopt(new RecordingView(log, {0, 0, 50, 50}));
    window->addView(view);
    ASSERT_TRUE(window->open());
    const platform::WindowHandle handle = window->getHandle();
    window->quit();
    EXPECT_FALSE(window->isCreated());
    EXPECT_FALSE(platform::isWindow(handle));
    EXPECT_EQ(view->getHandle(), nullptr);
    EXPECT_TRUE(window->open());
    EXPECT_NE(view->getHandle(), nullptr);
    EXPECT_TRUE(window->close());
}

TEST(Window, NameIsTheTitleAndClassPathsAreFullChains) {
    auto window = Pointer<Window>::adopt(new Window());
    EXPECT_EQ(window->getName(), "");
    window->setTitle("Korvane");
    EXPECT_EQ(window->getName(), "Korvane");
    EXPECT_EQ(window->getClassPath(), "Object:Handler:Messenger:Looper:Window");

    auto view = Pointer<View>::adopt(new View({0, 0, 10, 10}));
    view->setName("scene");
    EXPECT_EQ(view->getName(), "scene");
    EXPECT_EQ(view->getClassPath(), "Object:Handler:View");
    auto gl = Pointer<OpenGL>::adopt(new OpenGL({0, 0, 10, 10}));
    EXPECT_EQ(gl->getClassPath(), "Object:Handler:View:OpenGL");
    EXPECT_EQ(Context().getClassPath(), "Object:Context");
}

TEST(Window, ViewsAddedBeforeAndAfterOpeningAreAttachedOnTheWindowThread) {
    EventLog log;
    auto window = Pointer<Window>::adopt(new Window());
    window->setSize({300, 200});
    auto before = Pointer<RecordingView>::adopt(new RecordingView(log, {10, 10, 100, 80}));
    auto after = Pointer<RecordingView>::adopt(new RecordingView(log, {150, 10, 100, 80}));

    ASSERT_TRUE(window->addView(before));
    EXPECT_EQ(before->getWindow(), window.get());
    EXPECT_EQ(before->getHandle(), nullptr);
    EXPECT_EQ(before->getReferenceCount(), 3) << "held by the test, the view chain and the handler chain";

    ASSERT_TRUE(window->open());
    ASSERT_NE(before->getHandle(), nullptr) << "attached before open() returns";
    ASSERT_TRUE(window->addView(after));
    ASSERT_NE(after->getHandle(), nullptr) << "attached at once";
    const platform::ThreadId windowThread = window->getThread()->getThreadId();
    EXPECT_EQ(platform::getWindowThreadId(before->getHandle()), windowThread);
    EXPECT_EQ(platform::getWindowThreadId(after->getHandle()), windowThread);
    EXPECT_EQ(platform::getParent(after->getHandle()), window->getHandle());
    platform::Rect client;
    ASSERT_TRUE(platform::getClientRect(after->getHandle(), client));
    EXPECT_EQ(client.right, 100);
    EXPECT_EQ(client.bottom, 80);

    // Misuse changes nothing.
    auto other = Pointer<Window>::adopt(new Window());
    EXPECT_FALSE(other->addView(before));
    EXPECT_FALSE(window->addView(before));
    EXPECT_FALSE(other->removeView(before));
    auto child = Pointer<View>::adopt(new View({0, 0, 5, 5}));
    ASSERT_TRUE(child->setParent(before));
    EXPECT_FALSE(window->addView(child));
    EXPECT_EQ(window->getViews().getCount(), 2u);

    const platform::WindowHandle afterHandle = after->getHandle();
    ASSERT_TRUE(window->setFocusView(after));
    ASSERT_TRUE(window->removeView(after));
    EXPECT_EQ(log.named("view.focusLost").size(), 1u);
    EXPECT_EQ(after->getHandle(), nullptr);
    EXPECT_FALSE(platform::isWindow(afterHandle));
    EXPECT_EQ(after->getWindow(), nullptr);
    EXPECT_EQ(after->getMessenger(), nullptr);
    EXPECT_EQ(after->getReferenceCount(), 1);
    EXPECT_EQ(window->getFocusView(), nullptr);

    ASSERT_TRUE(window->close());
    EXPECT_EQ(before->getHandle(), nullptr) << "closing detaches the views";
    EXPECT_EQ(before->getWindow(), window.get()) << "but keeps them";
    ASSERT_TRUE(window->open());
    EXPECT_NE(before->getHandle(), nullptr);
    ASSERT_TRUE(window->close());
    window->removeAllViews();
    EXPECT_EQ(before->getReferenceCount(), 1);
    EXPECT_TRUE(window->getViews().isEmpty());
}

TEST(Window, ReleasingAnOpenWindowClosesItAndLetsGoOfItsViews) {
    EventLog log;
    auto view = Pointer<RecordingView>::adopt(new RecordingView(log, {0, 0, 40, 40}));
    platform::WindowHandle handle;
    {
        auto window = Pointer<Window>::adopt(new Window());
        window->addView(view);
        ASSERT_TRUE(window->open());
        handle = window->getHandle();
    }
    EXPECT_FALSE(platform::isWindow(handle));
    EXPECT_EQ(view->getWindow(), nullptr);
    EXPECT_EQ(view->getHandle(), nullptr);
    EXPECT_EQ(view->getReferenceCount(), 1);
}

TEST(Window, AnchoredViewsFollowResizesExactlyAndIgnorePureMoves) {
    EventLog log;
    auto window = Pointer<Window>::adopt(new Window());
    window->setSize({400, 300});
    auto stretched = Pointer<RecordingView>::adopt(new RecordingView(log, {10, 20, 380, 260}));
    stretched->setAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    auto corner = Pointer<RecordingView>::adopt(new RecordingView(log, {300, 250, 50, 30}));
    corner->setAnchors(AnchorRight | AnchorBottom);
    auto fixed = Pointer<RecordingView>::adopt(new RecordingView(log, {5, 5, 20, 10}));
    fixed->setAnchors(AnchorLeft | AnchorTop);
    window->addView(stretched);
    window->addView(corner);
    window->addView(fixed);
    ASSERT_TRUE(window->open());
    ASSERT_EQ(frameOf(*window, *stretched), (Rectangle{10, 20, 380, 260}));

    window->setSize({460, 340});
    const Rectangle client = frameOf(*window);
    EXPECT_EQ(client.width, 460.0f);
    EXPECT_EQ(client.height, 340.0f);
    EXPECT_EQ(frameOf(*window, *stretched), (Rectangle{10, 20, 440, 300}));
    EXPECT_EQ(frameOf(*window, *corner), (Rectangle{360, 290, 50, 30}));
    EXPECT_EQ(frameOf(*window, *fixed), (Rectangle{5, 5, 20, 10}));
    platform::Rect child;
    ASSERT_TRUE(platform::getClientRect(stretched->getHandle(), child));
    EXPECT_EQ(child.right, 440);
    EXPECT_EQ(child.bottom, 300);
    Rectangle bounds;
    testing::onWindowThread(*window, [&] { bounds = stretched->getBounds(); });
    EXPECT_EQ(bounds, (Rectangle{0, 0, 440, 300}));

    // A pure move changes the window's position and no view.
    platform::Rect outer;
    ASSERT_TRUE(platform::getWindowRect(window->getHandle(), outer));
    platform::setWindowPos(window->getHandle(), nullptr, outer.left + 37, outer.top + 11, 0, 0,
                           platform::SWP_NOSIZE | platform::SWP_NOZORDER);
    const Rectangle moved = frameOf(*window);
    EXPECT_EQ(moved.x, client.x + 37);
    EXPECT_EQ(moved.y, client.y + 11);
    EXPECT_EQ(frameOf(*window, *stretched), (Rectangle{10, 20, 440, 300}));
    EXPECT_EQ(frameOf(*window, *corner), (Rectangle{360, 290, 50, 30}));

    // A size below the minimum (the whole window's): the views change by what the client area really
    // changed.
    const Size border = testing::borderOf(*window);
    window->setMinimumSize({430, 320});
    window->setSize({100, 100});
    EXPECT_EQ(frameOf(*window).width, 430.0f - border.width);
    EXPECT_EQ(frameOf(*window).height, 320.0f - border.height);
    EXPECT_EQ(frameOf(*window, *stretched), (Rectangle{10, 20, 410 - border.width, 280 - border.height}));
    EXPECT_EQ(frameOf(*window, *corner), (Rectangle{330 - border.width, 270 - border.height, 50, 30}));

    EXPECT_TRUE(window->close());
}

TEST(Window, SizingAClosedWindowLaysOutAtOnce) {
    EventLog log;
    auto window = Pointer<Window>::adopt(new Window());
    window->setSize({200, 100});
    auto view = Pointer<RecordingView>::adopt(new RecordingView(log, {0, 0, 200, 100}));
    view->setAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    window->addView(view);
    window->setSize({250, 90});
    EXPECT_EQ(view->getFrame(), (Rectangle{0, 0, 250, 90}));
    EXPECT_EQ(view->getBounds(), (Rectangle{0, 0, 250, 90}));
    ASSERT_FALSE(log.named("view.frameChanged").empty());
    EXPECT_EQ(log.named("view.frameChanged").back().position, (Point{250, 90}));
}

// A size set before the window opens is held to the tracking sizes when it opens, and the views follow.
TEST(Window, AWindowOpensWithinItsMinimumAndMaximumSize) {
    EventLog log;
    auto window = Pointer<Window>::adopt(new Window());
    window->setMinimumSize({256, 256});
    window->setMaximumSize({600, 500});
    window->setSize({100, 300});
    auto view = Pointer<RecordingView>::adopt(new RecordingView(log, {0, 0, 100, 300}));
    view->setAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    window->addView(view);
    // The limits are the whole window's, frame included; the height asked for fits with its frame.
    ASSERT_TRUE(window->open());
    Size border = testing::borderOf(*window);
    EXPECT_EQ(frameOf(*window).width, 256.0f - border.width);
    EXPECT_EQ(frameOf(*window).height, 300.0f);
    EXPECT_EQ(frameOf(*window, *view), (Rectangle{0, 0, 256 - border.width, 300}));
    EXPECT_TRUE(window->close());

    window->setSize({900, 100});
    ASSERT_TRUE(window->open());
    border = testing::borderOf(*window);
    EXPECT_EQ(frameOf(*window).width, 600.0f - border.width);
    EXPECT_EQ(frameOf(*window).height, 256.0f - border.height);
    EXPECT_EQ(frameOf(*window, *view), (Rectangle{0, 0, 600 - border.width, 256 - border.height}));
    EXPECT_TRUE(window->close());
}

TEST(Window, ViewMessagesPaintAndReframeOnlyItsOwnViews) {
    EventLog log;
    auto window = Pointer<Window>::adopt(new Window());
    auto view = Pointer<RecordingView>::adopt(new RecordingView(log, {0, 0, 64, 32}));
    auto stranger = Pointer<RecordingView>::adopt(new RecordingView(log, {0, 0, 8, 8}));
    window->addView(view);
    ASSERT_TRUE(window->open());
    ASSERT_TRUE(testing::eventually([&] { return !log.named("view.paint").empty(); }));
    log.clear();

    auto deliver = [&](uint32_t what, const char* name, View* target) {
        application::Message* message = application::Message::create(what, window.get());
        if (name)
            message->addParameter(name, target);
        ASSERT_TRUE(window->deliverPosted(message));
    };
    deliver(application::MessageViewPaint, nullptr, view);
    deliver(application::MessageViewFrame, "views", view);
    deliver(application::MessageViewPaint, "view", stranger);
    deliver(application::MessageViewPaint, "view", view);
    deliver(application::MessageViewFrame, "view", view);
    ASSERT_TRUE(log.waitFor("view.frameChanged"));
    // Exposures may repaint the view through its own window meanwhile; only paint messages use the
    // window's context.
    std::vector<testing::Event> events;
    for (const testing::Event& event : log.all()) {
        if (event.what != "view.paint" || event.code == 1)
            events.push_back(event);
    }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].what, "view.paint");
    EXPECT_EQ(events[0].position, (Point{64, 32})) << "painted with the view's bounds";
    EXPECT_EQ(events[1].what, "view.frameChanged");
    EXPECT_EQ(events[1].position, (Point{64, 32}));
    EXPECT_TRUE(window->close());
}

TEST(View, LayoutFollowsTheLocalTransform) {
    auto view = Pointer<View>::adopt(new View({10, 20, 100, 50}));
    EXPECT_EQ(view->getBounds(), (Rectangle{0, 0, 100, 50}));
    EXPECT_EQ(view->getGlobalTransform(), graphics::Transform<float>(1, 0, 10, 0, 1, 20));

    // Twice the scale with an offset: the bounds cover the frame in view units.
    view->setLocalTransform(graphics::Transform<float>(2, 0, 4, 0, 2, 6));
    view->layout();
    EXPECT_EQ(view->getBounds(), (Rectangle{-2, -3, 50, 25}));
    EXPECT_EQ(view->getGlobalTransform(), graphics::Transform<float>(2, 0, 14, 0, 2, 26));

    auto child = Pointer<View>::adopt(new View({1, 2, 5, 5}));
    ASSERT_TRUE(child->setParent(view));
    EXPECT_EQ(child->getGlobalTransform(), graphics::Transform<float>(2, 0, 16, 0, 2, 30));
    EXPECT_FALSE(view->invalidate()) << "no window, nothing to invalidate";
}

} // namespace
} // namespace korvane::gui
