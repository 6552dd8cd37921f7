#pragma once

#include <cstdint>
#include <deque>

#include "platform/Window.h"

namespace korvane::platform {

// The input a thread's connection to its display translated from the display's events, waiting for the
// thread to take it, and the key press it took last (for its character message). Shared by the Unix
// backends' connections.
class InputQueue {
public:
    // Queues a message behind the input already translated.
    void queueInput(const Msg& msg) { input.push_back({msg, 0, 0}); }
    // Inserts the character message of the key message last taken from the queue.
    void translateKey(const Msg& msg);

protected:
    struct Input {
        Msg msg;
        uint32_t character;           // WM_CHAR code of a WM_KEYDOWN, 0 for none
        int sideKey;                  // VK_LSHIFT etc. for the key-state table, 0 for none
        uint32_t configureSerial = 0; // a configure request to answer (Wayland), 0 for none
    };

    // The first message of the queue, taken out when remove is set (the key-state table follows it);
    // false when the queue is empty.
    bool takeInput(Msg& msg, bool remove);
    // Drops what is queued for a window that goes.
    void forget(WindowRecord* window);

    std::deque<Input> input;
    Input lastKey{};
};

} // namespace korvane::platform
