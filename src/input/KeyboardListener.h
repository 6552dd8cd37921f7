#pragma once

#include <cstdint>

#include "application/Dispatcher.h"

namespace korvane::input {

/// Receives keyboard input: Win32 virtual-key codes, and characters with the gui character modifiers.
/// Every operation does nothing by default.
class KeyboardListener : public application::Listener<KeyboardListener> {
public:
    virtual ~KeyboardListener() = default;

    virtual void onKeyDown(uint32_t key);
    virtual void onKeyUp(uint32_t key);
    virtual void onChar(uint32_t code, uint32_t modifiers);
};

} // namespace korvane::input
