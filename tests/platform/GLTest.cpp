#include "platform/GL.h"

// GoogleTest and GLEW go before the X headers, whose macros (None, Bool) would break them.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "WindowTesting.h"
#include "platform/Window.h"

using namespace korvane::platform;
using namespace korvane::platform::testing;

namespace {

PixelFormatDescriptor viewRequest() {
    PixelFormatDescriptor request;
    request.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.pixelType = PFD_TYPE_RGBA;
    request.colorBits = 24;
    request.alphaBits = 8;
    request.depthBits = 24;
    request.stencilBits = 8;
    return request;
}

// A pixel of the current context's back buffer, counted from the bottom left.
struct Pixel {
    unsigned char r = 0, g = 0, b = 0, a = 0;
    uint32_t rgb() const { return uint32_t(r) << 16 | uint32_t(g) << 8 | b; }
};

Pixel backBufferPixel(int x, int y) {
    unsigned char read[4] = {};
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, read);
    return {read[0], read[1], read[2], read[3]};
}

// The colour at a point of a window as the screen shows it, read through another connection, which the
// server may serve before it has drawn the last frame: looks again for a while before answering.
uint32_t screenColour(WindowHandle window, Point point, uint32_t expected) {
    OtherClient display;
    EXPECT_TRUE(display.connected());
    clientToScreen(window, point);
    uint32_t onScreen = 0;
    for (int attempt = 0; attempt < 100 && onScreen != expected; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        onScreen = display.screenPixel(point.x, point.y);
    }
    return onScreen;
}

class GLTest : public ::testing::Test {
protected:
    void SetUp() override {
        Recorder::instance().clear();
        window = createTopLevel(200, 150);
        showWindow(window, SW_SHOW);
        view = createChild(window, 0, 0, 128, 96);
        ASSERT_NE(view, nullptr);
        pumpFor(20);
    }
    void TearDown() override {
        destroyWindow(window);
        pumpFor(0);
        EXPECT_FALSE(threadHoldsDisplay());
    }

    // Gives the view the usual format and a context current on this thread; null when one step fails.
    GLContext currentViewContext(DeviceContext dc) {
        PixelFormatDescriptor request = viewRequest();
        if (!setPixelFormat(dc, choosePixelFormat(dc, request), request))
            return nullptr;
        GLContext context = createContext(dc);
        if (context && !makeCurrent(dc, context)) {
            deleteContext(context);
            return nullptr;
        }
        return context;
    }

    WindowHandle window = nullptr;
    WindowHandle view = nullptr;
};

} // namespace

