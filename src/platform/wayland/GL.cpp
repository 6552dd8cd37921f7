#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>
#include <wayland-client.h>
#include <wayland-egl.h>

#include "platform/File.h"
#include "platform/GL.h"
#include "platform/unix/Backend.h"

namespace korvane::platform {

namespace {

using wayland::onOwner;
using wayland::windowOf;

uint8_t clampBits(int bits) {
    return static_cast<uint8_t>(std::clamp(bits, 0, 255));
}

// A pixel format is an EGL configuration that draws desktop OpenGL to windows. The driver numbers its
// configurations the same way on every display, so they are listed once per process and found again on
// another connection's display by their id.
struct Format {
    EGLint id = 0;
    PixelFormatDescriptor descriptor;
    int samples = 0;
    int caveat = EGL_NONE;
};

bool describe(EGLDisplay display, EGLConfig config, Format& format) {
    auto attribute = [&](EGLint name) {
        EGLint value = 0;
        return eglGetConfigAttrib(display, config, name, &value) ? value : 0;
    };
    if (!(attribute(EGL_SURFACE_TYPE) & EGL_WINDOW_BIT) ||
        !(attribute(EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT) ||
        attribute(EGL_COLOR_BUFFER_TYPE) != EGL_RGB_BUFFER) {
        return false;
    }
    format.id = attribute(EGL_CONFIG_ID);
    PixelFormatDescriptor& d = format.descriptor;
    // Window surfaces are always double-buffered (eglSwapBuffers shows the back buffer).
    d.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    d.pixelType = PFD_TYPE_RGBA;
    d.redBits = clampBits(attribute(EGL_RED_SIZE));
    d.greenBits = clampBits(attribute(EGL_GREEN_SIZE));
    d.blueBits = clampBits(attribute(EGL_BLUE_SIZE));
    d.alphaBits = clampBits(attribute(EGL_ALPHA_SIZE));
    // As on Win32, the colour depth counts the colour planes without alpha.
    d.colorBits = clampBits(d.redBits + d.greenBits + d.blueBits);
    d.depthBits = clampBits(attribute(EGL_DEPTH_SIZE));
    d.stencilBits = clampBits(attribute(EGL_STENCIL_SIZE));
    // The buffers of a Wayland surface are laid out with blue in the lowest bits (ARGB/XRGB).
    d.blueShift = 0;
    d.greenShift = d.blueBits;
    d.redShift = static_cast<uint8_t>(d.blueBits + d.greenBits);
    if (d.alphaBits) {
        d.alphaShift = static_cast<uint8_t>(d.redShift + d.redBits);
    }
    format.samples = attribute(EGL_SAMPLES);
    format.caveat = attribute(EGL_CONFIG_CAVEAT);
    return true;
}

// The connection's EGL display, initialised on first use; EGL_NO_DISPLAY when EGL cannot draw there.
EGLDisplay displayOf(wayland::Connection& connection) {
    if (connection.egl != EGL_NO_DISPLAY) {
        return connection.egl;
    }
    EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, connection.display, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        return EGL_NO_DISPLAY;
    }
    wayland::keepDriverLoaded("libEGL_mesa");
    connection.egl = display;
    return display;
}

const std::vector<Format>& formatsOf(wayland::Connection& connection) {
    static std::mutex mutex;
    static std::atomic<const std::vector<Format>*> listed{nullptr};
    static const std::vector<Format> none;
    if (const std::vector<Format>* formats = listed.load(std::memory_order_acquire)) {
        return *formats;
    }
    std::lock_guard lock(mutex);
    if (const std::vector<Format>* formats = listed.load(std::memory_order_acquire)) {
        return *formats;
    }
    EGLDisplay display = displayOf(connection);
    EGLint count = 0;
    if (display == EGL_NO_DISPLAY || !eglGetConfigs(display, nullptr, 0, &count) || count <= 0) {
        return none;
    }
    std::vector<EGLConfig> configs(static_cast<size_t>(count));
    eglGetConfigs(display, configs.data(), count, &count);
    auto formats = std::make_unique<std::vector<Format>>();
    for (EGLint i = 0; i < count; ++i) {
        Format format;
        if (describe(display, configs[static_cast<size_t>(i)], format)) {
            formats->push_back(format);
        }
    }
    if (formats->empty()) {
        return none;
    }
    listed.store(formats.release(), std::memory_order_release);
    return *listed.load(std::memory_order_acquire);
}

const Format* formatOf(wayland::Connection& connection, int index) {
    const std::vector<Format>& formats = formatsOf(connection);
    if (index < 1 || static_cast<size_t>(index) > formats.size()) {
        return nullptr;
    }
    return &formats[static_cast<size_t>(index) - 1];
}

// The configuration of a format on the connection's display; null when it has none.
EGLConfig configOf(wayland::Connection& connection, const Format& format) {
    EGLDisplay display = displayOf(connection);
    const EGLint attributes[] = {EGL_CONFIG_ID, format.id, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (display == EGL_NO_DISPLAY || !eglChooseConfig(display, attributes, &config, 1, &count) || count < 1) {
        return nullptr;
    }
    return config;
}

long long score(const PixelFormatDescriptor& request, const Format& format) {
    return wayland::scorePixelFormat(request, format.descriptor, format.caveat != EGL_NONE, format.samples);
}

// The whole surface is opaque, whatever its alpha channel holds: windows do not show what lies behind.
void setOpaque(WindowRecord* window) {
    wl_region* region = wl_compositor_create_region(window->connection->compositor);
    wl_region_add(region, 0, 0, window->width, window->height);
    wl_surface_set_opaque_region(window->surface, region);
    wl_region_destroy(region);
}

std::atomic<bool> capturing{false};

// Copies the back buffer that is about to be presented into the window's record.
void capture(WindowRecord* window) {
    using ReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
    using ReadBuffer = void (*)(unsigned);
    static auto readPixels = reinterpret_cast<ReadPixels>(eglGetProcAddress("glReadPixels"));
    static auto readBuffer = reinterpret_cast<ReadBuffer>(eglGetProcAddress("glReadBuffer"));
    if (!readPixels || !readBuffer) {
        return;
    }
    constexpr unsigned back = 0x0405, rgba = 0x1908, unsignedByte = 0x1401;
    const int32_t width = window->width, height = window->height;
    std::vector<uint32_t> rows(static_cast<size_t>(width) * static_cast<size_t>(height));
    readBuffer(back);
    readPixels(0, 0, width, height, rgba, unsignedByte, rows.data());
    std::vector<uint32_t> frame(rows.size());
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const auto* bytes =
                reinterpret_cast<const unsigned char*>(&rows[static_cast<size_t>(y * width + x)]);
            frame[static_cast<size_t>((height - 1 - y) * width + x)] =
                uint32_t(bytes[0]) << 16 | uint32_t(bytes[1]) << 8 | bytes[2];
        }
    }
    std::lock_guard lock(windowRegistry().mutex);
    window->presented = std::move(frame);
    window->presentedWidth = width;
    window->presentedHeight = height;
}

} // namespace

