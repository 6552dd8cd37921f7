#include "platform/GL.h"
#include "platform/Window.h"

// GoogleTest goes before the X headers, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "X11Testing.h"
#include "platform/Error.h"
#include "platform/File.h"
#include "platform/WindowTesting.h"
#include "platform/x11/X11Window.h"

using namespace korvane::platform;
using namespace korvane::platform::testing;

namespace {

class X11ErrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(other.get(), nullptr);
        window = createTopLevel(160, 120);
        child = createChild(window, 0, 0, 64, 64);
        ASSERT_NE(child, nullptr);
        showWindow(window, SW_SHOW);
        settle();
    }
    void TearDown() override {
        destroyWindow(window);
        pumpFor(0);
        EXPECT_EQ(x11::Connection::currentIfAny(), nullptr);
    }

    // Another client destroys the top-level window (and so its child) behind the layer's back.
    void destroyElsewhere() {
        XDestroyWindow(other.get(), window->xwindow);
        XSync(other.get(), False);
    }

    // A TrueColor visual of the screen other than the one the window has.
    XVisualInfo otherVisual(WindowHandle of) {
        XVisualInfo pattern{};
        pattern.screen = DefaultScreen(other.get());
        pattern.c_class = TrueColor;
        int count = 0;
        XVisualInfo* visuals =
            XGetVisualInfo(other.get(), VisualScreenMask | VisualClassMask, &pattern, &count);
        XVisualInfo found{};
        for (int i = 0; i < count; ++i) {
            if (visuals[i].visualid != of->visual && visuals[i].depth == 24) {
                found = visuals[i];
                break;
            }
        }
        XFree(visuals);
        return found;
    }

    TestDisplay other;
    WindowHandle window = nullptr;
    WindowHandle child = nullptr;
};

} // namespace

TEST_F(X11ErrorTest, ACreationTheServerRefusesFailsWithItsCode) {
    destroyElsewhere();
    setLastError(0);
    EXPECT_EQ(createChild(window, 0, 0, 10, 10), nullptr) << "the parent no longer exists on the server";
    EXPECT_EQ(getLastError(), ERROR_INVALID_WINDOW_HANDLE);

    setLastError(0);
    EXPECT_EQ(createWindow(0, "no such class", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(getLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(X11ErrorTest, AVisualChangeTheServerRefusesKeepsTheWindow) {
    XVisualInfo visual = otherVisual(child);
    ASSERT_NE(visual.visualid, 0u);
    const ::Window before = child->xwindow;

    // A visual that does not exist on the server.
    XVisualInfo bogus = visual;
    Visual fake = *visual.visual;
    fake.visualid = 0x7FFFFFF0;
    bogus.visual = &fake;
    bogus.visualid = fake.visualid;
    setLastError(0);
    EXPECT_FALSE(x11::recreateWindow(child, &bogus));
    EXPECT_NE(getLastError(), 0u);
    EXPECT_EQ(child->xwindow, before) << "the window keeps its X window";
    XWindowAttributes attributes;
    EXPECT_TRUE(XGetWindowAttributes(other.get(), child->xwindow, &attributes));

    // A real visual, but the parent is gone.
    destroyElsewhere();
    setLastError(0);
    EXPECT_FALSE(x11::recreateWindow(child, &visual));
    EXPECT_EQ(getLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(child->xwindow, before);
}

TEST_F(X11ErrorTest, ErrorsOutsideTheTrappedCallsAreStillIgnored) {
    // A request on a window that no longer exists, as focusing or mapping one a window manager dropped.
    destroyElsewhere();
    setWindowText(window, "gone");
    showWindow(window, SW_HIDE);
    settle();
    EXPECT_TRUE(isWindow(window)) << "the process goes on and the handle stays valid until destroyed";
}
