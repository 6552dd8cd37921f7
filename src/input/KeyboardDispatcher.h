#pragma once

#include "input/KeyboardListener.h"

namespace korvane::input {

/// Hands keyboard input to its listeners, in the order they were added. The views and the overlay root
/// handle their keys themselves; this serves listeners that want keys too.
/// Used on one thread, the one whose input it dispatches. Dispatcher and listeners hold no counted
/// references on each other.
class KeyboardDispatcher : public application::Dispatcher<KeyboardListener> {
public:
    void dispatchKeyDown(uint32_t key);
    void dispatchKeyUp(uint32_t key);
    void dispatchChar(uint32_t code, uint32_t modifiers);

    types::String getClassPath() const override;
};

} // namespace korvane::input