namespace wayland {

void captureFrames(bool enabled) {
    capturing.store(enabled, std::memory_order_relaxed);
}

bool createNativeContext(WindowRecord* window, NativeContext& context) {
    Connection& connection = *window->connection;
    const Format* format = formatOf(connection, window->dc.pixelFormat);
    EGLConfig config = format ? configOf(connection, *format) : nullptr;
    if (!config) {
        setLastError(ERROR_INVALID_PIXEL_FORMAT);
        return false;
    }
    // Desktop OpenGL; without version attributes EGL gives a compatibility (legacy) context.
    eglBindAPI(EGL_OPENGL_API);
    EGLContext egl = eglCreateContext(connection.egl, config, EGL_NO_CONTEXT, nullptr);
    if (egl == EGL_NO_CONTEXT) {
        setLastError(eglGetError() == EGL_BAD_ALLOC ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_PIXEL_FORMAT);
        return false;
    }
    wayland::keepDriverLoaded("libEGL_mesa");
    context = egl;
    return true;
}

void destroyNativeContext(GLContextRecord* context) {
    eglDestroyContext(context->connection->egl, context->context);
}

bool makeNativeCurrent(WindowRecord* window, GLContextRecord* context) {
    if (window->eglSurface == EGL_NO_SURFACE) {
        return false;
    }
    eglBindAPI(EGL_OPENGL_API);
    if (!eglMakeCurrent(window->connection->egl, window->eglSurface, window->eglSurface, context->context)) {
        return false;
    }
    // A swap must never wait for the compositor's frame callback: a hidden or covered surface gets none.
    eglSwapInterval(window->connection->egl, 0);
    return true;
}

void releaseNativeContext(GLContextRecord* current) {
    eglMakeCurrent(current->connection->egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void resizeGLSurface(WindowRecord* window) {
    if (window->eglWindow) {
        wl_egl_window_resize(window->eglWindow, window->width, window->height, 0, 0);
        setOpaque(window);
    }
}

void destroyGLSurface(WindowRecord* window) {
    releaseIfCurrent(window);
    if (window->eglSurface != EGL_NO_SURFACE) {
        eglDestroySurface(window->connection->egl, window->eglSurface);
        window->eglSurface = EGL_NO_SURFACE;
    }
    if (window->eglWindow) {
        wl_egl_window_destroy(window->eglWindow);
        window->eglWindow = nullptr;
    }
}

} // namespace wayland

int choosePixelFormat(DeviceContext dc, const PixelFormatDescriptor& request) {
    return onOwner(dc, 0, [&request](WindowRecord* window) {
        const std::vector<Format>& formats = formatsOf(*window->connection);
        int best = 0;
        long long bestScore = LLONG_MAX;
        for (size_t i = 0; i < formats.size(); ++i) {
            long long s = score(request, formats[i]);
            if (s < bestScore) {
                bestScore = s;
                best = static_cast<int>(i + 1);
            }
        }
        return best;
    });
}

bool setPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor&) {
    return onOwner(dc, false, [format](WindowRecord* window) {
        if (window->dc.pixelFormat != 0) {
            return false;
        }
        wayland::Connection& connection = *window->connection;
        const Format* chosen = formatOf(connection, format);
        EGLConfig config = chosen ? configOf(connection, *chosen) : nullptr;
        if (!config) {
            setLastError(ERROR_INVALID_PIXEL_FORMAT);
            return false;
        }
        // From now on GL draws the surface: its plain content goes with the next swap.
        window->eglWindow = wl_egl_window_create(window->surface, window->width, window->height);
        if (!window->eglWindow) {
            setLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        window->eglSurface = eglCreateWindowSurface(
            connection.egl, config, reinterpret_cast<EGLNativeWindowType>(window->eglWindow), nullptr);
        if (window->eglSurface == EGL_NO_SURFACE) {
            wl_egl_window_destroy(window->eglWindow);
            window->eglWindow = nullptr;
            setLastError(ERROR_INVALID_PIXEL_FORMAT);
            return false;
        }
        setOpaque(window);
        window->dc.pixelFormat = format;
        {
            std::lock_guard lock(windowRegistry().mutex);
            window->dirty = window->dirtyWhole = window->erase = true;
        }
        return true;
    });
}

int describePixelFormat(DeviceContext dc, int format, PixelFormatDescriptor& out) {
    return onOwner(dc, 0, [format, &out](WindowRecord* window) {
        wayland::Connection& connection = *window->connection;
        const Format* described = formatOf(connection, format);
        if (!described) {
            setLastError(ERROR_INVALID_PIXEL_FORMAT);
            return 0;
        }
        out = described->descriptor;
        return static_cast<int>(formatsOf(connection).size());
    });
}

bool swapBuffers(DeviceContext dc) {
    WindowRecord* window = wayland::ownedWindow(windowOf(dc));
    if (!window || window->dc.pixelFormat == 0 || window->eglSurface == EGL_NO_SURFACE) {
        return false;
    }
    // A top-level surface may show content only once the compositor has configured it, and nothing
    // shows of a hidden window: there the frame is dropped, as Win32 shows nothing of a hidden window.
    if (!wayland::isViewable(window) || (window->toplevel && !window->configured)) {
        return true;
    }
    // EGL swaps only the surface current on this thread with one of its contexts.
    if (eglGetCurrentSurface(EGL_DRAW) != window->eglSurface) {
        return false;
    }
    if (capturing.load(std::memory_order_relaxed)) {
        capture(window);
    }
    bool ok = eglSwapBuffers(window->connection->egl, window->eglSurface);
    window->connection->flush();
    return ok;
}

void* getProcAddress(const char* name) {
    return name ? reinterpret_cast<void*>(eglGetProcAddress(name)) : nullptr;
}

} // namespace korvane::platform
