#include <GL/glx.h>
#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "platform/File.h"
#include "platform/GL.h"
#include "platform/unix/Backend.h"

namespace korvane::platform {

namespace {

using x11::onOwner;
using x11::windowOf;

uint8_t shiftOf(unsigned long mask) {
    if (!mask) {
        return 0;
    }
    uint8_t shift = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

uint8_t clampBits(int bits) {
    return static_cast<uint8_t>(std::clamp(bits, 0, 255));
}

struct FormatInfo {
    PixelFormatDescriptor descriptor;
    int samples = 0;
    int caveat = GLX_NONE;
    int visualDepth = 0;
};

// A pixel format is a GL-capable visual of the screen, described through GLX 1.2's per-visual queries.
// Visuals are the server's, the same on every connection; frame-buffer configurations are not: listing
// them makes the GL library keep a record of every configuration of every connection for good.
struct Format {
    VisualID visual = 0;
    FormatInfo info;
};

bool describe(Display* display, XVisualInfo& visual, FormatInfo& info) {
    auto attribute = [&](int name) {
        int value = 0;
        return glXGetConfig(display, &visual, name, &value) == 0 ? value : 0;
    };
    if (!attribute(GLX_USE_GL) || !attribute(GLX_RGBA))
        return false;
    PixelFormatDescriptor& d = info.descriptor;
    d.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (attribute(GLX_DOUBLEBUFFER)) {
        d.flags |= PFD_DOUBLEBUFFER;
    }
    if (attribute(GLX_STEREO)) {
        d.flags |= PFD_STEREO;
    }
    d.pixelType = PFD_TYPE_RGBA;
    d.redBits = clampBits(attribute(GLX_RED_SIZE));
    d.greenBits = clampBits(attribute(GLX_GREEN_SIZE));
    d.blueBits = clampBits(attribute(GLX_BLUE_SIZE));
    d.alphaBits = clampBits(attribute(GLX_ALPHA_SIZE));
    // As on Win32, the colour depth counts the colour planes without alpha.
    d.colorBits = clampBits(d.redBits + d.greenBits + d.blueBits);
    d.accumBits = clampBits(attribute(GLX_ACCUM_RED_SIZE) + attribute(GLX_ACCUM_GREEN_SIZE) +
                            attribute(GLX_ACCUM_BLUE_SIZE) + attribute(GLX_ACCUM_ALPHA_SIZE));
    d.depthBits = clampBits(attribute(GLX_DEPTH_SIZE));
    d.stencilBits = clampBits(attribute(GLX_STENCIL_SIZE));
    d.auxBuffers = clampBits(attribute(GLX_AUX_BUFFERS));
    d.redShift = shiftOf(visual.red_mask);
    d.greenShift = shiftOf(visual.green_mask);
    d.blueShift = shiftOf(visual.blue_mask);
    if (d.alphaBits) {
        d.alphaShift = static_cast<uint8_t>(
            std::max({d.redShift + d.redBits, d.greenShift + d.greenBits, d.blueShift + d.blueBits}));
    }
    info.samples = attribute(GLX_SAMPLES);
    info.caveat = attribute(GLX_CONFIG_CAVEAT);
    info.visualDepth = visual.depth;
    return true;
}

// The formats of the screen, listed once per process on the first connection that asks (and again
// later only while no format was found).
const std::vector<Format>& formatsOf(x11::Connection& connection) {
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
    XVisualInfo pattern{};
    pattern.screen = connection.screen;
    int count = 0;
    XVisualInfo* visuals = XGetVisualInfo(connection.display, VisualScreenMask, &pattern, &count);
    auto formats = std::make_unique<std::vector<Format>>();
    for (int i = 0; i < count; ++i) {
        Format format;
        format.visual = visuals[i].visualid;
        if (describe(connection.display, visuals[i], format.info)) {
            formats->push_back(format);
        }
    }
    if (visuals) {
        XFree(visuals);
    }
    x11::keepDriverLoaded("libGLX_mesa");
    if (formats->empty()) {
        return none;
    }
    listed.store(formats.release(), std::memory_order_release);
    return *listed.load(std::memory_order_acquire);
}

const Format* formatOf(x11::Connection& connection, int index) {
    const std::vector<Format>& formats = formatsOf(connection);
    if (index < 1 || static_cast<size_t>(index) > formats.size()) {
        return nullptr;
    }
    return &formats[static_cast<size_t>(index) - 1];
}

// The connection's description of a format's visual; free it with XFree.
XVisualInfo* visualOf(x11::Connection& connection, const Format& format) {
    XVisualInfo pattern{};
    pattern.visualid = format.visual;
    pattern.screen = connection.screen;
    int count = 0;
    return XGetVisualInfo(connection.display, VisualIDMask | VisualScreenMask, &pattern, &count);
}

// The shared score, then a visual of another depth than the screen's.
long long score(const PixelFormatDescriptor& request, const FormatInfo& info, int defaultDepth) {
    const long long result =
        x11::scorePixelFormat(request, info.descriptor, info.caveat != GLX_NONE, info.samples);
    if (result == LLONG_MAX) {
        return result;
    }
    return info.visualDepth != defaultDepth ? result + (1LL << 10) : result;
}

} // namespace

namespace x11 {

bool createNativeContext(WindowRecord* window, NativeContext& context) {
    Connection& connection = *window->connection;
    const Format* format = formatOf(connection, window->dc.pixelFormat);
    XVisualInfo* visual = format ? visualOf(connection, *format) : nullptr;
    if (!visual) {
        setLastError(ERROR_INVALID_PIXEL_FORMAT);
        return false;
    }
    // The server may refuse the context after the library has made its part: wait for its answer.
    ErrorTrap trap(connection.display);
    GLXContext glx = glXCreateContext(connection.display, visual, nullptr, True);
    XFree(visual);
    uint32_t error = trap.lastError(ERROR_INVALID_PIXEL_FORMAT);
    if (!glx || error) {
        if (glx) {
            glXDestroyContext(connection.display, glx);
            trap.check();
        }
        setLastError(error ? error : ERROR_INVALID_PIXEL_FORMAT);
        return false;
    }
    x11::keepDriverLoaded("libGLX_mesa");
    context = glx;
    return true;
}

void destroyNativeContext(GLContextRecord* context) {
    glXDestroyContext(context->connection->display, context->context);
}

bool makeNativeCurrent(WindowRecord* window, GLContextRecord* context) {
    return glXMakeCurrent(context->connection->display, window->xwindow, context->context);
}

void releaseNativeContext(GLContextRecord* current) {
    glXMakeCurrent(current->connection->display, None, nullptr);
}

} // namespace x11

int choosePixelFormat(DeviceContext dc, const PixelFormatDescriptor& request) {
    return onOwner(dc, 0, [&request](WindowRecord* window) {
        x11::Connection& connection = *window->connection;
        const std::vector<Format>& formats = formatsOf(connection);
        int defaultDepth = DefaultDepth(connection.display, connection.screen);
        int best = 0;
        long long bestScore = LLONG_MAX;
        for (size_t i = 0; i < formats.size(); ++i) {
            long long s = score(request, formats[i].info, defaultDepth);
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
        x11::Connection& connection = *window->connection;
        const Format* chosen = formatOf(connection, format);
        XVisualInfo* visual = chosen ? visualOf(connection, *chosen) : nullptr;
        if (!visual) {
            setLastError(ERROR_INVALID_PIXEL_FORMAT);
            return false;
        }
        // X fixes a window's visual when it is created: create the window again behind the same handle.
        bool ok = visual->visualid == window->visual || x11::recreateWindow(window, visual);
        XFree(visual);
        if (ok) {
            window->dc.pixelFormat = format;
        }
        return ok;
    });
}

int describePixelFormat(DeviceContext dc, int format, PixelFormatDescriptor& out) {
    return onOwner(dc, 0, [format, &out](WindowRecord* window) {
        x11::Connection& connection = *window->connection;
        const Format* described = formatOf(connection, format);
        if (!described) {
            setLastError(ERROR_INVALID_PIXEL_FORMAT);
            return 0;
        }
        out = described->info.descriptor;
        return static_cast<int>(formatsOf(connection).size());
    });
}

bool swapBuffers(DeviceContext dc) {
    WindowRecord* window = x11::ownedWindow(windowOf(dc));
    if (!window || window->dc.pixelFormat == 0) {
        return false;
    }
    glXSwapBuffers(window->connection->display, window->xwindow);
    // Send the presented frame now, as a Win32 swap shows it at once, rather than with the next request.
    XFlush(window->connection->display);
    return true;
}

void* getProcAddress(const char* name) {
    return name ? reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)))
                : nullptr;
}

} // namespace korvane::platform
