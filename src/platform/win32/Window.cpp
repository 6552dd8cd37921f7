#include "platform/Window.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/Win32.h"

#include <commctrl.h>

// Every class is registered with one procedure of the layer's own, which calls the procedure the window has
// now. That procedure is kept in the first word of the window's extra memory (the caller's extra memory
// follows it), so subclassing through setWindowLongPtr(GWLP_WNDPROC) replaces it without Win32 knowing,
// an exception escaping it is held and thrown again on the thread that ran it, and calls that Win32 allows
// on the owning thread only (destroying, creating a child) can be carried out there for other threads.
namespace korvane::platform {

using namespace win32;

static_assert(sizeof(Rect) == sizeof(RECT) && offsetof(Rect, bottom) == offsetof(RECT, bottom));
static_assert(sizeof(Point) == sizeof(POINT) && offsetof(Point, y) == offsetof(POINT, y));
static_assert(sizeof(MinMaxInfo) == sizeof(MINMAXINFO));
static_assert(sizeof(WindowProcedure) == sizeof(LONG_PTR));

namespace {

constexpr int procedureSlot = 0;
constexpr int reservedExtra = sizeof(LONG_PTR);

HINSTANCE instance() {
    return GetModuleHandleA(nullptr);
}

std::mutex classesMutex;
// The procedure of each class registered here, by lower-case name (class names ignore case).
std::map<std::string, WindowProcedure> classes;

std::string classKey(const char* name) {
    std::string key(name);
    if (!key.empty()) {
        CharLowerBuffA(key.data(), static_cast<DWORD>(key.size()));
    }
    return key;
}

// The procedure of the window being created by this thread, taken over by its first message.
thread_local WindowProcedure creatingProcedure = nullptr;

// The windows of this thread whose destruction has begun: from their WM_DESTROY (their descendants
// with them) to their WM_NCDESTROY. Win32 would start destroying such a window again if a procedure
// asked for it, sending WM_DESTROY over and over; the layer refuses instead. The list lives on the heap
// while it has entries: mingw-w64's emulated thread-local storage may release a thread's storage before
// the destructors of its thread-locals run, so thread-locals here hold plain values only.
thread_local std::vector<HWND>* beingDestroyed = nullptr;

bool isBeingDestroyed(HWND window) {
    return beingDestroyed &&
           std::find(beingDestroyed->begin(), beingDestroyed->end(), window) != beingDestroyed->end();
}

LRESULT CALLBACK layerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

BOOL CALLBACK markDestroyed(HWND window, LPARAM) {
    // Only windows of the layer's classes: their WM_NCDESTROY takes them off the list again.
    if (reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC)) != layerProcedure) {
        return TRUE;
    }
    if (!beingDestroyed) {
        beingDestroyed = new std::vector<HWND>;
    }
    if (!isBeingDestroyed(window)) {
        beingDestroyed->push_back(window);
    }
    return TRUE;
}

void beginDestruction(HWND window) {
    markDestroyed(window, 0);
    EnumChildWindows(window, markDestroyed, 0);
    // A context left current on the window would draw into a window that is gone.
    HDC current = wglGetCurrentDC();
    if (current && WindowFromDC(current) == window) {
        wglMakeCurrent(nullptr, nullptr);
    }
    releaseStandIn(window);
}

void endDestruction(HWND window) {
    if (!beingDestroyed) {
        return;
    }
    beingDestroyed->erase(std::remove(beingDestroyed->begin(), beingDestroyed->end(), window),
                          beingDestroyed->end());
    if (beingDestroyed->empty()) {
        delete beingDestroyed;
        beingDestroyed = nullptr;
    }
}

// A call carried out on a window's own thread.
UINT ownerCallMessage() {
    static const UINT message = RegisterWindowMessageA("korvane.platform.ownerCall");
    return message;
}

using OwnerCall = std::function<LRESULT()>;

