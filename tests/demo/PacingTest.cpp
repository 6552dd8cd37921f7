#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "demo/MainWindow.h"
#include "demo/OpenGLTicker.h"
#include "demo/SceneView.h"
#include "object/Pointer.h"
#include "support/demo/SceneWindow.h"

using korvane::object::Pointer;
using Clock = std::chrono::steady_clock;

namespace {

// The scene view with frames that take no time, except one that takes 200 ms when asked; it notes when
// each frame reached the window.
class PacedView : public korvane::demo::SceneView {
public:
    using SceneView::SceneView;
    void render() override {
        if (slowFrame.exchange(false))
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    void presented() override {
        SceneView::presented();
        std::lock_guard lock(mutex);
        shown.push_back(Clock::now());
    }
    std::vector<Clock::time_point> frames() {
        std::lock_guard lock(mutex);
        return shown;
    }
    std::atomic<bool> slowFrame{false};

private:
    std::mutex mutex;
    std::vector<Clock::time_point> shown;
};

} // namespace

// The ticks that come while a frame is drawn merge into one repaint: a slow frame is followed by one frame
// at once and then by the ticker's pace, not by a burst of the ticks it held up.
TEST(PacingTest, ASlowFrameIsFollowedByOneRepaintNotByTheTicksItHeldUp) {
    korvane::demo::test::InRunDirectory directory;
    auto window = Pointer<korvane::demo::MainWindow>::adopt(new korvane::demo::MainWindow);
    auto view = Pointer<PacedView>::adopt(new PacedView({0.0f, 0.0f, 600.0f, 500.0f}));
    window->addView(view.get());
    ASSERT_TRUE(window->open());
    auto ticker = Pointer<korvane::demo::OpenGLTicker>::adopt(new korvane::demo::OpenGLTicker(view.get()));
    ticker->setPeriod(14);
    ticker->start();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    view->slowFrame = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ticker->stop();
    window->close();

    const std::vector<Clock::time_point> frames = view->frames();
    size_t slow = 1;
    while (slow < frames.size() && frames[slow] - frames[slow - 1] < std::chrono::milliseconds(150))
        ++slow;
    ASSERT_LT(slow + 4, frames.size()) << "no slow frame among " << frames.size();
    // About 14 ticks came during the slow frame. They give one frame at once; the next tick comes within a
    // period, and the two after it a period apart each (later on a loaded machine, never sooner).
    EXPECT_GE(frames[slow + 4] - frames[slow], std::chrono::milliseconds(27));
}
