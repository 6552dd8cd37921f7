#include "support/gui/GuiTesting.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/wayland/WaylandWindow.h"

// Synthetic input through the Wayland backend's emulated seat (a compositor lets no client fake input),
// and the screen as the frames the program's windows presented; a lock file keeps users apart.
namespace korvane::gui::testing {

namespace wayland = platform::wayland;

struct SyntheticInput::State {
    int lockFile = -1;
    int x = 0, y = 0;
};

SyntheticInput::SyntheticInput() : state(std::make_unique<State>()) {
    state->lockFile = open("/tmp/korvane-synthetic-input.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (state->lockFile >= 0)
        flock(state->lockFile, LOCK_EX);
    wayland::emulateSeat();
    wayland::captureFrames(true);
}

SyntheticInput::~SyntheticInput() {
    if (state->lockFile >= 0)
        close(state->lockFile);
}

bool SyntheticInput::isAvailable() const {
    return true;
}

void SyntheticInput::moveTo(int x, int y) {
    state->x = x;
    state->y = y;
    wayland::injectPointerMotion(x, y);
}

void SyntheticInput::button(unsigned int button, bool press) {
    // X's numbering: 1 left, 2 middle, 3 right, 4 and 5 the wheel; evdev codes for the buttons.
    static constexpr uint32_t codes[] = {0, 0x110, 0x112, 0x111};
    if (button >= 1 && button <= 3)
        wayland::injectPointerButton(codes[button], press);
    else if ((button == 4 || button == 5) && press)
        wayland::injectWheel(button == 4 ? 1 : -1);
}

void SyntheticInput::key(Key which, bool press) {
    // By the order of Key: evdev codes of a, b, c, Return, Escape, left Shift.
    static constexpr uint32_t codes[] = {30, 48, 46, 28, 1, 42};
    wayland::injectFocusAt(state->x, state->y);
    wayland::injectKey(codes[static_cast<int>(which)], press);
}

uint32_t SyntheticInput::pixel(int x, int y) {
    return wayland::shownPixel(x, y) & 0xFFFFFF;
}

} // namespace korvane::gui::testing
