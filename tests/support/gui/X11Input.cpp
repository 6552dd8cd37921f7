#include "support/gui/GuiTesting.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>

// Synthetic input through XTest on a connection of its own; a lock file keeps users apart.
namespace korvane::gui::testing {

struct SyntheticInput::State {
    int lockFile = -1;
    Display* display = nullptr;
};

SyntheticInput::SyntheticInput() : state(std::make_unique<State>()) {
    state->lockFile = open("/tmp/korvane-synthetic-input.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (state->lockFile >= 0)
        flock(state->lockFile, LOCK_EX);
    // The server resets when its last client leaves, and refuses connections while it does: try again.
    for (int attempt = 0; !state->display && attempt < 200; ++attempt) {
        state->display = XOpenDisplay(nullptr);
        if (!state->display)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    int event, error, major, minor;
    if (state->display && !XTestQueryExtension(state->display, &event, &error, &major, &minor)) {
        XCloseDisplay(state->display);
        state->display = nullptr;
    }
}

SyntheticInput::~SyntheticInput() {
    if (state->display)
        XCloseDisplay(state->display);
    if (state->lockFile >= 0)
        close(state->lockFile);
}

bool SyntheticInput::isAvailable() const {
    return state->display != nullptr;
}

void SyntheticInput::moveTo(int x, int y) {
    XTestFakeMotionEvent(state->display, -1, x, y, CurrentTime);
    XSync(state->display, False);
}

void SyntheticInput::button(unsigned int button, bool press) {
    XTestFakeButtonEvent(state->display, button, press, CurrentTime);
    XSync(state->display, False);
}

void SyntheticInput::key(Key which, bool press) {
    // By the order of Key.
    static constexpr KeySym keysyms[] = {XK_a, XK_b, XK_c, XK_Return, XK_Escape, XK_Shift_L};
    const KeySym keysym = keysyms[static_cast<int>(which)];
    Display* display = state->display;
    ::Window root = DefaultRootWindow(display), rootReturn = 0, child = 0;
    int rootX, rootY, x, y;
    unsigned int mask;
    if (XQueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask) && child)
        XSetInputFocus(display, child, RevertToPointerRoot, CurrentTime);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, keysym), press, CurrentTime);
    XSync(display, False);
}

uint32_t SyntheticInput::pixel(int x, int y) {
    XImage* image =
        XGetImage(state->display, DefaultRootWindow(state->display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0xFFFFFFFF;
    const uint32_t value = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return value;
}

} // namespace korvane::gui::testing
