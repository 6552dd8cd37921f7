#include "gui/Messages.h"

#include "gui/Input.h"

namespace korvane::gui::detail {

namespace {

Point positionOf(platform::LParam lParam) {
    return {float(platform::getXLParam(lParam)), float(platform::getYLParam(lParam))};
}

InputMessage button(uint32_t code, platform::LParam lParam) {
    InputMessage input;
    input.kind = InputMessage::Kind::MouseButton;
    input.code = code;
    input.position = positionOf(lParam);
    return input;
}

} // namespace

std::optional<InputMessage> decodeInput(uint32_t message, platform::WParam wParam, platform::LParam lParam) {
    using namespace platform;
    using Kind = InputMessage::Kind;
    InputMessage input;
    switch (message) {
    case WM_KEYDOWN:
        input.kind = (lParam & KF_REPEAT) ? Kind::KeyRepeat : Kind::KeyDown;
        input.code = uint32_t(wParam);
        return input;
    case WM_KEYUP:
        input.kind = Kind::KeyUp;
        input.code = uint32_t(wParam);
        return input;
    case WM_CHAR:
        input.kind = Kind::Character;
        input.code = uint32_t(wParam);
        input.state = getCharacterModifiers();
        return input;
    case WM_MOUSEMOVE:
        input.kind = Kind::MouseMove;
        input.position = positionOf(lParam);
        input.state = getMouseState(wParam);
        return input;
    case WM_LBUTTONDOWN:
        return button(ButtonLeftDown, lParam);
    case WM_LBUTTONUP:
        return button(ButtonLeftUp, lParam);
    case WM_RBUTTONDOWN:
        return button(ButtonRightDown, lParam);
    case WM_RBUTTONUP:
        return button(ButtonRightUp, lParam);
    case WM_MBUTTONDOWN:
        return button(ButtonMiddleDown, lParam);
    case WM_MBUTTONUP:
        return button(ButtonMiddleUp, lParam);
    case WM_MOUSEWHEEL:
        input.kind = Kind::MouseWheel;
        input.delta = float(getWheelDelta(wParam));
        input.state = getMouseState(lowWord(wParam));
        return input;
    default:
        return std::nullopt;
    }
}

} // namespace korvane::gui::detail
