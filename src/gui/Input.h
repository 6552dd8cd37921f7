#pragma once

#include <cstdint>

#include "gui/Geometry.h"
#include "platform/MessageQueue.h"

namespace korvane::gui {

/// Mouse button events carry exactly one of the six button codes. A mouse state word holds, for each
/// button, its Down code while it is held and its Up code otherwise, plus the modifier codes.
///@{
constexpr uint32_t ButtonLeftDown = 0x1000;
constexpr uint32_t ButtonMiddleDown = 0x2000;
constexpr uint32_t ButtonRightDown = 0x4000;
constexpr uint32_t ButtonLeftUp = 0x10000;
constexpr uint32_t ButtonMiddleUp = 0x20000;
constexpr uint32_t ButtonRightUp = 0x40000;
constexpr uint32_t ModifierShift = 0x3;
constexpr uint32_t ModifierControl = 0xC;
///@}

/// Character modifiers: one bit per modifier key held while a character was typed.
///@{
constexpr uint32_t CharacterLeftShift = 0x01;
constexpr uint32_t CharacterRightShift = 0x02;
constexpr uint32_t CharacterLeftControl = 0x04;
constexpr uint32_t CharacterRightControl = 0x08;
constexpr uint32_t CharacterLeftAlt = 0x10;
constexpr uint32_t CharacterRightAlt = 0x20;
constexpr uint32_t CharacterLeftWindows = 0x40;
constexpr uint32_t CharacterRightWindows = 0x80;
constexpr uint32_t CharacterApplications = 0xC0;
///@}

/// Edges of the window's client area a view keeps its distance to when the window is resized.
///@{
constexpr uint32_t AnchorLeft = 0x01;
constexpr uint32_t AnchorRight = 0x02;
constexpr uint32_t AnchorTop = 0x10;
constexpr uint32_t AnchorBottom = 0x20;
///@}

/// The anchor layout of a child when its parent's size changes by `change`: anchored to both edges of an
/// axis, the frame stretches along it; anchored to the right (bottom) edge alone, it moves with that edge;
/// otherwise it keeps its place on that axis. Returns false, leaving the frame alone, for a child without
/// anchors, which then needs no new layout.
bool applyAnchors(Rectangle& frame, uint32_t anchors, const Size& change);

/// The mouse state word for the key-state word of a mouse message (MK_ bits).
uint32_t getMouseState(uintptr_t keyState);

/// The character modifiers of the calling thread's current key state.
uint32_t getCharacterModifiers();

} // namespace korvane::gui
