#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <array>
#include <chrono>
#include <string>
#include <thread>

#include "support/demo/Program.h"

using korvane::demo::test::Program;
using korvane::demo::test::runDirectory;

// The program itself under close requests and resizes that arrive at awkward moments: whatever the moment,
// it must end by itself with exit code 1, quietly (a sanitizer build reports leaks and races on its way out).

namespace {

void sleepFor(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Requests to a window that is already gone fail with BadWindow; that is expected here.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

class IgnoredErrors {
public:
    IgnoredErrors() : previous(XSetErrorHandler(ignoreErrors)) {}
    ~IgnoredErrors() { XSetErrorHandler(previous); }

private:
    int (*previous)(Display*, XErrorEvent*);
};

// Waits for the program to end (the watchdog: 30 s) and checks that it ended as closing the window ends it.
void expectClosed(Program& program, const std::string& what) {
    const int code = program.wait(30000);
    if (code < 0)
        ADD_FAILURE() << what << ": still running after 30 s\n" << program.stacks() << program.output();
    else
        EXPECT_EQ(code, 1) << what << "\n" << program.output();
    const std::string output = program.output();
    for (const char* report : {"Sanitizer", "runtime error", "Korvane:"})
        EXPECT_EQ(output.find(report), std::string::npos) << what << "\n" << output;
}

// Sizes a user or a window manager might ask for, below the minimum of 256 x 256 among them.
constexpr std::array<std::array<unsigned, 2>, 9> Sizes = {
    {{1, 1}, {700, 520}, {255, 255}, {80, 900}, {256, 256}, {1000, 40}, {600, 500}, {3, 300}, {420, 330}}};

} // namespace

TEST(StormTest, CloseRequestsDuringTheFirstFramesEndTheProgramWithExitCodeOne) {
    // The first frame waits for the driver to compile the shaders: the earliest requests arrive while the
    // scene is built or drawn for the first time, the later ones between the first frames. Some come twice.
    for (const int delay : {0, 0, 5, 40, 150, 500}) {
        const std::string what = "close " + std::to_string(delay) + " ms after the window appeared";
        Program program(runDirectory());
        const ::Window window = program.waitForWindow();
        ASSERT_NE(window, 0u) << what << "\n" << program.output();
        sleepFor(delay);
        IgnoredErrors ignored;
        ASSERT_TRUE(korvane::tools::requestClose(program.display(), window)) << what;
        if (delay < 10)
            korvane::tools::requestClose(program.display(), window);
        expectClosed(program, what);
    }
}

TEST(StormTest, ACloseRequestInTheMiddleOfResizingEndsTheProgramWithExitCodeOne) {
    for (const int closeAt : {0, 30, 120}) {
        const std::string what = "close after " + std::to_string(closeAt) + " resizes";
        Program program(runDirectory());
        const ::Window window = program.waitForWindow();
        ASSERT_NE(window, 0u) << what << "\n" << program.output();
        Display* display = program.display();
        IgnoredErrors ignored;
        // Resizing goes on after the request, until the window is gone.
        for (int i = 0; i < 300 && program.isRunning(); ++i) {
            if (i == closeAt)
                korvane::tools::requestClose(display, window);
            const auto& size = Sizes[size_t(i) % Sizes.size()];
            XResizeWindow(display, window, size[0], size[1]);
            XFlush(display);
            if (i % 8 == 0)
                sleepFor(2);
        }
        expectClosed(program, what);
    }
}

TEST(StormTest, AThousandResizesLeaveTheWindowAtLeastAtItsMinimumAndDrawing) {
    Program program(runDirectory());
    const ::Window window = program.waitForWindow();
    ASSERT_NE(window, 0u) << program.output();
    Display* display = program.display();
    for (int i = 0; i < 1000; ++i) {
        const auto& size = Sizes[size_t(i) % Sizes.size()];
        XResizeWindow(display, window, size[0], size[1]);
        if (i % 25 == 0)
            XSync(display, False);
    }
    // Last, a size below the minimum: the window grows back to 256 x 256.
    XResizeWindow(display, window, 10, 10);
    XSync(display, False);
    int width = 0, height = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline &&
           (!korvane::tools::windowSize(display, window, width, height) || width != 256 || height != 256))
        sleepFor(50);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 256);
    ASSERT_TRUE(program.isRunning()) << program.output();

    // It still draws: the spheres move from one picture to the next.
    long changed = 0;
    korvane::tools::Picture previous = korvane::tools::capture(display, window);
    for (int i = 0; i < 100 && changed < 500; ++i) {
        sleepFor(100);
        const korvane::tools::Picture next = korvane::tools::capture(display, window);
        changed = korvane::demo::test::countDifferences(previous, next, 6);
    }
    EXPECT_GE(changed, 500) << "no new frames after the resizes";

    ASSERT_TRUE(korvane::tools::requestClose(display, window));
    expectClosed(program, "closed after 1000 resizes");
}
