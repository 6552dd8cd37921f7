#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "application/Looper.h"
#include "gui/Window.h"
#include "object/Exception.h"
#include "object/Pointer.h"
#include "platform/Window.h"
#include "support/gui/GuiTesting.h"
#include "support/gui/Watchdog.h"

namespace korvane::gui {
namespace {

using korvane::testing::Watchdog;
using object::Pointer;

size_t threadCount() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

TEST(WindowLifecycle, ClosingRacesTheWindowClosingItselfWithoutHanging) {
    Watchdog watchdog("closing a window that closes itself");
    auto window = Pointer<Window>::adopt(new Window());
    window->setSize({48, 48});
    for (int round = 0; round < 25; ++round) {
        ASSERT_TRUE(window->open());
        // The default close request closes the window on its own thread while this thread closes it.
        platform::postMessage(window->getHandle(), platform::WM_CLOSE, 0, 0);
        if (round % 2)
            std::this_thread::sleep_for(std::chrono::microseconds(50 * round));
        window->close();
        EXPECT_FALSE(window->isCreated());
        EXPECT_EQ(window->getThread(), nullptr) << "round " << round << ": the thread is collected";
        EXPECT_FALSE(window->close()) << "closing again does nothing";
    }
}

TEST(WindowLifecycle, SeveralThreadsMayCloseAtOnce) {
    Watchdog watchdog("closing from several threads");
    auto window = Pointer<Window>::adopt(new Window());
    for (int round = 0; round < 15; ++round) {
        ASSERT_TRUE(window->open());
        std::atomic<int> closed{0};
        std::vector<std::thread> closers;
        for (int i = 0; i < 3; ++i)
            closers.emplace_back([&] { closed += window->close() ? 1 : 0; });
        for (std::thread& closer : closers)
            closer.join();
        EXPECT_EQ(closed.load(), 1) << "exactly one close finds the window open";
        EXPECT_EQ(window->getThread(), nullptr);
    }
}

TEST(WindowLifecycle, SettersRacingOpenAndCloseHandTheirValuesOver) {
    Watchdog watchdog("setters racing open and close");
    auto window = Pointer<Window>::adopt(new Window());
    std::atomic<bool> stop{false};
    std::thread titles([&] {
        for (int i = 0; !stop; ++i) {
            // Lengths that make the string reallocate.
            window->setTitle(std::string(size_t(1 + i % 97), char('a' + i % 26)).c_str());
        }
        window->setTitle("final");
    });
    std::thread sizes([&] {
        for (int i = 0; !stop; ++i) {
            window->setMinimumSize({float(2 + i % 7), float(2 + i % 5)});
            window->setSize({float(40 + i % 30), float(40 + i % 20)});
            (void)window->getTitle();
            (void)window->getFrame();
        }
    });
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(window->open());
        ASSERT_TRUE(window->close());
    }
    stop = true;
    titles.join();
    sizes.join();

    // No update was lost: the window created now shows the last title set.
    EXPECT_EQ(window->getTitle(), "final");
    ASSERT_TRUE(window->open());
    char text[16] = {};
    platform::getWindowText(window->getHandle(), text, sizeof text);
    EXPECT_STREQ(text, "final");
    // A title set while the window exists reaches it too.
    std::thread([&] { window->setTitle("later"); }).join();
    platform::getWindowText(window->getHandle(), text, sizeof text);
    EXPECT_STREQ(text, "later");
    EXPECT_TRUE(window->close());
}

// A window that lets go of itself when asked to close, as a program's only reference might.
class SelfReleasingWindow : public Window {
public:
    explicit SelfReleasingWindow(std::atomic<bool>& destroyed) : destroyed(destroyed) {}
    ~SelfReleasingWindow() override { destroyed = true; }
    bool onClose() override {
        close();
        release();
        return true;
    }

private:
    std::atomic<bool>& destroyed;
};

// A looper that releases itself when it handles a message.
class SelfReleasingLooper : public application::Looper {
public:
    explicit SelfReleasingLooper(std::atomic<bool>& destroyed) : destroyed(destroyed) {}
    ~SelfReleasingLooper() override { destroyed = true; }
    bool handleMessage(application::Message*) override {
        release();
        return true;
    }

private:
    std::atomic<bool>& destroyed;
};

TEST(WindowLifecycle, TheLastReferenceMayGoFromTheWindowsOwnThread) {
    // ThreadSanitizer starts a helper thread of its own with the process's first new thread; let it do so
    // before counting, so that only the threads of the windows and loopers are compared.
    std::thread([] {}).join();
    const size_t threads = threadCount();
    for (int round = 0; round < 10; ++round) {
        std::atomic<bool> destroyed{false};
        auto* window = new SelfReleasingWindow(destroyed);
        ASSERT_TRUE(window->open());
        platform::postMessage(window->getHandle(), platform::WM_CLOSE, 0, 0);
        ASSERT_TRUE(testing::eventually([&] { return destroyed.load(); }));
    }
    for (int round = 0; round < 10; ++round) {
        std::atomic<bool> destroyed{false};
        auto* looper = new SelfReleasingLooper(destroyed);
        ASSERT_TRUE(looper->start());
        ASSERT_TRUE(application::Messenger::post(looper, 1));
        ASSERT_TRUE(testing::eventually([&] { return destroyed.load(); }));
    }
    // Every thread has ended by itself: none is left waiting to be joined.
    EXPECT_TRUE(testing::eventually([&] { return threadCount() == threads; }));
}

// A window whose resize handling fails.
class FailingWindow : public Window {
public:
    bool onResize(const Rectangle& frame) override {
        if (isCreated() && frame.width == 123.0f)
            throw object::Exception("resize failed");
        return Window::onResize(frame);
    }
};

TEST(WindowLifecycleDeathTest, AnExceptionFromAProcedureEndsTheProcessFromTheWindowThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Standard output is what the test harness cannot match; route it to standard error.
            dup2(STDERR_FILENO, STDOUT_FILENO);
            auto window = Pointer<FailingWindow>::adopt(new FailingWindow());
            if (!window->open())
                std::_Exit(2);
            try {
                // The size message runs the procedure on the window thread.
                window->setSize({123, 50});
            } catch (...) {
                // The caller must not receive the window thread's failure.
                std::_Exit(4);
            }
            // The window thread ends the process meanwhile.
            std::this_thread::sleep_for(std::chrono::seconds(10));
            std::_Exit(0);
        },
    // std::_Exit(-1): Windows keeps the whole code, POSIX its low eight bits.
#ifdef _WIN32
        ::testing::ExitedWithCode(-1),
#else
        ::testing::ExitedWithCode(255),
#endif
        "resize failed");
}

} // namespace
} // namespace korvane::gui
