#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "platform/File.h"
#include "platform/unix/Backend.h"
#include "xdg-shell-client-protocol.h"

namespace korvane::platform::wayland {

namespace {

// evdev button codes (linux/input-event-codes.h).
constexpr uint32_t buttonLeft = 0x110;
constexpr uint32_t buttonRight = 0x111;
constexpr uint32_t buttonMiddle = 0x112;

std::atomic<IdleHook> idleHook{nullptr};

Connection* connectionOf(void* data) {
    return static_cast<Connection*>(data);
}

// The compositor went away or ended the connection for a protocol error: nothing of the window system
// works any more. The process ends as after a failure on a worker thread (the message on standard output,
// exit code -1), at once: other threads may still be using their connections.
[[noreturn]] void connectionLost(wl_display* display) {
    int error = wl_display_get_error(display);
    std::printf("The connection to the Wayland compositor was lost (%s).\n", std::strerror(error));
    std::fflush(stdout);
    std::_Exit(-1);
}

void wmBasePing(void*, xdg_wm_base* base, uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener wmBaseListener = {wmBasePing};

// Pointer events.
void pointerEnter(void* data, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    Connection* connection = connectionOf(data);
    connection->pointerEnter(surface ? connection->find(surface) : nullptr, wl_fixed_to_int(x),
                             wl_fixed_to_int(y));
}
void pointerLeave(void* data, wl_pointer*, uint32_t, wl_surface*) {
    connectionOf(data)->pointerLeave();
}
void pointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    connectionOf(data)->pointerMotion(wl_fixed_to_int(x), wl_fixed_to_int(y));
}
void pointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
    connectionOf(data)->pointerButton(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}
void pointerAxis(void* data, wl_pointer*, uint32_t, uint32_t axis, wl_fixed_t value) {
    Connection* connection = connectionOf(data);
    if (axis == WL_POINTER_AXIS_VERTICAL_SCROLL && !connection->discreteScroll) {
        connection->pendingScroll += wl_fixed_to_double(value);
    }
}
void pointerFrame(void* data, wl_pointer*) {
    Connection* connection = connectionOf(data);
    // Wayland scrolls down with positive values; Win32 turns the wheel away from the user with positive
    // deltas. Without discrete steps, 10 units make a notch (what wheel mice send).
    int notches = connection->pendingNotches;
    if (!connection->discreteScroll) {
        notches = static_cast<int>(connection->pendingScroll / 10.0);
        connection->pendingScroll -= notches * 10.0;
    }
    connection->pendingNotches = 0;
    connection->discreteScroll = false;
    if (notches) {
        connection->pointerWheel(-notches);
    }
}
void pointerAxisSource(void*, wl_pointer*, uint32_t) {}
void pointerAxisStop(void* data, wl_pointer*, uint32_t, uint32_t) {
    connectionOf(data)->pendingScroll = 0;
}
void pointerAxisDiscrete(void* data, wl_pointer*, uint32_t axis, int32_t discrete) {
    Connection* connection = connectionOf(data);
    if (axis == WL_POINTER_AXIS_VERTICAL_SCROLL) {
        connection->pendingNotches += discrete;
        connection->discreteScroll = true;
    }
}
void pointerAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener pointerListener = {
    pointerEnter, pointerLeave,      pointerMotion,   pointerButton,       pointerAxis,
    pointerFrame, pointerAxisSource, pointerAxisStop, pointerAxisDiscrete, pointerAxisValue120};

// Keyboard events.
void keyboardKeymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            connectionOf(data)->setKeymap(static_cast<const char*>(text), size);
            munmap(text, size);
        }
    }
    close(fd);
}
void keyboardEnter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
    Connection* connection = connectionOf(data);
    connection->keyboardEnter(surface ? connection->find(surface) : nullptr);
}
void keyboardLeave(void* data, wl_keyboard*, uint32_t, wl_surface*) {
    connectionOf(data)->keyboardLeave();
}
void keyboardKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
    connectionOf(data)->keyboardKey(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
}
void keyboardModifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                       uint32_t locked, uint32_t group) {
    connectionOf(data)->keyboardModifiers(depressed, latched, locked, group);
}
void keyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener = {keyboardKeymap, keyboardEnter,     keyboardLeave,
                                               keyboardKey,    keyboardModifiers, keyboardRepeat};

void seatCapabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    Connection* connection = connectionOf(data);
    bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (pointer && !connection->pointer) {
        connection->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(connection->pointer, &pointerListener, connection);
    } else if (!pointer && connection->pointer) {
        connection->pointerLeave();
        wl_pointer_destroy(connection->pointer);
        connection->pointer = nullptr;
    }
    if (keyboard && !connection->keyboard) {
        connection->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(connection->keyboard, &keyboardListener, connection);
    } else if (!keyboard && connection->keyboard) {
        connection->keyboardLeave();
        wl_keyboard_destroy(connection->keyboard);
        connection->keyboard = nullptr;
    }
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {seatCapabilities, seatName};

void registryGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                    uint32_t version) {
    Connection* connection = connectionOf(data);
    auto bind = [&](const wl_interface* type, uint32_t wanted) {
        return wl_registry_bind(registry, name, type, std::min(version, wanted));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !connection->compositor) {
        connection->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0 && !connection->subcompositor) {
        connection->subcompositor = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !connection->wmBase) {
        connection->wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 2));
        xdg_wm_base_add_listener(connection->wmBase, &wmBaseListener, connection);
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !connection->shm) {
        connection->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !connection->seat) {
        connection->seatVersion = std::min(version, 5u);
        connection->seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
        wl_seat_add_listener(connection->seat, &seatListener, connection);
    }
}
void registryGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {registryGlobal, registryGlobalRemove};

} // namespace

void setIdleHook(IdleHook hook) {
    idleHook.store(hook, std::memory_order_release);
}

Connection* Connection::currentIfAny() {
    detail::ThreadQueue* queue = detail::currentQueueIfAny();
    return queue ? static_cast<Connection*>(queue->eventSource()) : nullptr;
}

Connection* Connection::current() {
    if (Connection* existing = currentIfAny()) {
        existing->closing = false;
        return existing;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        setLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    auto connection = std::unique_ptr<Connection>(new Connection);
    connection->display = display;
    connection->registry = wl_display_get_registry(display);
    wl_registry_add_listener(connection->registry, &registryListener, connection.get());
    // The globals, then the seat's capabilities and the keymap they bring.
    if (!connection->roundtrip() || !connection->roundtrip() || !connection->compositor ||
        !connection->subcompositor || !connection->wmBase || !connection->shm) {
        setLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    connection->xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    Connection* result = connection.get();
    detail::currentQueue().setEventSource(std::move(connection));
    return result;
}

Connection::~Connection() {
    // EGL's surfaces and contexts go before the display that holds them, and that before the connection.
    for (WindowRecord* window : windows) {
        destroyGLSurface(window);
    }
    destroyContexts(*this);
    if (egl != EGL_NO_DISPLAY) {
        eglTerminate(egl);
        egl = EGL_NO_DISPLAY;
    }
    {
        WindowRegistry& records = windowRegistry();
        std::lock_guard lock(records.mutex);
        for (WindowRecord* window : windows) {
            records.windows.erase(window);
            records.deviceContexts.erase(&window->dc);
            std::erase(records.stacking, window);
        }
    }
    // The thread ends with windows left: they go quietly, their procedures are not called any more.
    // Children first, as a subsurface must go before its parent's surface.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        WindowRecord* window = *it;
        if (window->subsurface) {
            wl_subsurface_destroy(window->subsurface);
        }
        if (window->toplevel) {
            xdg_toplevel_destroy(window->toplevel);
        }
        if (window->xdgSurface) {
            xdg_surface_destroy(window->xdgSurface);
        }
        dropBackground(window);
        wl_surface_destroy(window->surface);
    }
    for (WindowRecord* window : windows) {
        delete window;
    }
    if (keyState) {
        xkb_state_unref(keyState);
    }
    if (keymap) {
        xkb_keymap_unref(keymap);
    }
    if (xkb) {
        xkb_context_unref(xkb);
    }
    if (pointer) {
        wl_pointer_destroy(pointer);
    }
    if (keyboard) {
        wl_keyboard_destroy(keyboard);
    }
    if (seat) {
        wl_seat_destroy(seat);
    }
    if (wmBase) {
        xdg_wm_base_destroy(wmBase);
    }
    if (shm) {
        wl_shm_destroy(shm);
    }
    if (subcompositor) {
        wl_subcompositor_destroy(subcompositor);
    }
    if (compositor) {
        wl_compositor_destroy(compositor);
    }
    if (registry) {
        wl_registry_destroy(registry);
    }
    wl_display_flush(display);
    wl_display_disconnect(display);
}

int Connection::fd() const {
    return wl_display_get_fd(display);
}

bool Connection::roundtrip() {
    if (failed || wl_display_roundtrip(display) < 0) {
        failed = true;
        return false;
    }
    return true;
}

void Connection::flush() {
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        connectionLost(display);
    }
}