WindowProcedure procedureOf(HWND window) {
    auto procedure = reinterpret_cast<WindowProcedure>(GetWindowLongPtrA(window, procedureSlot));
    if (!procedure && creatingProcedure) {
        procedure = creatingProcedure;
        SetWindowLongPtrA(window, procedureSlot, reinterpret_cast<LONG_PTR>(procedure));
    }
    return procedure;
}

LRESULT CALLBACK layerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == ownerCallMessage() && lParam != 0 && wParam == 0) {
            return (*reinterpret_cast<const OwnerCall*>(lParam))();
        }
        if (message == WM_DESTROY) {
            beginDestruction(window);
        } else if (message == WM_NCDESTROY) {
            endDestruction(window);
        } else if (message == WM_SIZE) {
            resizeStandIn(window);
        }
        WindowProcedure procedure = procedureOf(window);
        if (!procedure) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        if (message == WM_CREATE) {
            const auto* in = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            CreateStruct create;
            create.createParams = in->lpCreateParams;
            create.parent = toHandle(in->hwndParent);
            create.height = in->cy;
            create.width = in->cx;
            create.y = in->y;
            create.x = in->x;
            create.style = static_cast<uint32_t>(in->style);
            create.name = in->lpszName;
            create.className = in->lpszClass;
            create.exStyle = in->dwExStyle;
            return procedure(toHandle(window), message, wParam, reinterpret_cast<LParam>(&create));
        }
        return procedure(toHandle(window), message, wParam, lParam);
    } catch (...) {
        holdException(std::current_exception());
        if (message == WM_CREATE) {
            return -1;
        }
        return message == WM_NCCREATE ? FALSE : 0;
    }
}

} // namespace

namespace win32 {

LRESULT runOnOwner(HWND window, const std::function<LRESULT()>& call) {
    const DWORD owner = GetWindowThreadProcessId(window, nullptr);
    if (owner == 0 || owner == GetCurrentThreadId() ||
        reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC)) != layerProcedure) {
        return call();
    }
    return SendMessageA(window, ownerCallMessage(), 0, reinterpret_cast<LPARAM>(&call));
}

} // namespace win32

