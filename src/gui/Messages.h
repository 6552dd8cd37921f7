#pragma once

#include <cstdint>
#include <optional>

#include "gui/Geometry.h"
#include "platform/Window.h"

// The decoding of the paint and input messages that windows and views both handle; used by their window
// procedures only.
namespace korvane::gui::detail {

/// A key, character, pointer or wheel message in the terms of the handlers.
struct InputMessage {
    enum class Kind { KeyDown, KeyRepeat, KeyUp, Character, MouseMove, MouseButton, MouseWheel };
    Kind kind = Kind::KeyDown;
    /// The virtual key, the character or the button code (ButtonLeftDown ...).
    uint32_t code = 0;
    /// The character modifiers of a character, the mouse state word of a move or wheel step.
    uint32_t state = 0;
    /// Pointer position in client coordinates; signed, as it leaves the client area while a button is held.
    Point position;
    /// Wheel steps, WHEEL_DELTA per notch.
    float delta = 0.0f;
};

/// The decoded message, or nothing for a message that is not input.
std::optional<InputMessage> decodeInput(uint32_t message, platform::WParam wParam, platform::LParam lParam);

/// Answers WM_PAINT: validates the window and hands the area to paint to paint(const Rectangle&).
template <typename Paint> void paintMessage(platform::WindowHandle handle, Paint&& paint) {
    platform::PaintStruct request;
    platform::beginPaint(handle, request);
    paint(paintRectangle(request));
    platform::endPaint(handle, request);
}

} // namespace korvane::gui::detail