void Connection::closeIfUnused() {
    if (!windows.empty()) {
        flush();
        return;
    }
    if (busy > 0) {
        closing = true;
        return;
    }
    detail::currentQueue().setEventSource(nullptr);
}

void Connection::addWindow(WindowRecord* window) {
    windows.push_back(window);
    bySurface[window->surface] = window;
}

void Connection::removeWindow(WindowRecord* window) {
    windows.erase(std::find(windows.begin(), windows.end(), window));
    bySurface.erase(window->surface);
    forget(window);
    if (pointerWindow == window) {
        pointerWindow = nullptr;
    }
    if (keyboardWindow == window) {
        keyboardWindow = nullptr;
    }
}

WindowRecord* Connection::find(wl_surface* surface) const {
    auto found = bySurface.find(surface);
    return found == bySurface.end() ? nullptr : found->second;
}

void Connection::readEvents() {
    if (failed) {
        return;
    }
    if (wl_display_prepare_read(display) == 0) {
        pollfd descriptor{wl_display_get_fd(display), POLLIN, 0};
        if (poll(&descriptor, 1, 0) > 0) {
            if (wl_display_read_events(display) < 0) {
                connectionLost(display);
            }
        } else {
            wl_display_cancel_read(display);
        }
    }
    if (wl_display_dispatch_pending(display) < 0) {
        connectionLost(display);
    }
}

bool Connection::nextInput(Msg& msg, bool remove) {
    ++busy;
    if (!closing && input.empty()) {
        takeSeatEvents(*this);
        readEvents();
        if (IdleHook hook = idleHook.load(std::memory_order_acquire)) {
            hook();
        }
    }
    // Configure requests are answered here, where the procedures may be called.
    while (!closing && !input.empty() && input.front().configureSerial) {
        Input item = input.front();
        input.pop_front();
        if (ownedWindow(item.msg.window)) {
            applyConfigure(item.msg.window, item.configureSerial);
        }
    }
    --busy;
    return takeInput(msg, remove);
}

bool Connection::nextPaint(Msg& msg) {
    return nextPaintOf(windows, paintCursor, msg);
}

bool Connection::readyToWait() {
    if (failed) {
        return true;
    }
    flush();
    // Events already read into the queue would not wake the poll: they must be dispatched first.
    if (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) {
            connectionLost(display);
        }
        return input.empty();
    }
    wl_display_cancel_read(display);
    return input.empty();
}

uint32_t Connection::mouseKeys() const {
    // The modifiers as the compositor last reported them, with the pointer event they came with.
    uint32_t keys = buttons;
    if (keyState &&
        xkb_state_mod_name_is_active(keyState, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_DEPRESSED) > 0) {
        keys |= MK_SHIFT;
    }
    if (keyState && xkb_state_mod_name_is_active(keyState, XKB_MOD_NAME_CTRL, XKB_STATE_MODS_DEPRESSED) > 0) {
        keys |= MK_CONTROL;
    }
    return keys;
}

