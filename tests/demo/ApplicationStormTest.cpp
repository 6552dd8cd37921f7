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
// the application run again and again with close requests at different moments, and the window resized a
// thousand times, to sizes it cannot take among them.

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

// A user's hand on the running application's window, from this process's own X connection.
void closeTheWindow(int round) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    const ::Window window = korvane::tools::waitForWindow(display, "Korvane", 30000);
    if (window) {
        switch (round % 4) {
        case 0: // at once, during the first frame
            korvane::tools::requestClose(display, window);
            break;
        case 1: // three times over
            for (int i = 0; i < 3; ++i)
                korvane::tools::requestClose(display, window);
            break;
        case 2: // in the middle of resizing, which goes on after the request
            for (int i = 0; i < 60; ++i) {
                if (i == 20)
                    korvane::tools::requestClose(display, window);
                XResizeWindow(display, window, unsigned(200 + i * 7), unsigned(500 - i * 5));
                XFlush(display);
            }
            break;
        default: // after some frames, and again while it closes
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            for (int i = 0; i < 5; ++i) {
                korvane::tools::requestClose(display, window);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
    for (int round = 0; round < 4; ++round) {
        auto* application = new SampleApplication;
        std::thread user(closeTheWindow, round);
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

    // Zero area, one side zero, negative, below the minimum, at it and above it.
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
