#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "gui/Input.h"
#include "gui/OpenGL.h"
#include "object/Pointer.h"
#include "support/gui/ClearView.h"
#include "support/gui/GuiTesting.h"

namespace korvane::gui {
namespace {

using object::Pointer;

using testing::ClearView;

struct GLState {
    GLint viewport[4] = {};
    platform::GLContext current = nullptr;
    graphics3d::Context* context = nullptr;
    int32_t contextWidth = 0;
};

GLState stateOn(Window& window, ClearView& view) {
    GLState state;
    testing::onWindowThread(window, [&] {
        if (view.getGraphicsContext() && view.getGraphicsContext()->makeCurrent())
            glGetIntegerv(GL_VIEWPORT, state.viewport);
        state.current = platform::getCurrentContext();
        state.context = graphics3d::Context::getThreadContext();
        if (state.context)
            state.contextWidth = state.context->size.width;
    });
    return state;
}

TEST(OpenGL, RendersIntoItsChildWindowOnTheWindowThread) {
    testing::SyntheticInput screen;
    ASSERT_TRUE(screen.isAvailable());
    auto window = Pointer<Window>::adopt(new Window());
    window->setSize({320, 240});
    auto view = Pointer<ClearView>::adopt(new ClearView({20, 30, 200, 120}));
    view->setAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    window->addView(view);
    ASSERT_TRUE(window->open());
    testing::placeApart(*window);

    ASSERT_NE(view->getGraphicsContext(), nullptr);
    ASSERT_NE(view->getGLContext(), nullptr);
    EXPECT_GE(view->getPixelFormat().colorBits, 24);
    EXPECT_GE(view->getPixelFormat().depthBits, 24);
    EXPECT_GE(view->getPixelFormat().stencilBits, 8);
    EXPECT_EQ(view->getPalette(), nullptr) << "true-colour formats need no palette";
    GLState state = stateOn(*window, *view);
    EXPECT_EQ(state.current, view->getGLContext());
    EXPECT_EQ(state.context, view->getGraphicsContext());
    EXPECT_EQ(state.viewport[2], 200);
    EXPECT_EQ(state.viewport[3], 120);
    EXPECT_EQ(state.contextWidth, 200);

    const Rectangle client = testing::frameOf(*window);
    const int x = int(client.x) + 20 + 100, y = int(client.y) + 30 + 60;
    ASSERT_TRUE(testing::eventually([&] { return screen.pixel(x, y) == 0xFF0000; }));

    view->colour = 0x00C040;
    const int before = view->frames.load();
    ASSERT_TRUE(view->invalidate());
    ASSERT_TRUE(testing::eventually([&] { return view->frames.load() > before; }));
    ASSERT_TRUE(testing::eventually([&] { return screen.pixel(x, y) == 0x00C040; }));
    EXPECT_EQ(view->renderedContext.load(), view->getGraphicsContext());
    EXPECT_NE(screen.pixel(int(client.x) + 10, int(client.y) + 10), 0x00C040u) << "outside the view";

    // Growing the window grows the view, its viewport and what it paints.
    window->setSize({400, 300});
    state = stateOn(*window, *view);
    EXPECT_EQ(state.viewport[2], 280);
    EXPECT_EQ(state.viewport[3], 180);
    ASSERT_TRUE(view->invalidate());
    ASSERT_TRUE(testing::eventually(
        [&] { return screen.pixel(int(client.x) + 20 + 270, int(client.y) + 30 + 170) == 0x00C040; }));

    ASSERT_TRUE(window->removeView(view));
    EXPECT_EQ(view->getGraphicsContext(), nullptr);
    EXPECT_EQ(view->getGLContext(), nullptr);
    testing::onWindowThread(*window, [&] {
        EXPECT_EQ(platform::getCurrentContext(), nullptr);
        EXPECT_EQ(graphics3d::Context::getThreadContext(), nullptr);
    });
    EXPECT_FALSE(view->invalidate());
    ASSERT_TRUE(window->close());
}

TEST(OpenGL, SeveralViewsShareTheWindowThreadWithTheirOwnContexts) {
    testing::SyntheticInput screen;
    ASSERT_TRUE(screen.isAvailable());
    auto window = Pointer<Window>::adopt(new Window());
    window->setSize({200, 100});
    auto left = Pointer<ClearView>::adopt(new ClearView({0, 0, 100, 100}));
    auto right = Pointer<ClearView>::adopt(new ClearView({100, 0, 100, 100}));
    left->colour = 0x0000FF;
    right->colour = 0xFFFF00;
    window->addView(left);
    ASSERT_TRUE(window->open());
    window->addView(right);
    testing::placeApart(*window);
    ASSERT_NE(left->getGraphicsContext(), right->getGraphicsContext());
    left->invalidate();
    right->invalidate();
    const Rectangle client = testing::frameOf(*window);
    ASSERT_TRUE(testing::eventually(
        [&] { return screen.pixel(int(client.x) + 50, int(client.y) + 50) == 0x0000FF; }));
    ASSERT_TRUE(testing::eventually(
        [&] { return screen.pixel(int(client.x) + 150, int(client.y) + 50) == 0xFFFF00; }));
    EXPECT_EQ(left->renderedContext.load(), left->getGraphicsContext());
    EXPECT_EQ(right->renderedContext.load(), right->getGraphicsContext());

    // Closing deletes both GL contexts on the window thread; reopening makes new ones.
    ASSERT_TRUE(window->close());
    EXPECT_EQ(left->getGraphicsContext(), nullptr);
    EXPECT_EQ(right->getGraphicsContext(), nullptr);
    ASSERT_TRUE(window->open());
    EXPECT_NE(left->getGraphicsContext(), nullptr);
    ASSERT_TRUE(window->close());
}

TEST(OpenGL, PalettesOnlyForFormatsThatNeedThem) {
    OpenGL::LogicalPalette palette;
    platform::PixelFormatDescriptor trueColour;
    trueColour.colorBits = 32;
    trueColour.redBits = trueColour.greenBits = trueColour.blueBits = 8;
    EXPECT_FALSE(OpenGL::buildPalette(trueColour, palette));

    platform::PixelFormatDescriptor indexed;
    indexed.pixelType = platform::PFD_TYPE_COLORINDEX;
    indexed.colorBits = 8;
    ASSERT_TRUE(OpenGL::buildPalette(indexed, palette));
    EXPECT_EQ(palette.version, 0x300);
    EXPECT_EQ(palette.count, 256);
    const OpenGL::PaletteEntry expected[] = {{0, 0, 0, OpenGL::PaletteNoCollapse},
                                             {255, 0, 0, OpenGL::PaletteNoCollapse},
                                             {0, 255, 0, OpenGL::PaletteNoCollapse},
                                             {0, 0, 255, OpenGL::PaletteNoCollapse}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(palette.entries[i].red, expected[i].red);
        EXPECT_EQ(palette.entries[i].green, expected[i].green);
        EXPECT_EQ(palette.entries[i].blue, expected[i].blue);
        EXPECT_EQ(palette.entries[i].flags, expected[i].flags);
    }

    // 3-3-2 RGB through a palette: every index names its own colour.
    platform::PixelFormatDescriptor rgb332;
    rgb332.flags = platform::PFD_NEED_PALETTE;
    rgb332.colorBits = 8;
    rgb332.redBits = 3, rgb332.redShift = 0;
    rgb332.greenBits = 3, rgb332.greenShift = 3;
    rgb332.blueBits = 2, rgb332.blueShift = 6;
    ASSERT_TRUE(OpenGL::buildPalette(rgb332, palette));
    EXPECT_EQ(palette.count, 256);
    const OpenGL::PaletteEntry entry = palette.entries[0b10'011'101];
    EXPECT_EQ(entry.red, 5 * 255 / 7);
    EXPECT_EQ(entry.green, 3 * 255 / 7);
    EXPECT_EQ(entry.blue, 2 * 255 / 3);
    EXPECT_EQ(entry.flags, 0);

    // A component without bits stays dark instead of dividing by zero.
    platform::PixelFormatDescriptor small;
    small.flags = platform::PFD_NEED_PALETTE;
    small.colorBits = 4;
    small.redBits = 4;
    ASSERT_TRUE(OpenGL::buildPalette(small, palette));
    EXPECT_EQ(palette.count, 16);
    EXPECT_EQ(palette.entries[15].red, 255);
    EXPECT_EQ(palette.entries[15].green, 0);
}

} // namespace
} // namespace korvane::gui
