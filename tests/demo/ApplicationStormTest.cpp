#include <gtest/gtest.h>

#include <unistd.h>

#include <X11/Xlib.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "application/Message.h"
#include "demo/MainWindow.h"
#include "demo/OpenGLTicker.h"
#include "demo/SampleApplication.h"
#include "demo/SceneView.h"
#include "gui/Input.h"
#include "object/Pointer.h"
#include "support/demo/CountingView.h"
#include "support/demo/SceneWindow.h"
#include "support/gui/Watchdog.h"
#include "tools/xwindow/XWindows.h"

using korvane::application::Message;
using korvane::demo::MainWindow;
using korvane::demo::OpenGLTicker;
using korvane::demo::SampleApplication;
using korvane::demo::SceneView;
using korvane::demo::test::InRunDirectory;
using korvane::object::Pointer;
using korvane::testing::CountingView;
using korvane::testing::Watchdog;

// The application and its window in this process, so that the sanitizer builds watch every thread of it:
// the application run again and again with close requests at different moments (during the first frames,
// several at once, in the middle of resizing), and the window resized a thousand times from outside and a
// thousand times through its own calls, to sizes it cannot take among them.

namespace {

long threadCount() {
    long count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

// Threads end a moment after they have been joined in the kernel's view; wait for the count to settle.
long settledThreadCount(long expected) {
    long count = threadCount();
    for (int i = 0; i < 100 && count != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        count = threadCount();
    }
    return count;
}

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// Sizes a user or a window manager might ask for, below the minimum of 256 x 256 among them.
constexpr std::array<std::array<unsigned, 2>, 9> Sizes = {
    {{1, 1}, {700, 520}, {255, 255}, {80, 900}, {256, 256}, {1000, 40}, {600, 500}, {3, 300}, {420, 330}}};

// When and how a user closes the window: after `delay` ms, `requests` close requests `apart` ms from
// one another; with resizeFrom >= 0 the window is resized from the start and the request comes after
// that many resizes, the resizing going on after it.
struct Closing {
    int delay;
    int requests;
    int apart;
    int resizeFrom;
};

// The first frame waits for the driver to compile the shaders: the earliest requests arrive while the
// scene is built or drawn for the first time, the later ones between the first frames.
constexpr Closing Closings[] = {
    {0, 3, 0, -1},    // at once, three times over
    {5, 1, 0, -1},    // during the first frame
    {150, 1, 0, -1},  // between the first frames
    {400, 5, 10, -1}, // after some frames, and again while it closes
    {0, 1, 0, 0},     // at the first resize
    {0, 1, 0, 30},    // in the middle of resizing
};

// A user's hand on the running application's window, from this process's own X connection.
void closeTheWindow(const Closing& closing) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    const ::Window window = korvane::tools::waitForWindow(display, "Korvane", 30000);
    if (window) {
        std::this_thread::sleep_for(std::chrono::milliseconds(closing.delay));
        if (closing.resizeFrom < 0) {
            for (int i = 0; i < closing.requests; ++i) {
                korvane::tools::requestClose(display, window);
                std::this_thread::sleep_for(std::chrono::milliseconds(closing.apart));
            }
        } else {
            for (int i = 0; i < 120; ++i) {
                if (i == closing.resizeFrom)
                    korvane::tools::requestClose(display, window);
                const auto& size = Sizes[size_t(i) % Sizes.size()];
                XResizeWindow(display, window, size[0], size[1]);
                XFlush(display);
            }
        }
        XSync(display, False);
    }
    XCloseDisplay(display);
}

} // namespace

