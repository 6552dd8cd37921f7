#pragma once

#include <cstdint>

#include "platform/GL.h"
#include "platform/MessageQueue.h"

// Windows, shaped after the Win32 windowing services: window classes, top-level and child windows with
// a window procedure, painting, sizes, mouse-leave tracking and key state. Message codes and parameter
// packing are those of Win32, so Win32 message tables apply as written.
//
// A window belongs to the thread that created it; its procedure runs on that thread only, from
// dispatchMessage or from a synchronous call made by the layer (creation, size, move, destruction).
// Operations called from another thread are carried out on the owning thread while the caller waits,
// except invalidateRect, which only marks the window and wakes its thread. A child window whose parent
// belongs to another thread is created on the parent's thread and belongs to it. An exception escaping a
// procedure goes up the owning thread's stack, whichever thread sent the message; the sender's call fails.
//
// Under Wayland no client learns or chooses where the compositor shows its windows, and none may read the
// screen. There screen coordinates are the program's own: a top-level window stands where the program
// last placed it (CW_USEDEFAULT: 0, 0), and moving it changes only that position; WM_MOVE, getWindowRect,
// clientToScreen, screenToClient and the wheel's pointer position use it. A hidden top-level window is
// unmapped and presents nothing.
namespace korvane::platform {

using WindowProcedure = Result (*)(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

/// A point in pixels (Win32 POINT).
struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

/// A rectangle by its edges in pixels, right and bottom exclusive (Win32 RECT).
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

/// lParam of WM_GETMINMAXINFO. The procedure may change the tracking sizes; the layer enforces them on
/// top-level windows whenever their size changes.
struct MinMaxInfo {
    Point reserved;
    Point maxSize;
    Point maxPosition;
    Point minTrackSize;
    Point maxTrackSize;
};

/// lParam of WM_CREATE.
struct CreateStruct {
    void* createParams = nullptr;
    WindowHandle parent = nullptr;
    int32_t height = 0;
    int32_t width = 0;
    int32_t y = 0;
    int32_t x = 0;
    uint32_t style = 0;
    const char* name = nullptr;
    const char* className = nullptr;
    uint32_t exStyle = 0;
};

/// Filled in by beginPaint: the device context and the rectangle to repaint (Win32 PAINTSTRUCT).
struct PaintStruct {
    DeviceContext dc = nullptr;
    bool erase = false;
    Rect paint;
};

/// What registerClass takes: class style, window procedure, extra bytes and name (Win32 WNDCLASS).
struct WindowClass {
    uint32_t style = 0;
    WindowProcedure procedure = nullptr;
    int32_t classExtra = 0;
    /// Bytes of per-window extra memory, read and written with getWindowLongPtr at byte offsets.
    int32_t windowExtra = 0;
    const char* name = nullptr;
};

/// What trackMouseEvent takes: TME_* flags and the window to watch (Win32 TRACKMOUSEEVENT).
struct TrackMouseEvent {
    uint32_t flags = 0;
    WindowHandle window = nullptr;
    uint32_t hoverTime = 0;
};

/// Messages.
///@{
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_GETMINMAXINFO = 0x0024;
constexpr uint32_t WM_NCDESTROY = 0x0082;
// Keyboard messages go to the top-level window with the keyboard focus, never to its child windows.
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
constexpr uint32_t WM_QUERYNEWPALETTE = 0x030F;
constexpr uint32_t WM_PALETTECHANGED = 0x0311;
///@}

/// WM_ACTIVATE (low word of wParam) and WM_SIZE (wParam).
///@{
constexpr uint32_t WA_INACTIVE = 0;
constexpr uint32_t WA_ACTIVE = 1;
constexpr uint32_t WA_CLICKACTIVE = 2;
constexpr uint32_t SIZE_RESTORED = 0;
///@}

/// Key-state bits of mouse messages (wParam, the low word for WM_MOUSEWHEEL).
///@{
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;
constexpr uint32_t MK_SHIFT = 0x0004;
constexpr uint32_t MK_CONTROL = 0x0008;
constexpr uint32_t MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;
///@}

/// Bits of lParam of key messages (bits 0-15 repeat count, 16-23 scan code).
///@{
constexpr LParam KF_EXTENDED = 1 << 24;
constexpr LParam KF_REPEAT = 1 << 30;
constexpr LParam KF_UP = LParam(1) << 31;
///@}

/// Class and window styles.
///@{
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_DBLCLKS = 0x0008;
constexpr uint32_t CS_OWNDC = 0x0020;
constexpr uint32_t WS_OVERLAPPED = 0x00000000;
constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_THICKFRAME = 0x00040000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr int32_t CW_USEDEFAULT = INT32_MIN;
///@}

/// showWindow commands.
///@{
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
///@}

/// setWindowPos flags.
///@{
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOREDRAW = 0x0008;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
constexpr uint32_t SWP_HIDEWINDOW = 0x0080;
constexpr uint32_t SWP_NOCOPYBITS = 0x0100;
constexpr uint32_t SWP_NOSENDCHANGING = 0x0400;
///@}

/// getWindowLongPtr / setWindowLongPtr indexes (non-negative indexes are byte offsets of the extra memory).
///@{
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_USERDATA = -21;
///@}

/// trackMouseEvent flags.
///@{
constexpr uint32_t TME_LEAVE = 0x00000002;
constexpr uint32_t TME_CANCEL = 0x80000000;
///@}

/// Virtual-key codes.
///@{
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_CLEAR = 0x0C;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
// '0'-'9' and 'A'-'Z' are their own codes.
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SEPARATOR = 0x6C;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70; // VK_F1 + n - 1 for Fn, up to F24
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA; // ;:
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF; // /?
constexpr int VK_OEM_3 = 0xC0; // `~
constexpr int VK_OEM_4 = 0xDB; // [{
constexpr int VK_OEM_5 = 0xDC; // \|
constexpr int VK_OEM_6 = 0xDD; // ]}
constexpr int VK_OEM_7 = 0xDE; // '"
constexpr int VK_OEM_102 = 0xE2;
///@}

/// Parameter packing.
constexpr uint16_t lowWord(uintptr_t value) {
    return static_cast<uint16_t>(value & 0xFFFF);
}
constexpr uint16_t highWord(uintptr_t value) {
    return static_cast<uint16_t>((value >> 16) & 0xFFFF);
}
constexpr LParam makeLParam(int32_t low, int32_t high) {
    return static_cast<LParam>(static_cast<uint32_t>(static_cast<uint16_t>(low)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}
constexpr WParam makeWParam(int32_t low, int32_t high) {
    return static_cast<WParam>(makeLParam(low, high));
}
/// Signed coordinates of a mouse message.
constexpr int32_t getXLParam(LParam value) {
    return static_cast<int16_t>(lowWord(static_cast<uintptr_t>(value)));
}
constexpr int32_t getYLParam(LParam value) {
    return static_cast<int16_t>(highWord(static_cast<uintptr_t>(value)));
}
constexpr int32_t getWheelDelta(WParam value) {
    return static_cast<int16_t>(highWord(value));
}

/// Registers a class for createWindow; false when the name is taken or the class is incomplete.
bool registerClass(const WindowClass& windowClass);
/// Unregisters a class; false when it does not exist. Existing windows keep working.
bool unregisterClass(const char* name);

/// Creates a window of a registered class: a child window with WS_CHILD and a parent, otherwise a
/// top-level window (CW_USEDEFAULT picks the position). Position and size are the window's, frame
/// included: adjustWindowRectEx tells the frame of a style (Win32 draws one around overlapped windows; on
/// X11 the window manager frames windows outside, so there is none). The minimum/maximum tracking sizes
/// apply to top-level windows. WM_CREATE arrives with a CreateStruct carrying param before this returns;
/// a procedure that answers it with -1 makes the creation fail (null). Child windows receive WM_SIZE and
/// WM_MOVE right after WM_CREATE, top-level windows when first shown.
WindowHandle createWindow(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                          int32_t x, int32_t y, int32_t width, int32_t height, WindowHandle parent,
                          void* param);
/// Sends WM_DESTROY to the window and then to its descendants and destroys them all; a GL context current
/// on one of them is made not current. Once a window's destruction has begun (its WM_DESTROY), destroying
/// it or a descendant again fails. The thread's X connection is closed with its last window.
bool destroyWindow(WindowHandle window);
/// True while the handle names a live window.
bool isWindow(WindowHandle window);
WindowHandle getParent(WindowHandle window);
/// The thread that owns the window, 0 for an invalid handle.
ThreadId getWindowThreadId(WindowHandle window);

/// SW_SHOW/SW_SHOWNORMAL or SW_HIDE; returns whether the window was visible before.
bool showWindow(WindowHandle window, int command);
bool isWindowVisible(WindowHandle window);
/// Sends WM_PAINT at once when the window needs painting.
bool updateWindow(WindowHandle window);
bool setWindowText(WindowHandle window, const char* text);
/// Copies the title (zero-terminated, cut to size) and returns its length.
int getWindowText(WindowHandle window, char* buffer, int size);

/// Moves and sizes the window (position relative to the parent's client area, or the screen); sends
/// WM_MOVE/WM_SIZE for what changed. insertAfter is accepted for shape and ignored.
bool setWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t width,
                  int32_t height, uint32_t flags);
bool getClientRect(WindowHandle window, Rect& rect);
/// Screen rectangle of the window, frame included.
bool getWindowRect(WindowHandle window, Rect& rect);
bool clientToScreen(WindowHandle window, Point& point);
bool screenToClient(WindowHandle window, Point& point);
/// Outer rectangle for a client rectangle: grown by the frame of the style (on X11 the same).
bool adjustWindowRectEx(Rect& rect, uint32_t style, bool menu, uint32_t exStyle);

/// Adds a rectangle (null: the whole client area) to the window's update region. Callable from any
/// thread: it marks the window and wakes its thread, which produces one WM_PAINT when nothing else waits.
bool invalidateRect(WindowHandle window, const Rect* rect, bool erase);
bool validateRect(WindowHandle window, const Rect* rect);
bool getUpdateRect(WindowHandle window, Rect* rect);
/// Fills out the update rectangle and validates the window; returns the window's device context.
DeviceContext beginPaint(WindowHandle window, PaintStruct& paint);
bool endPaint(WindowHandle window, const PaintStruct& paint);

/// Default handling: WM_CLOSE destroys the window, WM_PAINT validates it, WM_ERASEBKGND does nothing,
/// everything else answers 0.
Result defWindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
Result callWindowProc(WindowProcedure procedure, WindowHandle window, uint32_t message, WParam wParam,
                      LParam lParam);
/// Calls the window's procedure on its thread and returns the result (0 for an invalid handle).
Result sendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
/// Posts a message for the window to its thread's queue.
bool postMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

/// GWLP_WNDPROC, GWLP_USERDATA, GWLP_HWNDPARENT (read only) or a byte offset into the extra memory
/// (an offset that does not leave room for a whole value answers 0 and changes nothing). set returns the
/// previous value.
intptr_t getWindowLongPtr(WindowHandle window, int index);
intptr_t setWindowLongPtr(WindowHandle window, int index, intptr_t value);

/// TME_LEAVE: one WM_MOUSELEAVE when the pointer next leaves the window (at once when it is outside
/// already); TME_LEAVE | TME_CANCEL withdraws the request.
bool trackMouseEvent(const TrackMouseEvent& request);

/// State of a key as of the last key or mouse message the calling thread took from its queue: bit 15
/// (negative value) when down, bit 0 toggled by every press.
int16_t getKeyState(int virtualKey);

/// What this backend needs to give windows with OpenGL, in its own words, for telling the user why a window
/// could not be opened: "no X display or no OpenGL/GLX" on X11, "no Wayland display or no OpenGL/EGL" under
/// Wayland. A static text; callable from any thread.
const char* describeWindowRequirements();

} // namespace korvane::platform