TEST_F(GLTest, ChildWindowGetsTheRequestedFormatAndAWorkingContext) {
    DeviceContext dc = getDC(view);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(windowFromDC(dc), view);
    EXPECT_EQ(getPixelFormat(dc), 0);
    PixelFormatDescriptor request = viewRequest();
    int format = choosePixelFormat(dc, request);
    ASSERT_GT(format, 0);
    PixelFormatDescriptor described;
    int count = describePixelFormat(dc, format, described);
    EXPECT_GE(count, format);
    EXPECT_TRUE(described.flags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(described.flags & PFD_SUPPORT_OPENGL);
    EXPECT_EQ(described.pixelType, PFD_TYPE_RGBA);
    // Colour bits count red, green and blue; some drivers count alpha as well. A driver may also
    // prefer a format without alpha: Win32 weighs it below colour, depth and stencil.
    const int rgb = described.redBits + described.greenBits + described.blueBits;
    EXPECT_EQ(rgb, 24);
    EXPECT_TRUE(described.colorBits == rgb || described.colorBits == rgb + described.alphaBits);
    EXPECT_TRUE(described.alphaBits == 0 || described.alphaBits == 8);
    EXPECT_EQ(described.depthBits, 24);
    EXPECT_EQ(described.stencilBits, 8);
    EXPECT_EQ(describePixelFormat(dc, count + 1, described), 0);

    // No context without a format.
    EXPECT_EQ(createContext(dc), nullptr);
    ASSERT_TRUE(setPixelFormat(dc, format, request));
    EXPECT_FALSE(setPixelFormat(dc, format, request));
    EXPECT_EQ(getPixelFormat(dc), format);

    // The X window behind the handle may have been created again for the format's visual: the handle
    // keeps working.
    EXPECT_TRUE(isWindow(view));
    EXPECT_EQ(getDC(view), dc);
    EXPECT_TRUE(setWindowPos(view, nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER));
    EXPECT_EQ(Recorder::instance().of(view, WM_SIZE).back().lParam, makeLParam(120, 90));
    Recorder::instance().clear();
    invalidateRect(view, nullptr, false);
    EXPECT_TRUE(pumpUntil([&] { return !Recorder::instance().of(view, WM_PAINT).empty(); }));

    GLContext context = createContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(makeCurrent(dc, context));
    EXPECT_EQ(getCurrentContext(), context);
    EXPECT_EQ(getCurrentDC(), dc);
#ifdef KORVANE_PLATFORM_WAYLAND
    // GLEW loads the GL entry points, then looks for a GLX display, which an EGL context has not.
    ASSERT_EQ(glewInit(), GLenum(GLEW_ERROR_NO_GLX_DISPLAY));
#else
    ASSERT_EQ(glewInit(), GLEW_OK);
#endif
    EXPECT_NE(glGetString(GL_VERSION), nullptr);
    // A legacy context: the fixed-function pipeline is there.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint bits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &bits);
    EXPECT_GE(bits, 8);
    glGetIntegerv(GL_DEPTH_BITS, &bits);
    EXPECT_GE(bits, 24);
    EXPECT_NE(getProcAddress("glGenFramebuffersEXT"), nullptr);

    glViewport(0, 0, 120, 90);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    const Pixel pixel = backBufferPixel(60, 45);
    EXPECT_NEAR(pixel.r, 64, 1);
    EXPECT_NEAR(pixel.g, 128, 1);
    EXPECT_NEAR(pixel.b, 191, 1);
    EXPECT_EQ(pixel.a, 255);
    // After the swap the same colour is on the screen, in the view's place.
    ASSERT_TRUE(swapBuffers(dc));
    glFinish();
    EXPECT_EQ(screenColour(view, {60, 45}, pixel.rgb()), pixel.rgb());

    // Another thread cannot make this thread's context current or delete it.
    std::thread([&] {
        EXPECT_FALSE(makeCurrent(dc, context));
        EXPECT_FALSE(deleteContext(context));
        EXPECT_EQ(getCurrentContext(), nullptr);
    }).join();

    EXPECT_TRUE(makeCurrent(nullptr, nullptr));
    EXPECT_EQ(getCurrentContext(), nullptr);
    EXPECT_EQ(getCurrentDC(), nullptr);
    EXPECT_TRUE(makeCurrent(dc, context));
    EXPECT_TRUE(deleteContext(context));
    EXPECT_EQ(getCurrentContext(), nullptr);
    EXPECT_FALSE(deleteContext(context));
}

TEST_F(GLTest, FormatsFollowTheRequest) {
    DeviceContext dc = getDC(view);
    PixelFormatDescriptor request;
    request.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    request.colorBits = 32;
    PixelFormatDescriptor described;
    int single = choosePixelFormat(dc, request);
    ASSERT_GT(single, 0);
    describePixelFormat(dc, single, described);
#ifdef KORVANE_PLATFORM_WAYLAND
    EXPECT_TRUE(described.flags & PFD_DOUBLEBUFFER) << "every Wayland window surface is double-buffered";
#else
    EXPECT_FALSE(described.flags & PFD_DOUBLEBUFFER);
#endif
    EXPECT_EQ(described.redBits + described.greenBits + described.blueBits, 24);
    EXPECT_EQ(described.depthBits, 0);

    request.flags |= PFD_DOUBLEBUFFER;
    request.depthBits = 16;
    int doubled = choosePixelFormat(dc, request);
    ASSERT_GT(doubled, 0);
    describePixelFormat(dc, doubled, described);
    EXPECT_TRUE(described.flags & PFD_DOUBLEBUFFER);
    EXPECT_GE(described.depthBits, 16);
    const int rgb = described.redBits + described.greenBits + described.blueBits;
    EXPECT_TRUE(described.colorBits == rgb || described.colorBits == rgb + described.alphaBits);
    EXPECT_NE(described.redShift, described.blueShift);

    EXPECT_FALSE(setPixelFormat(dc, 0, request));
    EXPECT_EQ(choosePixelFormat(nullptr, request), 0);
}

TEST_F(GLTest, ContextsAndConnectionsOfAnEndingThreadAreReleased) {
    std::atomic<GLContext> left{nullptr};
    std::thread([&] {
        WindowHandle top = createTopLevel(64, 64);
        showWindow(top, SW_SHOW);
        DeviceContext dc = getDC(top);
        PixelFormatDescriptor request = viewRequest();
        ASSERT_TRUE(setPixelFormat(dc, choosePixelFormat(dc, request), request));
        GLContext context = createContext(dc);
        ASSERT_TRUE(makeCurrent(dc, context));
        glClear(GL_COLOR_BUFFER_BIT);
        swapBuffers(dc);
        left = context;
        // The thread ends with its window, context and connection still open.
    }).join();
    ASSERT_NE(left.load(), nullptr);
    EXPECT_FALSE(deleteContext(left));
}

TEST_F(GLTest, DestroyingTheWindowReleasesItsCurrentContext) {
    DeviceContext dc = getDC(view);
    GLContext context = currentViewContext(dc);
    ASSERT_NE(context, nullptr);
    EXPECT_TRUE(destroyWindow(view));
    EXPECT_EQ(getCurrentContext(), nullptr);
    EXPECT_EQ(windowFromDC(dc), nullptr);
    EXPECT_FALSE(makeCurrent(dc, context));
    EXPECT_FALSE(swapBuffers(dc));
    EXPECT_TRUE(deleteContext(context));
}

TEST_F(GLTest, AResizedChildDrawsAndShowsItsWholeNewSizeAtOnce) {
    DeviceContext dc = getDC(view);
    GLContext context = currentViewContext(dc);
    ASSERT_NE(context, nullptr);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(swapBuffers(dc));

    // Larger than before, with the context left current: the next frame has the new size.
    ASSERT_TRUE(setWindowPos(window, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER));
    ASSERT_TRUE(setWindowPos(view, nullptr, 0, 0, 240, 180, SWP_NOMOVE | SWP_NOZORDER));
    pumpFor(20);
    glViewport(0, 0, 240, 180);
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const Pixel pixel = backBufferPixel(230, 5);
    EXPECT_EQ(pixel.r, 255);
    EXPECT_NEAR(pixel.g, 128, 1);
    EXPECT_EQ(pixel.b, 0);
    ASSERT_TRUE(swapBuffers(dc));
    glFinish();
    // Inside the old size and outside it, near the new bottom-right corner.
    EXPECT_EQ(screenColour(view, {60, 45}, pixel.rgb()), pixel.rgb());
    EXPECT_EQ(screenColour(view, {230, 174}, pixel.rgb()), pixel.rgb());

    EXPECT_TRUE(makeCurrent(nullptr, nullptr));
    EXPECT_TRUE(deleteContext(context));
}

TEST_F(GLTest, ThreadsSettingAFormatAtOnceLeaveItSetOnce) {
    DeviceContext dc = getDC(view);
    PixelFormatDescriptor request = viewRequest();
    const int format = choosePixelFormat(dc, request);
    ASSERT_GT(format, 0);
    std::atomic<int> ready{0}, finished{0}, succeeded{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            ++ready;
            while (ready.load() < 4) {
            }
            if (setPixelFormat(dc, format, request))
                ++succeeded;
            ++finished;
        });
    // The window's own thread keeps answering while the others set the format.
    EXPECT_TRUE(pumpUntil([&] { return finished.load() == 4; }));
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(succeeded.load(), 1);
    EXPECT_EQ(getPixelFormat(dc), format);
    GLContext context = createContext(dc);
    ASSERT_NE(context, nullptr);
    EXPECT_TRUE(deleteContext(context));
}

