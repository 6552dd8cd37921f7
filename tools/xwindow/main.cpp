#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/xwindow/XWindows.h"

// Drives a top-level window from a script:
//   korvane_xwindow wait TITLE [seconds]   prints the window's id once it is shown (exit 1 on time-out)
//   korvane_xwindow close TITLE            asks the window to close, as its close button would
int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "wait") != 0 && std::strcmp(argv[1], "close") != 0)) {
        std::fprintf(stderr, "usage: %s wait TITLE [seconds] | close TITLE\n", argv[0]);
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
        result = korvane::tools::requestClose(display, window) ? 0 : 1;
    }
    XCloseDisplay(display);
    return result;
}
