#pragma once

#include <EGL/egl.h>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Window.h"
#include "platform/posix/ThreadQueue.h"
#include "platform/unix/InputQueue.h"

struct wl_buffer;
struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_egl_window;
struct wl_keyboard;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_subcompositor;
struct wl_subsurface;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// Internal state of the Wayland window system: window records, the registry of live handles and the
// Wayland connection of each thread that owns windows. A top-level window is an xdg_toplevel surface, a
// child window a desynchronised subsurface of its parent's surface (both on the parent's connection, as
// a child window belongs to its parent's thread).
namespace korvane::platform {

struct DeviceContextRecord {
    WindowRecord* window = nullptr;
    int pixelFormat = 0;
};

namespace wayland {
class Connection;
// What a GL context is to EGL.
using NativeContext = EGLContext;
} // namespace wayland

struct WindowRecord {
    // Fixed at creation; readable from any thread while the window is live.
    ThreadId thread = 0;

    // Owning thread only.
    wayland::Connection* connection = nullptr;
    wl_surface* surface = nullptr;
    wl_subsurface* subsurface = nullptr; // child windows
    xdg_surface* xdgSurface = nullptr;   // top-level windows
    xdg_toplevel* toplevel = nullptr;
    wl_egl_window* eglWindow = nullptr; // once a pixel format is set
    EGLSurface eglSurface = EGL_NO_SURFACE;
    wl_buffer* background = nullptr; // the plain content of a window that does not draw with GL
    int backgroundWidth = 0, backgroundHeight = 0;
    WindowRecord* parent = nullptr;
    std::vector<WindowRecord*> children;
    WindowProcedure procedure = nullptr;
    intptr_t userData = 0;
    std::vector<unsigned char> extra;
    uint32_t classStyle = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    std::string title;
    // Client area relative to the parent's client area; a top-level window's is where the program last
    // placed it (the compositor shows it where it likes and does not tell).
    int32_t x = 0, y = 0, width = 1, height = 1;
    bool visible = false;
    bool configured = false; // a top-level window's first configure was acknowledged since it was mapped
    bool needSize = false;   // top-level windows get WM_SIZE/WM_MOVE when first shown
    bool trackLeave = false; // a WM_MOUSELEAVE was asked for
    bool destroying = false;
    // A size the compositor suggested with its last configure (0: the client chooses).
    int32_t suggestedWidth = 0, suggestedHeight = 0;
    DeviceContextRecord dc;

    // Guarded by the registry mutex: may be set from any thread.
    // The last frame GL presented, 0xRRGGBB rows from the top, while frames are captured.
    std::vector<uint32_t> presented;
    int32_t presentedWidth = 0, presentedHeight = 0;
    bool dirty = false;
    bool dirtyWhole = false;
    bool erase = false;
    Rect dirtyRect;
};

// Every live window; the lock also guards the update regions and the stacking order.
struct WindowRegistry {
    std::mutex mutex;
    std::unordered_map<WindowRecord*, ThreadId> windows;
    std::unordered_map<DeviceContextRecord*, WindowRecord*> deviceContexts;
    // Shown top-level windows, the most recently shown (the one in front) last.
    std::vector<WindowRecord*> stacking;
};
WindowRegistry& windowRegistry();

namespace wayland {

// The Wayland connection of one thread, installed as the event source of its queue while the thread owns
// windows. Every request of the thread goes through this connection; its events are read and dispatched
// only on this thread.
class Connection final : public detail::EventSource, public InputQueue {
public:
    // The calling thread's connection, opened on first use; null when no compositor can be reached.
    static Connection* current();
    // The calling thread's connection if it has one.
    static Connection* currentIfAny();

    ~Connection() override;

    int fd() const override;
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
    WindowRecord* find(wl_surface* surface) const;
    // Sends the requests made so far and waits until the compositor has handled them, dispatching the
    // events that result (they are translated, not delivered). False when the connection failed.
    bool roundtrip();
    // Sends the requests made so far.
    void flush();

    // The seat's events, from the compositor or injected by a test in its place. Positions are in the
    // surface's coordinates; key codes are evdev codes.
    void pointerEnter(WindowRecord* window, int32_t x, int32_t y);
    void pointerLeave();
    void pointerMotion(int32_t x, int32_t y);
    void pointerButton(uint32_t button, bool press);
    void pointerWheel(int notches);
    void keyboardEnter(WindowRecord* window);
    void keyboardLeave();
    void keyboardKey(uint32_t code, bool press);
    void keyboardModifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group);
    // A keymap from the compositor (text of the XKB format); false when it cannot be compiled.
    bool setKeymap(const char* text, size_t size);
    // For injected keys: the keymap of the default layout when the compositor sent none, and the state
    // updated as the compositor would.
    void injectKey(uint32_t code, bool press);
    // The xdg_toplevel suggested a size, then the xdg_surface asked for the acknowledgement.
    void configure(WindowRecord* window, uint32_t serial);
    // Acknowledges the configure requests received so far (they may change sizes).
    void answerConfigures();
    void closeRequested(WindowRecord* window);

    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    uint32_t seatVersion = 0;
    xkb_context* xkb = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* keyState = nullptr;
    int pendingNotches = 0;
    double pendingScroll = 0;
    bool discreteScroll = false;

