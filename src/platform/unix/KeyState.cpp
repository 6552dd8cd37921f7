// The key-state table of each thread: what the input messages it took said of the keys and mouse buttons.
#include "platform/unix/Backend.h"

namespace korvane::platform {

namespace {

thread_local unsigned char keyStates[256];

} // namespace

void backend::setKeyState(int virtualKey, bool down) {
    if (virtualKey <= 0 || virtualKey > 255) {
        return;
    }
    unsigned char& state = keyStates[virtualKey];
    if (down) {
        // Bit 0 toggles on every press that is not a repeat.
        state = (state & 0x80) ? state : static_cast<unsigned char>((state ^ 1) | 0x80);
    } else {
        state &= 1;
    }
}

void backend::noteTaken(const Msg& msg, int sideKey) {
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        setKeyState(static_cast<int>(msg.wParam), msg.message == WM_KEYDOWN);
        if (sideKey) {
            setKeyState(sideKey, msg.message == WM_KEYDOWN);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        setKeyState(VK_LBUTTON, msg.message == WM_LBUTTONDOWN);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        setKeyState(VK_RBUTTON, msg.message == WM_RBUTTONDOWN);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        setKeyState(VK_MBUTTON, msg.message == WM_MBUTTONDOWN);
        break;
    default:
        break;
    }
}

int16_t getKeyState(int virtualKey) {
    if (virtualKey <= 0 || virtualKey > 255) {
        return 0;
    }
    unsigned char state = keyStates[virtualKey];
    return static_cast<int16_t>(((state & 0x80) ? 0x8000 : 0) | (state & 1));
}

Msg backend::keyMessage(WindowRecord* window, bool press, bool wasDown, int scanCode, bool extended,
                        int key) {
    LParam lParam = 1 | (static_cast<LParam>(scanCode & 0xFF) << 16);
    if (extended) {
        lParam |= KF_EXTENDED;
    }
    if (press && wasDown) {
        lParam |= KF_REPEAT;
    }
    if (!press) {
        lParam |= KF_REPEAT | KF_UP;
    }
    return Msg{window, press ? WM_KEYDOWN : WM_KEYUP, static_cast<WParam>(key), lParam};
}

} // namespace korvane::platform