void Connection::pointerEnter(WindowRecord* window, int32_t x, int32_t y) {
    pointerWindow = window && !window->destroying ? window : nullptr;
    pointerMotion(x, y);
}

void Connection::pointerLeave() {
    // Moving onto a child window leaves the parent, as on Win32: the child is another surface.
    WindowRecord* window = pointerWindow;
    pointerWindow = nullptr;
    if (window && window->trackLeave) {
        window->trackLeave = false;
        input.push_back({Msg{window, WM_MOUSELEAVE, 0, 0}, 0, 0});
    }
}

void Connection::pointerMotion(int32_t x, int32_t y) {
    pointerX = x;
    pointerY = y;
    if (!pointerWindow) {
        return;
    }
    // Like Win32, report only the latest position when several moves wait.
    if (!input.empty() && input.back().msg.window == pointerWindow &&
        input.back().msg.message == WM_MOUSEMOVE && input.back().msg.wParam == mouseKeys()) {
        input.back().msg.lParam = makeLParam(x, y);
        return;
    }
    input.push_back({Msg{pointerWindow, WM_MOUSEMOVE, mouseKeys(), makeLParam(x, y)}, 0, 0});
}

void Connection::pointerButton(uint32_t button, bool press) {
    uint32_t key = 0;
    uint32_t message = 0;
    switch (button) {
    case buttonLeft:
        key = MK_LBUTTON;
        message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case buttonMiddle:
        key = MK_MBUTTON;
        message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    case buttonRight:
        key = MK_RBUTTON;
        message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    default:
        return;
    }
    buttons = press ? buttons | key : buttons & ~key;
    if (pointerWindow) {
        input.push_back({Msg{pointerWindow, message, mouseKeys(), makeLParam(pointerX, pointerY)}, 0, 0});
    }
}

void Connection::pointerWheel(int notches) {
    if (!pointerWindow) {
        return;
    }
    // Win32 reports the pointer in screen coordinates here.
    Point screen{pointerX, pointerY};
    for (WindowRecord* w = pointerWindow; w; w = w->parent) {
        screen.x += w->x;
        screen.y += w->y;
    }
    input.push_back({Msg{pointerWindow, WM_MOUSEWHEEL,
                         makeWParam(static_cast<int32_t>(mouseKeys()), notches * WHEEL_DELTA),
                         makeLParam(screen.x, screen.y)},
                     0, 0});
}

void Connection::keyboardEnter(WindowRecord* window) {
    // Keys go to the top-level window, as on Win32.
    while (window && window->parent) {
        window = window->parent;
    }
    if (window == keyboardWindow) {
        return;
    }
    keyboardLeave();
    // Keys released while another client had the focus never reached this one.
    for (int key = 1; key < 256; ++key) {
        const bool button = key == VK_LBUTTON || key == VK_RBUTTON || key == VK_MBUTTON;
        if (!button && getKeyState(key) < 0) {
            setKeyState(key, false);
        }
    }
    std::memset(keysDown, 0, sizeof keysDown);
    keyboardWindow = window && !window->destroying ? window : nullptr;
    if (keyboardWindow) {
        input.push_back(
            {Msg{keyboardWindow, WM_ACTIVATE, makeWParam(static_cast<int32_t>(WA_ACTIVE), 0), 0}, 0, 0});
    }
}

void Connection::keyboardLeave() {
    if (keyboardWindow) {
        input.push_back(
            {Msg{keyboardWindow, WM_ACTIVATE, makeWParam(static_cast<int32_t>(WA_INACTIVE), 0), 0}, 0, 0});
    }
    keyboardWindow = nullptr;
}

