#pragma once

// The window system code the Unix backends share (this folder) is built against the chosen backend's
// window records and functions: `backend::` names that backend's namespace, whose header declares what
// both backends' files use alike (callProcedure, onOwner, ...). Below: first what each backend defines for
// the shared code, then what the shared code defines for the backend's own files.
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

// Defined by the backend.
// Creates what shows the record on the display (its geometry, parent and connection are set); false, with
// nothing of it left and the error code set, when that fails.
bool createNative(WindowRecord* window);
// Moves and sizes what shows the window to the geometry its record now has.
void placeNative(WindowRecord* window, bool moved, bool sized);
// The window functions on a window of the calling thread, as showWindow and destroyWindow describe them.
bool show(WindowRecord* window, bool visible);
bool destroy(WindowRecord* window);
// GL contexts (GLContextRecord below). Creates the native context for the window's pixel format; false,
// with the error code set, when that fails.
bool createNativeContext(WindowRecord* window, NativeContext& context);
void destroyNativeContext(GLContextRecord* context);
// Makes the context current with the window (of its thread, format and connection); false when that fails.
bool makeNativeCurrent(WindowRecord* window, GLContextRecord* context);
// Makes no context current on the calling thread (current: the one that is).
void releaseNativeContext(GLContextRecord* current);
// Shows the window's new title.
void titleChanged(WindowRecord* window);
// The pointer is over the window itself (not over one of its children).
bool pointerOver(WindowRecord* window);

// Defined here (platform/unix).
// The whole client area needs painting (erase: and its background erasing).
void markWhole(WindowRecord* window, bool erase);
// Marks the window and its descendants as being destroyed; then WM_DESTROY goes to the window and its
// descendants, parents first (the whole tree is marked first, so a procedure that destroys one of them
// meanwhile changes nothing).
void markDestroying(WindowRecord* window);
void sendDestroy(WindowRecord* window);
// The key-state table follows an input message as the thread takes it from the queue (sideKey: VK_LSHIFT
// etc. with a key message, 0 for none).
void noteTaken(const Msg& msg, int sideKey);
// The next of the windows, round robin from cursor on, that waits for WM_PAINT, as msg; cursor moves past
// it. False when none does.
bool nextPaintOf(const std::vector<WindowRecord*>& windows, size_t& cursor, Msg& msg);
// The WM_KEYDOWN or WM_KEYUP message of a key (scanCode: the hardware code Win32 would report; wasDown:
// the key was down before a press, which makes it a repeat).
Msg keyMessage(WindowRecord* window, bool press, bool wasDown, int scanCode, bool extended, int key);
// Keeps Mesa's DRI driver and `library` (the GL or EGL library that loaded it) loaded for the life of the
// process: they would otherwise be unloaded with a connection's display and loaded again for the next
// window, and their own allocations stay reachable for leak checks at exit. A library already kept is only
// counted once more.
void keepDriverLoaded(const char* library);
// How far a pixel format (have; caveat: the driver marks it slow or non-conformant; samples: its
// multisampling) is from the request, lower is better: LLONG_MAX for another pixel type, then missing
// planes that were asked for weigh most, then the buffering, the caveat, samples and extra planes.
long long scorePixelFormat(const PixelFormatDescriptor& request, const PixelFormatDescriptor& have,
                           bool caveat, int samples);

} // namespace KORVANE_BACKEND_NAMESPACE

namespace backend = KORVANE_BACKEND_NAMESPACE;

// A GL context: made by one thread on a window's connection, for one pixel format.
struct GLContextRecord {
    backend::Connection* connection = nullptr;
    ThreadId thread = 0;
    int format = 0;
    backend::NativeContext context{};
};

} // namespace korvane::platform
