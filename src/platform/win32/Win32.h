#pragma once

// The layer's headers come first: windows.h defines the Win32 names they declare (WM_PAINT, FILE_BEGIN, ...)
// as macros of the same values.
#include "platform/Error.h"
#include "platform/File.h"
#include "platform/GL.h"
#include "platform/MessageQueue.h"
#include "platform/Window.h"

#include <exception>
#include <functional>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The layer's handles are the Win32 ones under other names; these helpers convert between the two.
namespace korvane::platform::win32 {

inline HWND toHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
inline WindowHandle toHandle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}
inline HDC toHdc(DeviceContext dc) {
    return reinterpret_cast<HDC>(dc);
}
inline DeviceContext toDeviceContext(HDC dc) {
    return reinterpret_cast<DeviceContext>(dc);
}

inline MSG toMsg(const Msg& msg) {
    MSG out{};
    out.hwnd = toHwnd(msg.window);
    out.message = msg.message;
    out.wParam = msg.wParam;
    out.lParam = msg.lParam;
    return out;
}
inline Msg fromMsg(const MSG& msg) {
    return Msg{toHandle(msg.hwnd), msg.message, msg.wParam, msg.lParam};
}

// An exception that escaped a window procedure is held here, on the thread that ran the procedure, and
// thrown again once the Win32 call that ran it has returned: C++ exceptions never unwind through user32.
void holdException(std::exception_ptr exception);
void rethrowHeldException();

// Runs the call on the window's own thread (through a message sent to it when that is another thread and
// the window is of a class registered here; otherwise on this thread) and returns its result.
LRESULT runOnOwner(HWND window, const std::function<LRESULT()>& call);

// Under Wine, GL for a child window goes through a hidden stand-in window (see GL.cpp): it follows the
// child's size, and the child's destruction takes it along.
void resizeStandIn(HWND child);
void releaseStandIn(HWND child);

} // namespace korvane::platform::win32
