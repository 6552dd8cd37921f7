#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Window.h"
#include "platform/posix/ThreadQueue.h"
#include "platform/unix/InputQueue.h"

struct __GLXcontextRec; // GLXContext (GL/glx.h)

// Internal state of the X11 window system: window records, the registry of live handles and the X
// connection of each thread that owns windows.
namespace korvane::platform {

struct DeviceContextRecord {
    WindowRecord* window = nullptr;
    int pixelFormat = 0;
};

namespace x11 {
class Connection;
// What a GL context is to GLX.
using NativeContext = ::__GLXcontextRec*;
} // namespace x11

struct WindowRecord {
    // Fixed at creation; readable from any thread while the window is live.
    ThreadId thread = 0;

    // Owning thread only.
    x11::Connection* connection = nullptr;
    ::Window xwindow = 0;
    VisualID visual = 0;
    Colormap colormap = 0; // created for a non-default visual, freed with the X window
    WindowRecord* parent = nullptr;
    std::vector<WindowRecord*> children;
    WindowProcedure procedure = nullptr;
    intptr_t userData = 0;
    std::vector<unsigned char> extra;
    uint32_t classStyle = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    std::string title;
    // Client area relative to the parent's client area (top-level windows: the screen).
    int32_t x = 0, y = 0, width = 1, height = 1;
    bool visible = false;
    bool needSize = false;   // top-level windows get WM_SIZE/WM_MOVE when first shown
    bool trackLeave = false; // a WM_MOUSELEAVE was asked for
    bool destroying = false;
    unsigned long configureSerial = 0; // X request that last moved or sized the window
    DeviceContextRecord dc;

    // Guarded by the registry mutex: may be set from any thread.
    bool dirty = false;
    bool dirtyWhole = false;
    bool erase = false;
    Rect dirtyRect;
};

// Every live window; the lock also guards the update regions.
struct WindowRegistry {
    std::mutex mutex;
    std::unordered_map<WindowRecord*, ThreadId> windows;
    std::unordered_map<DeviceContextRecord*, WindowRecord*> deviceContexts;
};
WindowRegistry& windowRegistry();

namespace x11 {

// The X connection of one thread, installed as the event source of its queue while the thread owns
// windows. Every X call of the thread goes through this connection.
class Connection final : public detail::EventSource, public InputQueue {
public:
    // The calling thread's connection, opened on first use; null when the display cannot be opened.
    static Connection* current();
    // The calling thread's connection if it has one.
    static Connection* currentIfAny();

    ~Connection() override;

    int fd() const override { return ConnectionNumber(display); }
    bool nextInput(Msg& msg, bool remove) override;
    bool nextPaint(Msg& msg) override;
    bool readyToWait() override;
    bool expired() const override { return closing; }

    // Closes the connection once the thread owns no window: at once, or when the queue next looks at it
    // if an operation of the connection is still running further up the stack.
    void closeIfUnused();

    void addWindow(WindowRecord* window);
    void removeWindow(WindowRecord* window);
    bool ownsWindows() const { return !windows.empty(); }
    WindowRecord* find(::Window xwindow) const;
    void remap(::Window from, ::Window to, WindowRecord* window);
    // Sends the requests made so far.
    void flush() { XFlush(display); }

    Display* display = nullptr;
    int screen = 0;
    ::Window root = 0;
    Atom wmProtocols = 0;
    Atom wmDeleteWindow = 0;
    Atom netWmName = 0;
    Atom utf8String = 0;
    bool detectableRepeat = false;

    // GL contexts created on this connection; destroyed before the connection closes.
    std::vector<GLContextRecord*> contexts;

private:
    Connection() = default;
    void translate(XEvent& event);
    void translateKeyEvent(WindowRecord* window, XKeyEvent& event, bool press);
    void translateConfigure(WindowRecord* window, const XConfigureEvent& event);
    // Marks keys as up that were released while another client had the focus.
    void forgetReleasedKeys();

    std::vector<WindowRecord*> windows;
    std::unordered_map<::Window, WindowRecord*> byXid;
    size_t paintCursor = 0;
    int busy = 0;
    bool closing = false;
    unsigned char keysDown[32] = {};
};

// Catches the X errors of the requests the calling thread makes on a connection while the trap is set, so
// that a failure that matters can be reported instead of ignored. X reports errors asynchronously: check()
// waits for the server's answer to everything asked so far. Errors outside any trap are ignored, as before.
// Each connection belongs to one thread and its errors are handled on that thread, so traps are per thread.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // The X error code of the first failed request since the trap was set, 0 for none.
    int check();
    // check() as a Win32 error code (0 for none); mismatch stands in for BadMatch, whose meaning depends
    // on the request.
    uint32_t lastError(uint32_t mismatch);

private:
    friend int trapError(Display*, XErrorEvent*);

    Display* display;
    unsigned long firstRequest;
    int error = 0;
    ErrorTrap* outer;
};

// Client area of the window clipped update rectangle; false when nothing needs painting. Registry lock
// must be held.
bool clippedUpdate(WindowRecord* window, Rect& rect);
// The window and every ancestor are shown.
bool isViewable(const WindowRecord* window);
// Enforces the tracking sizes of a top-level window on a size (asks the procedure with
// WM_GETMINMAXINFO).
void applyMinMax(WindowRecord* window, int32_t& width, int32_t& height);
// Calls the procedure of a window of the calling thread.
Result callProcedure(WindowRecord* window, uint32_t message, WParam wParam, LParam lParam);
// Gives a top-level window its title (children have none).
void setTitle(Connection& connection, WindowRecord* window);
// Validates a handle owned by the calling thread.
WindowRecord* ownedWindow(WindowHandle handle);
// The window a device context draws to; null when the device context is not live.
WindowRecord* windowOf(DeviceContext dc);
inline WindowRecord* windowOf(WindowHandle handle) {
    return handle;
}

// Runs the operation with the record of a window, named by its handle or by one of its device contexts, on
// the window's thread: at once on that thread, otherwise as a call sent to it while the caller waits. The
// name is looked up again on the owning thread, as the window may be gone by then. Answers failed when it
// names no live window.
template <typename Name, typename Operation, typename R = std::invoke_result_t<Operation, WindowRecord*>>
R onOwner(Name name, R failed, Operation operation) {
    WindowRecord* window = windowOf(name);
    ThreadId owner = window ? getWindowThreadId(window) : 0;
    if (!owner) {
        return failed;
    }
    if (owner == currentThreadId()) {
        return operation(window);
    }
    R result = failed;
    detail::ThreadQueue::sendTo(owner, [&] {
        if (WindowRecord* own = ownedWindow(windowOf(name))) {
            result = operation(own);
        }
    });
    return result;
}
// Updates the calling thread's key-state table.
void setKeyState(int virtualKey, bool down);
// The virtual-key code of an X key symbol, 0 for none; side receives VK_LSHIFT etc. for modifiers.
int virtualKeyOf(unsigned long keysym, int& side, bool& extended);
// Destroys the X window of a record and creates it again with another visual (for a pixel format).
bool recreateWindow(WindowRecord* window, XVisualInfo* visual);
// Destroys the thread's GL contexts of the connection (before it closes).
void destroyContexts(Connection& connection);
// Releases the GL context current on the calling thread if it draws to the window.
void releaseIfCurrent(WindowRecord* window);

} // namespace x11
} // namespace korvane::platform
