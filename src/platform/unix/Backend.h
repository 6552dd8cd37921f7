#pragma once

// The window system code the Unix backends share (this folder) is built against the chosen backend's
// window records and functions: `backend::` names that backend's namespace, which declares what both
// backends' files use alike (callProcedure, onOwner, ...) and defines the functions declared below.
#if defined(KORVANE_BACKEND_WAYLAND)
#include "platform/wayland/WaylandWindow.h"
#define KORVANE_BACKEND_NAMESPACE wayland
#elif defined(KORVANE_BACKEND_X11)
#include "platform/x11/X11Window.h"
#define KORVANE_BACKEND_NAMESPACE x11
#else
#error "platform/unix is built with a Unix backend: KORVANE_BACKEND_X11 or KORVANE_BACKEND_WAYLAND"
#endif

namespace korvane::platform {

namespace KORVANE_BACKEND_NAMESPACE {

// The window functions on a window of the calling thread, as createWindow, showWindow, setWindowPos and
// destroyWindow describe them (parent: a window of the calling thread or null).
WindowHandle create(const WindowClass& windowClass, const char* className, uint32_t exStyle,
                    const char* title, uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                    WindowRecord* parent, void* param);
bool show(WindowRecord* window, bool visible);
bool move(WindowRecord* window, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
bool destroy(WindowRecord* window);
// Shows the window's new title.
void titleChanged(WindowRecord* window);
// The pointer is over the window itself (not over one of its children).
bool pointerOver(WindowRecord* window);

// Shared with the backend's connection (platform/unix).
// The key-state table follows an input message as the thread takes it from the queue (sideKey: VK_LSHIFT
// etc. with a key message, 0 for none).
void noteTaken(const Msg& msg, int sideKey);
// The next of the windows, round robin from cursor on, that waits for WM_PAINT, as msg; cursor moves past
// it. False when none does.
bool nextPaintOf(const std::vector<WindowRecord*>& windows, size_t& cursor, Msg& msg);

} // namespace KORVANE_BACKEND_NAMESPACE

namespace backend = KORVANE_BACKEND_NAMESPACE;

} // namespace korvane::platform