TEST(ApplicationStormTest, TheApplicationClosesAtEveryMomentAndRunsAgainWithNothingLeftBehind) {
    Watchdog watchdog("running and closing the application", std::chrono::seconds(110));
    InRunDirectory directory;
    auto* previousHandler = XSetErrorHandler(ignoreErrors);
    long threadsAfterFirstRound = 0;
    Message::PoolStatistics poolsAfterFirstRound;
    for (int round = 0; round < int(std::size(Closings)); ++round) {
        auto* application = new SampleApplication;
        std::thread user(closeTheWindow, Closings[round]);
        EXPECT_TRUE(application->run()) << "round " << round;
        EXPECT_FALSE(application->hasFailed()) << "round " << round;
        application->release();
        user.join();
        EXPECT_EQ(korvane::application::Application::getApplication(), nullptr);
        const auto pools = Message::getPoolStatistics();
        EXPECT_EQ(pools.messagesInUse, 0u) << "round " << round << ": messages left in a queue";
        EXPECT_EQ(pools.parametersInUse, 0u) << "round " << round;
        if (round == 0) {
            threadsAfterFirstRound = threadCount();
            poolsAfterFirstRound = pools;
        } else {
            EXPECT_EQ(settledThreadCount(threadsAfterFirstRound), threadsAfterFirstRound)
                << "round " << round;
            EXPECT_EQ(pools.messages, poolsAfterFirstRound.messages) << "round " << round;
        }
    }
    XSetErrorHandler(previousHandler);
}

TEST(ApplicationStormTest, AThousandResizesToAnySizeKeepTheWindowAtItsMinimumAndTheViewDrawing) {
    Watchdog watchdog("resizing the window", std::chrono::seconds(110));
    InRunDirectory directory;
    auto window = Pointer<MainWindow>::adopt(new MainWindow);
    auto view = Pointer<CountingView>::adopt(new CountingView({0.0f, 0.0f, 600.0f, 500.0f}));
    view->setAnchors(korvane::gui::AnchorLeft | korvane::gui::AnchorRight | korvane::gui::AnchorTop |
                     korvane::gui::AnchorBottom);
    window->addView(view.get());
    ASSERT_TRUE(window->open());
    auto ticker = Pointer<OpenGLTicker>::adopt(new OpenGLTicker(view.get()));
    ticker->setPeriod(14);
    ticker->start();

    // From outside, as a user or a window manager would, last to a size below the minimum: the window
    // takes its minimum back.
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    ASSERT_NE(display, nullptr);
    const ::Window outside = korvane::tools::waitForWindow(display.get(), "Korvane", 30000);
    ASSERT_NE(outside, 0u);
    for (int i = 0; i < 1000; ++i) {
        const auto& size = Sizes[size_t(i) % Sizes.size()];
        XResizeWindow(display.get(), outside, size[0], size[1]);
        if (i % 25 == 0)
            XSync(display.get(), False);
    }
    XResizeWindow(display.get(), outside, 10, 10);
    XSync(display.get(), False);
    int width = 0, height = 0;
    const auto settled = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (
        std::chrono::steady_clock::now() < settled &&
        (!korvane::tools::windowSize(display.get(), outside, width, height) || width != 256 || height != 256))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 256);

    // Through the window's own calls: zero area, one side zero, negative, below the minimum, at it and
    // above it.
    const std::array<korvane::gui::Size, 10> sizes = {{{0, 0},
                                                       {600, 0},
                                                       {0, 500},
                                                       {-40, -40},
                                                       {1, 1},
                                                       {255, 300},
                                                       {256, 256},
                                                       {900, 700},
                                                       {300, 255},
                                                       {640, 480}}};
    for (int i = 0; i < 1000; ++i)
        window->setSize(sizes[size_t(i) % sizes.size()]);
    // Last, zero area: the window stays at its minimum.
    window->setSize({0, 0});

    long framesAfterResizing = 0;
    window->callOnWindowThread([&] {
        framesAfterResizing = view->frames.load();
        const korvane::gui::Rectangle frame = window->getFrame();
        EXPECT_EQ(frame.width, 256.0f);
        EXPECT_EQ(frame.height, 256.0f);
        // The view follows the window's client area, and its camera sees something.
        EXPECT_EQ(view->getFrame().width, frame.width);
        EXPECT_EQ(view->getFrame().height, frame.height);
        for (const float value : view->getCamera().window)
            EXPECT_TRUE(std::isfinite(value));
        EXPECT_GT(view->getCamera().window[2], 0.0f);
        EXPECT_GT(view->getCamera().window[3], 0.0f);
        return true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (view->frames.load() < framesAfterResizing + 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(view->frames.load(), framesAfterResizing + 3) << "no frames after the resizes";

    ticker->stop();
    EXPECT_TRUE(window->close());
}
