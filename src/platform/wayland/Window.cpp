#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>
#include <unordered_map>
#include <wayland-client.h>

#include "platform/File.h"
#include "platform/unix/Backend.h"
#include "xdg-shell-client-protocol.h"

namespace korvane::platform {

namespace {

// The colour of a window's plain content (what shows where nothing was drawn), 0xAARRGGBB.
constexpr uint32_t backgroundColour = 0xFF000000;

using wayland::onOwner;

WindowRecord* recordOf(void* data) {
    return static_cast<WindowRecord*>(data);
}

void xdgSurfaceConfigure(void* data, xdg_surface*, uint32_t serial) {
    WindowRecord* window = recordOf(data);
    window->connection->configure(window, serial);
}
const xdg_surface_listener xdgSurfaceListener = {xdgSurfaceConfigure};

void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
    WindowRecord* window = recordOf(data);
    window->suggestedWidth = width;
    window->suggestedHeight = height;
}
void toplevelClose(void* data, xdg_toplevel*) {
    WindowRecord* window = recordOf(data);
    window->connection->closeRequested(window);
}
void toplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void toplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener toplevelListener = {toplevelConfigure, toplevelClose, toplevelBounds,
                                                toplevelCapabilities};

// The tracking sizes of a top-level window, told to the compositor.
void setSizeHints(WindowRecord* window) {
    MinMaxInfo info;
    info.minTrackSize = {1, 1};
    info.maxTrackSize = {32767, 32767};
    wayland::callProcedure(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
    if (!wayland::ownedWindow(window) || !window->toplevel) {
        return;
    }
    int32_t minWidth = std::max(1, info.minTrackSize.x), minHeight = std::max(1, info.minTrackSize.y);
    xdg_toplevel_set_min_size(window->toplevel, minWidth, minHeight);
    // 32767 stands for no limit, which xdg_toplevel says with 0.
    int32_t maxWidth = info.maxTrackSize.x >= 32767 ? 0 : std::max(minWidth, info.maxTrackSize.x);
    int32_t maxHeight = info.maxTrackSize.y >= 32767 ? 0 : std::max(minHeight, info.maxTrackSize.y);
    xdg_toplevel_set_max_size(window->toplevel, maxWidth, maxHeight);
}

// Creates the surfaces of a record (its geometry and parent are set).
bool createSurface(wayland::Connection& connection, WindowRecord* window) {
    window->surface = wl_compositor_create_surface(connection.compositor);
    if (!window->surface) {
        setLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (window->parent) {
        window->subsurface = wl_subcompositor_get_subsurface(connection.subcompositor, window->surface,
                                                             window->parent->surface);
        // A child draws on its own schedule, not with its parent's commits.
        wl_subsurface_set_desync(window->subsurface);
        wl_subsurface_set_position(window->subsurface, window->x, window->y);
        return true;
    }
    window->xdgSurface = xdg_wm_base_get_xdg_surface(connection.wmBase, window->surface);
    xdg_surface_add_listener(window->xdgSurface, &xdgSurfaceListener, window);
    window->toplevel = xdg_surface_get_toplevel(window->xdgSurface);
    xdg_toplevel_add_listener(window->toplevel, &toplevelListener, window);
    wayland::setTitle(window);
    return true;
}

void destroySurface(WindowRecord* window) {
    wayland::destroyGLSurface(window);
    if (window->subsurface) {
        wl_subsurface_destroy(window->subsurface);
        window->subsurface = nullptr;
    }
    if (window->toplevel) {
        xdg_toplevel_destroy(window->toplevel);
        window->toplevel = nullptr;
    }
    if (window->xdgSurface) {
        xdg_surface_destroy(window->xdgSurface);
        window->xdgSurface = nullptr;
    }
    wayland::dropBackground(window);
    if (window->surface) {
        wl_surface_destroy(window->surface);
        window->surface = nullptr;
    }
}

// Maps or unmaps the window's surface: a top-level window is mapped by its first content after the
// compositor's first configure, a subsurface by its content while its parent is mapped.
void mapSurface(WindowRecord* window, bool mapped) {
    wayland::Connection& connection = *window->connection;
    if (!mapped) {
        wl_surface_attach(window->surface, nullptr, 0, 0);
        wl_surface_commit(window->surface);
        window->configured = false;
        wayland::dropBackground(window);
        connection.flush();
        return;
    }
    if (window->toplevel) {
        wl_surface_commit(window->surface);
        if (!connection.roundtrip()) {
            return;
        }
        connection.answerConfigures();
    } else {
        wayland::attachBackground(window);
    }
    connection.flush();
}

} // namespace

namespace wayland {

bool show(WindowRecord* window, bool visible) {
    bool was = window->visible;
    if (visible == was) {
        return was;
    }
    window->visible = visible;
    if (visible) {
        window->style |= WS_VISIBLE;
        if (window->needSize) {
            window->needSize = false;
            wayland::callProcedure(window, WM_SIZE, SIZE_RESTORED, makeLParam(window->width, window->height));
            if (!wayland::ownedWindow(window)) {
                return was;
            }
            wayland::callProcedure(window, WM_MOVE, 0, makeLParam(window->x, window->y));
            if (!wayland::ownedWindow(window)) {
                return was;
            }
        }
        if (!window->parent) {
            setSizeHints(window);
            if (!wayland::ownedWindow(window)) {
                return was;
            }
        }
        mapSurface(window, true);
        if (!wayland::ownedWindow(window)) {
            return was;
        }
        wayland::markWhole(window, true);
        if (!window->parent) {
            {
                std::lock_guard lock(windowRegistry().mutex);
                windowRegistry().stacking.push_back(window);
            }
            wayland::shownToSeat(window);
        }
    } else {
        window->style &= ~WS_VISIBLE;
        if (!window->parent) {
            std::lock_guard lock(windowRegistry().mutex);
            std::erase(windowRegistry().stacking, window);
        }
        mapSurface(window, false);
    }
    return was;
}

namespace {

void freeTree(wayland::Connection& connection, WindowRecord* window) {
    // A subsurface goes before the surface it is attached to.
    for (WindowRecord* child : window->children) {
        freeTree(connection, child);
    }
    window->children.clear();
    {
        WindowRegistry& registry = windowRegistry();
        std::lock_guard lock(registry.mutex);
        registry.windows.erase(window);
        registry.deviceContexts.erase(&window->dc);
        std::erase(registry.stacking, window);
    }
    connection.removeWindow(window);
    destroySurface(window);
    delete window;
}

} // namespace

bool destroy(WindowRecord* window) {
    if (window->destroying) {
        return false;
    }
    wayland::markDestroying(window);
    wayland::Connection& connection = *window->connection;
    wayland::sendDestroy(window);
    wayland::callProcedure(window, WM_NCDESTROY, 0, 0);
    WindowRecord* parent = window->parent;
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), window));
        window->parent = nullptr;
    }
    // A subsurface is unmapped the moment it is destroyed; its parent needs no commit.
    freeTree(connection, window);
    connection.closeIfUnused();
    return true;
}