// A swap never waits for the display to show the frame: a hidden window, and a view covered by another
// window, keep swapping at full speed; shown again, the window shows its latest frame.
TEST_F(GLTest, SwapsOfHiddenAndCoveredWindowsReturnAtOnce) {
    DeviceContext dc = getDC(view);
    GLContext context = currentViewContext(dc);
    ASSERT_NE(context, nullptr);
    auto swapMany = [&](float red) {
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < 30; ++frame) {
            glClearColor(red, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            if (!swapBuffers(dc))
                return std::chrono::milliseconds::max();
        }
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     start);
    };
    EXPECT_LT(swapMany(0.25f).count(), 3000);

    WindowHandle cover = createTopLevel(200, 150);
    ASSERT_TRUE(showWindow(cover, SW_SHOW) == false);
    pumpFor(20);
    EXPECT_LT(swapMany(0.5f).count(), 3000);
    destroyWindow(cover);

    showWindow(window, SW_HIDE);
    pumpFor(20);
    EXPECT_LT(swapMany(0.75f).count(), 3000);
    showWindow(window, SW_SHOW);
    pumpFor(20);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(swapBuffers(dc));
    glFinish();
    EXPECT_EQ(screenColour(view, {60, 45}, 0xFF0000u), 0xFF0000u);

    EXPECT_TRUE(makeCurrent(nullptr, nullptr));
    EXPECT_TRUE(deleteContext(context));
}
