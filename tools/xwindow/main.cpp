#include <X11/extensions/XTest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/xwindow/XWindows.h"

namespace {

// Holds the left button down in the middle of the window and circles the pointer around it, 120 pixels
// out, once a second, with a motion event every 5 ms (XTest, as a user's mouse would).
bool drag(Display* display, ::Window window, double seconds) {
    int width = 0, height = 0, x = 0, y = 0;
    ::Window child;
    if (!korvane::tools::windowSize(display, window, width, height) ||
        !XTranslateCoordinates(display, window, DefaultRootWindow(display), width / 2, height / 2, &x, &y,
                               &child))
        return false;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor))
        return false;
    XTestFakeMotionEvent(display, -1, x + 120, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const std::chrono::duration<double> since = std::chrono::steady_clock::now() - start;
        if (since.count() >= seconds)
            break;
        const double angle = 2.0 * 3.14159265358979 * since.count();
        XTestFakeMotionEvent(display, -1, x + int(120.0 * std::cos(angle)), y + int(120.0 * std::sin(angle)),
                             CurrentTime);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    return true;
}

} // namespace

// Drives a top-level window from a script:
//   korvane_xwindow wait TITLE [seconds]   prints the window's id once it is shown (exit 1 on time-out)
//   korvane_xwindow close TITLE            asks the window to close, as its close button would
//   korvane_xwindow drag TITLE seconds     drags with the left button held for that long
int main(int argc, char** argv) {
    const bool known =
        argc >= 3 && (std::strcmp(argv[1], "wait") == 0 || std::strcmp(argv[1], "close") == 0 ||
                      (std::strcmp(argv[1], "drag") == 0 && argc >= 4));
    if (!known) {
        std::fprintf(stderr, "usage: %s wait TITLE [seconds] | close TITLE | drag TITLE seconds\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: cannot open the X display\n", argv[0]);
        return 2;
    }
    int result = 1;
    if (std::strcmp(argv[1], "wait") == 0) {
        const int seconds = argc > 3 ? std::atoi(argv[3]) : 10;
        if (::Window window = korvane::tools::waitForWindow(display, argv[2], seconds * 1000)) {
            std::printf("0x%lx\n", static_cast<unsigned long>(window));
            result = 0;
        }
    } else if (::Window window = korvane::tools::findWindow(display, argv[2])) {
        if (std::strcmp(argv[1], "drag") == 0)
            result = drag(display, window, std::atof(argv[3])) ? 0 : 1;
        else
            result = korvane::tools::requestClose(display, window) ? 0 : 1;
    }
    XCloseDisplay(display);
    return result;
}