bool createNative(WindowRecord* window) {
    if (createSurface(*window->connection, window)) {
        return true;
    }
    destroySurface(window);
    window->connection->closeIfUnused();
    return false;
}

void placeNative(WindowRecord* window, bool moved, bool sized) {
    if (moved && window->subsurface) {
        wl_subsurface_set_position(window->subsurface, window->x, window->y);
        wayland::commitParent(window);
    }
    if (sized) {
        wayland::resizeGLSurface(window);
        if (wayland::isViewable(window) && window->eglSurface == EGL_NO_SURFACE &&
            (window->parent || window->configured)) {
            wayland::attachBackground(window);
        }
    }
    window->connection->flush();
}

namespace {

// A shared-memory buffer of one colour; null when the memory cannot be had.
wl_buffer* createPlainBuffer(wl_shm* shm, int32_t width, int32_t height, uint32_t colour) {
    const int32_t stride = width * 4;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    int fd = memfd_create("korvane-surface", MFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        return nullptr;
    }
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    std::fill_n(static_cast<uint32_t*>(pixels), size / 4, colour);
    munmap(pixels, size);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

} // namespace

void resizeFromCompositor(WindowRecord* window, int32_t width, int32_t height) {
    applyMinMax(window, width, height);
    if (!ownedWindow(window)) {
        return;
    }
    width = std::clamp(width, 1, 32767);
    height = std::clamp(height, 1, 32767);
    if (width == window->width && height == window->height) {
        attachBackground(window);
        return;
    }
    window->width = width;
    window->height = height;
    resizeGLSurface(window);
    attachBackground(window);
    if (window->classStyle & (CS_HREDRAW | CS_VREDRAW)) {
        wayland::markWhole(window, true);
    }
    window->connection->queueInput(Msg{window, WM_SIZE, SIZE_RESTORED, makeLParam(width, height)});
}

void attachBackground(WindowRecord* window) {
    // GL draws the window: its swaps give the surface its content.
    if (!window->surface || window->eglSurface != EGL_NO_SURFACE || !window->visible) {
        return;
    }
    if (!window->background || window->backgroundWidth != window->width ||
        window->backgroundHeight != window->height) {
        wl_buffer* buffer =
            createPlainBuffer(window->connection->shm, window->width, window->height, backgroundColour);
        if (!buffer) {
            return;
        }
        dropBackground(window);
        window->background = buffer;
        window->backgroundWidth = window->width;
        window->backgroundHeight = window->height;
    }
    wl_surface_attach(window->surface, window->background, 0, 0);
    wl_surface_damage(window->surface, 0, 0, window->width, window->height);
    wl_surface_commit(window->surface);
}

void dropBackground(WindowRecord* window) {
    if (window->background) {
        wl_buffer_destroy(window->background);
        window->background = nullptr;
    }
}

void commitParent(WindowRecord* window) {
    if (WindowRecord* parent = window->parent) {
        wl_surface_commit(parent->surface);
    }
}

} // namespace wayland

const char* describeWindowRequirements() {
    return "no Wayland display or no OpenGL/EGL";
}

} // namespace korvane::platform