bool Connection::setKeymap(const char* text, size_t size) {
    if (!xkb) {
        return false;
    }
    xkb_keymap* compiled = xkb_keymap_new_from_buffer(xkb, text, strnlen(text, size),
                                                      XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!compiled) {
        return false;
    }
    xkb_state* state = xkb_state_new(compiled);
    if (!state) {
        xkb_keymap_unref(compiled);
        return false;
    }
    if (keyState) {
        xkb_state_unref(keyState);
    }
    if (keymap) {
        xkb_keymap_unref(keymap);
    }
    keymap = compiled;
    keyState = state;
    return true;
}

void Connection::keyboardModifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group) {
    if (keyState) {
        xkb_state_update_mask(keyState, depressed, latched, locked, 0, 0, group);
    }
}

void Connection::injectKey(uint32_t code, bool press) {
    if (!keymap && xkb) {
        xkb_rule_names names{};
        if (xkb_keymap* compiled = xkb_keymap_new_from_names(xkb, &names, XKB_KEYMAP_COMPILE_NO_FLAGS)) {
            keymap = compiled;
            keyState = xkb_state_new(compiled);
        }
    }
    // As the compositor: the key first, then the modifiers it changed.
    keyboardKey(code, press);
    if (keyState) {
        xkb_state_update_key(keyState, code + 8, press ? XKB_KEY_DOWN : XKB_KEY_UP);
    }
}

void Connection::keyboardKey(uint32_t code, bool press) {
    WindowRecord* window = keyboardWindow;
    if (!window || !keymap || !keyState || code > 247) {
        return;
    }
    const xkb_keycode_t keycode = code + 8;
    const bool wasDown = keysDown[keycode / 8] & (1 << (keycode % 8));
    if (press) {
        keysDown[keycode / 8] |= static_cast<unsigned char>(1 << (keycode % 8));
    } else {
        keysDown[keycode / 8] &= static_cast<unsigned char>(~(1 << (keycode % 8)));
    }
    // The key's own symbol, without modifiers (the first level), names the virtual key.
    int side = 0;
    bool extended = false;
    int key = 0;
    for (xkb_level_index_t level = 0; level < 2 && !key; ++level) {
        const xkb_keysym_t* symbols = nullptr;
        int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, level, &symbols);
        if (count > 0) {
            key = virtualKeyOf(symbols[0], side, extended);
        }
    }
    uint32_t character = 0;
    // Win32 types no character for the Delete key.
    if (press && key != VK_DELETE) {
        uint32_t typed = xkb_state_key_get_utf32(keyState, keycode);
        if (typed > 0 && typed < 0x10000 && typed != 0x7F) {
            character = typed;
        }
    }
    if (!key && !character) {
        return;
    }
    input.push_back({wayland::keyMessage(window, press, wasDown, code, extended, key), character, side});
}

void Connection::configure(WindowRecord* window, uint32_t serial) {
    Input item{Msg{window, WM_NULL, 0, 0}, 0, 0, serial};
    input.push_back(item);
}

void Connection::answerConfigures() {
    std::vector<Input> pending;
    for (auto it = input.begin(); it != input.end();) {
        if (it->configureSerial) {
            pending.push_back(*it);
            it = input.erase(it);
        } else {
            ++it;
        }
    }
    for (const Input& item : pending) {
        if (ownedWindow(item.msg.window)) {
            applyConfigure(item.msg.window, item.configureSerial);
        }
    }
}

void Connection::applyConfigure(WindowRecord* window, uint32_t serial) {
    if (!window || window->destroying || !window->xdgSurface) {
        return;
    }
    xdg_surface_ack_configure(window->xdgSurface, serial);
    const bool first = !window->configured;
    window->configured = true;
    if (window->suggestedWidth > 0 && window->suggestedHeight > 0 &&
        (window->suggestedWidth != window->width || window->suggestedHeight != window->height)) {
        resizeFromCompositor(window, window->suggestedWidth, window->suggestedHeight);
    } else if (first) {
        attachBackground(window);
    }
}

void Connection::closeRequested(WindowRecord* window) {
    if (window && !window->destroying) {
        input.push_back({Msg{window, WM_CLOSE, 0, 0}, 0, 0});
    }
}

} // namespace korvane::platform::wayland