bool registerClass(const WindowClass& windowClass) {
    if (!windowClass.name || !windowClass.procedure || windowClass.classExtra < 0 ||
        windowClass.windowExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    WNDCLASSA in{};
    in.style = windowClass.style;
    in.lpfnWndProc = layerProcedure;
    in.cbClsExtra = windowClass.classExtra;
    in.cbWndExtra = windowClass.windowExtra + reservedExtra;
    in.hInstance = instance();
    in.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    in.lpszClassName = windowClass.name;
    std::lock_guard lock(classesMutex);
    if (!RegisterClassA(&in)) {
        return false;
    }
    classes[classKey(windowClass.name)] = windowClass.procedure;
    return true;
}

bool unregisterClass(const char* name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::lock_guard lock(classesMutex);
    if (!UnregisterClassA(name, instance())) {
        return false;
    }
    classes.erase(classKey(name));
    return true;
}

WindowHandle createWindow(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                          int32_t x, int32_t y, int32_t width, int32_t height, WindowHandle parent,
                          void* param) {
    WindowProcedure procedure = nullptr;
    if (className) {
        std::lock_guard lock(classesMutex);
        auto found = classes.find(classKey(className));
        procedure = found == classes.end() ? nullptr : found->second;
    }
    auto create = [&]() -> LRESULT {
        WindowProcedure outer = creatingProcedure;
        creatingProcedure = procedure;
        HWND window = CreateWindowExA(exStyle, className, title, style, x, y, width, height, toHwnd(parent),
                                      nullptr, instance(), param);
        creatingProcedure = outer;
        return reinterpret_cast<LRESULT>(window);
    };
    // A child belongs to its parent's thread: create it there.
    HWND window = reinterpret_cast<HWND>(parent ? runOnOwner(toHwnd(parent), create) : create());
    rethrowHeldException();
    return toHandle(window);
}

bool destroyWindow(WindowHandle window) {
    const LRESULT done = runOnOwner(toHwnd(window), [&]() -> LRESULT {
        if (isBeingDestroyed(toHwnd(window))) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        return DestroyWindow(toHwnd(window)) ? 1 : 0;
    });
    rethrowHeldException();
    return done != 0;
}

bool isWindow(WindowHandle window) {
    return window && IsWindow(toHwnd(window));
}

WindowHandle getParent(WindowHandle window) {
    HWND hwnd = toHwnd(window);
    if (!(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD)) {
        return nullptr;
    }
    return toHandle(GetParent(hwnd));
}

ThreadId getWindowThreadId(WindowHandle window) {
    return window ? GetWindowThreadProcessId(toHwnd(window), nullptr) : 0;
}

bool showWindow(WindowHandle window, int command) {
    const bool wasVisible = ShowWindow(toHwnd(window), command) != FALSE;
    rethrowHeldException();
    return wasVisible;
}

bool isWindowVisible(WindowHandle window) {
    return IsWindowVisible(toHwnd(window)) != FALSE;
}

bool updateWindow(WindowHandle window) {
    const bool done = UpdateWindow(toHwnd(window)) != FALSE;
    rethrowHeldException();
    return done;
}

bool setWindowText(WindowHandle window, const char* text) {
    const bool done = SetWindowTextA(toHwnd(window), text) != FALSE;
    rethrowHeldException();
    return done;
}

int getWindowText(WindowHandle window, char* buffer, int size) {
    const int length = GetWindowTextA(toHwnd(window), buffer, size);
    rethrowHeldException();
    return length;
}

bool setWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t width,
                  int32_t height, uint32_t flags) {
    const bool done = SetWindowPos(toHwnd(window), toHwnd(insertAfter), x, y, width, height, flags) != FALSE;
    rethrowHeldException();
    return done;
}

bool getClientRect(WindowHandle window, Rect& rect) {
    return GetClientRect(toHwnd(window), reinterpret_cast<RECT*>(&rect)) != FALSE;
}

bool getWindowRect(WindowHandle window, Rect& rect) {
    return GetWindowRect(toHwnd(window), reinterpret_cast<RECT*>(&rect)) != FALSE;
}

bool clientToScreen(WindowHandle window, Point& point) {
    return ClientToScreen(toHwnd(window), reinterpret_cast<POINT*>(&point)) != FALSE;
}

bool screenToClient(WindowHandle window, Point& point) {
    return ScreenToClient(toHwnd(window), reinterpret_cast<POINT*>(&point)) != FALSE;
}

bool adjustWindowRectEx(Rect& rect, uint32_t style, bool menu, uint32_t exStyle) {
    return AdjustWindowRectEx(reinterpret_cast<RECT*>(&rect), style, menu, exStyle) != FALSE;
}

bool invalidateRect(WindowHandle window, const Rect* rect, bool erase) {
    return InvalidateRect(toHwnd(window), reinterpret_cast<const RECT*>(rect), erase) != FALSE;
}

bool validateRect(WindowHandle window, const Rect* rect) {
    return ValidateRect(toHwnd(window), reinterpret_cast<const RECT*>(rect)) != FALSE;
}

bool getUpdateRect(WindowHandle window, Rect* rect) {
    return GetUpdateRect(toHwnd(window), reinterpret_cast<RECT*>(rect), FALSE) != FALSE;
}

DeviceContext beginPaint(WindowHandle window, PaintStruct& paint) {
    PAINTSTRUCT out{};
    HDC dc = BeginPaint(toHwnd(window), &out);
    paint.dc = toDeviceContext(dc);
    paint.erase = out.fErase != FALSE;
    paint.paint = Rect{out.rcPaint.left, out.rcPaint.top, out.rcPaint.right, out.rcPaint.bottom};
    return paint.dc;
}

