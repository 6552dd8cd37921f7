#pragma once

#include "input/KeyboardListener.h"

namespace korvane::input {

// Keeps keyboard listeners. Key input is handled by the views and the overlay root themselves, so it
// offers no dispatch operation.
class KeyboardDispatcher : public application::Dispatcher<KeyboardListener> {
public:
    types::String getClassPath() const override;
};

} // namespace korvane::input