    WindowRecord* pointerWindow = nullptr;
    int32_t pointerX = 0, pointerY = 0;
    uint32_t buttons = 0; // MK_LBUTTON etc.
    WindowRecord* keyboardWindow = nullptr;

    // The EGL display of this connection (initialised on first use) and the GL contexts created on it;
    // the contexts are destroyed, then the display terminated, before the connection closes.
    EGLDisplay egl = EGL_NO_DISPLAY;
    std::vector<GLContextRecord*> contexts;

private:
    Connection() = default;
    // Reads what the compositor sent without waiting and dispatches it.
    void readEvents();
    void applyConfigure(WindowRecord* window, uint32_t serial);
    uint32_t mouseKeys() const;

    std::vector<WindowRecord*> windows;
    std::unordered_map<wl_surface*, WindowRecord*> bySurface;
    size_t paintCursor = 0;
    int busy = 0;
    bool closing = false;
    bool failed = false;
    unsigned char keysDown[32] = {};
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
void setTitle(WindowRecord* window);
// Validates a handle owned by the calling thread.
WindowRecord* ownedWindow(WindowHandle handle);
// The window a device context draws to; null when the device context is not live.
WindowRecord* windowOf(DeviceContext dc);
inline WindowRecord* windowOf(WindowHandle handle) {
    return handle;
}
// Applies a size the compositor asked for (held to the tracking sizes) and reports WM_SIZE.
void resizeFromCompositor(WindowRecord* window, int32_t width, int32_t height);
// Gives the window's surface its plain content at its current size, unless GL draws it.
void attachBackground(WindowRecord* window);
// Frees a window's plain content.
void dropBackground(WindowRecord* window);
// Commits the surface of the window's parent (a subsurface's position applies with it).
void commitParent(WindowRecord* window);
// Resizes the EGL window of a window drawn with GL.
void resizeGLSurface(WindowRecord* window);
// Destroys the EGL surface and window of a window (before its wl_surface goes).
void destroyGLSurface(WindowRecord* window);

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
// The virtual-key code of an XKB key symbol, 0 for none; side receives VK_LSHIFT etc. for modifiers.
int virtualKeyOf(uint32_t keysym, int& side, bool& extended);
// Destroys the thread's GL contexts of the connection (before its EGL display is terminated).
void destroyContexts(Connection& connection);
// Releases the GL context current on the calling thread if it draws to the window.
void releaseIfCurrent(WindowRecord* window);

// A function each connection calls on its thread whenever it looks for input and finds none waiting, null
// for none: a way to drive a program from outside its code (a script that looks at and acts on its windows).
using IdleHook = void (*)();
void setIdleHook(IdleHook hook);

// Makes the emulated seat stand in for the compositor's from now on (it gives the keyboard to windows
// as they are shown).
void emulateSeat();
// Delivers the emulated seat's events meant for the calling thread's connection.
void takeSeatEvents(Connection& connection);
// Synthetic seat input for tests (a headless compositor has no seat): delivered to the window in front,
// positions on the program's screen (see clientToScreen), as the compositor would deliver them. Callable from
// any thread.
void injectPointerMotion(int32_t x, int32_t y);
void injectPointerButton(uint32_t button, bool press);
void injectWheel(int notches);
void injectKey(uint32_t code, bool press);
// The keyboard focus moves to the window (null: to another client), or to the top-level window at a
// point of the program's screen.
void injectFocus(WindowHandle window);
void injectFocusAt(int32_t x, int32_t y);
// The compositor asks the top-level window to close, or suggests a size for it.
void injectClose(WindowHandle window);
void injectConfigure(WindowHandle window, int32_t width, int32_t height);
// Keeps a copy of every frame a window presents with GL (for tests: Wayland lets no client read the
// screen), and answers what a point of the program's screen shows as 0xRRGGBB: the front window's
// content there, 0xFFFFFFFF where no window is.
void captureFrames(bool enabled);
uint32_t shownPixel(int32_t x, int32_t y);
// Writes what a top-level window and its children presented last (black where nothing was) as a binary
// PPM picture; false when the file cannot be written.
bool writePicture(WindowRecord* top, const char* path);
// Tells the emulated seat (once a test has used it) that a top-level window was mapped: it gets the
// keyboard, as a compositor gives it.
void shownToSeat(WindowRecord* window);

} // namespace wayland
} // namespace korvane::platform