bool endPaint(WindowHandle window, const PaintStruct& paint) {
    PAINTSTRUCT in{};
    in.hdc = toHdc(paint.dc);
    in.fErase = paint.erase;
    in.rcPaint = RECT{paint.paint.left, paint.paint.top, paint.paint.right, paint.paint.bottom};
    return EndPaint(toHwnd(window), &in) != FALSE;
}

Result defWindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    if (message == WM_CREATE) {
        // The procedure saw the layer's CreateStruct, which Win32 does not know; the default answer is 0.
        return 0;
    }
    return DefWindowProcA(toHwnd(window), message, wParam, lParam);
}

Result callWindowProc(WindowProcedure procedure, WindowHandle window, uint32_t message, WParam wParam,
                      LParam lParam) {
    if (!procedure) {
        return 0;
    }
    return procedure(window, message, wParam, lParam);
}

Result sendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    const LRESULT result = SendMessageA(toHwnd(window), message, wParam, lParam);
    rethrowHeldException();
    return result;
}

bool postMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    return PostMessageA(toHwnd(window), message, wParam, lParam) != FALSE;
}

intptr_t getWindowLongPtr(WindowHandle window, int index) {
    HWND hwnd = toHwnd(window);
    if (index == GWLP_WNDPROC) {
        if (!IsWindow(hwnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        return reinterpret_cast<intptr_t>(procedureOf(hwnd));
    }
    if (index >= 0) {
        return GetWindowLongPtrA(hwnd, index + reservedExtra);
    }
    return GetWindowLongPtrA(hwnd, index);
}

intptr_t setWindowLongPtr(WindowHandle window, int index, intptr_t value) {
    HWND hwnd = toHwnd(window);
    if (index == GWLP_WNDPROC) {
        if (!IsWindow(hwnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (!value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        const intptr_t previous = reinterpret_cast<intptr_t>(procedureOf(hwnd));
        SetWindowLongPtrA(hwnd, procedureSlot, value);
        return previous;
    }
    if (index == GWLP_HWNDPARENT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (index >= 0) {
        return SetWindowLongPtrA(hwnd, index + reservedExtra, value);
    }
    return SetWindowLongPtrA(hwnd, index, value);
}

bool trackMouseEvent(const TrackMouseEvent& request) {
    TRACKMOUSEEVENT in{};
    in.cbSize = sizeof(in);
    in.dwFlags = request.flags;
    in.hwndTrack = toHwnd(request.window);
    in.dwHoverTime = request.hoverTime ? request.hoverTime : HOVER_DEFAULT;
    if (!_TrackMouseEvent(&in)) {
        return false;
    }
    // A leave asked for while the pointer is already outside the client area is reported at once and
    // the tracking ends, as Windows does; Wine would wait for the pointer to come and go.
    if ((request.flags & TME_LEAVE) && !(request.flags & TME_CANCEL)) {
        POINT cursor{};
        GetCursorPos(&cursor);
        POINT local = cursor;
        ScreenToClient(in.hwndTrack, &local);
        RECT client{};
        GetClientRect(in.hwndTrack, &client);
        const bool inside = WindowFromPoint(cursor) == in.hwndTrack && PtInRect(&client, local);
        MSG queued{};
        if (!inside && !PeekMessageA(&queued, in.hwndTrack, WM_MOUSELEAVE, WM_MOUSELEAVE, PM_NOREMOVE)) {
            TRACKMOUSEEVENT cancel = in;
            cancel.dwFlags = TME_LEAVE | TME_CANCEL;
            _TrackMouseEvent(&cancel);
            PostMessageA(in.hwndTrack, WM_MOUSELEAVE, 0, 0);
        }
    }
    return true;
}

int16_t getKeyState(int virtualKey) {
    return GetKeyState(virtualKey);
}

const char* describeWindowRequirements() {
    return "no desktop to show windows on or no OpenGL/WGL driver";
}

} // namespace korvane::platform
