#pragma once

#include <cstdint>

// Thread message queues, shaped after the Win32 ones: every thread gets a queue on first use; messages
// posted to a thread and the messages of the windows that thread owns arrive through one blocking get.
namespace korvane::platform {

using ThreadId = uint64_t;
using WParam = uintptr_t;
using LParam = intptr_t;
using Result = intptr_t;
using WindowHandle = struct WindowRecord*;

/// A window message: window is null for a thread message.
struct Msg {
    WindowHandle window = nullptr;
    uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_USER = 0x0400;

/// The calling thread's id (stable for the thread's life, never 0).
ThreadId currentThreadId();

/// Creates the calling thread's queue if it has none (what a PeekMessage probe does on Win32).
void ensureMessageQueue();

/// Posts a thread message. Fails (false) when the thread has no queue, e.g. it has not started yet or
/// has ended.
bool postThreadMessage(ThreadId thread, uint32_t message, WParam wParam, LParam lParam);

/// Waits for the next message of the calling thread: posted messages first in order, then window input,
/// then the quit request, and paint (one WM_PAINT per window needing it) only when nothing else waits.
/// Calls that other threads make on this thread's windows run inside the wait. Returns false for WM_QUIT.
bool getMessage(Msg& msg);

/// Takes the next message without waiting; false when none waits. Does not remove it when remove is false.
bool peekMessage(Msg& msg, bool remove);

/// Posts WM_QUIT with the exit code to the calling thread.
void postQuitMessage(int exitCode);

/// Calls the procedure of msg.window (nothing for a thread message) and returns its result.
Result dispatchMessage(const Msg& msg);

/// Generates the character message for a key message (WM_CHAR after WM_KEYDOWN), as Win32 does.
void translateMessage(const Msg& msg);

} // namespace korvane::platform
