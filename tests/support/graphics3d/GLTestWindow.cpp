#include "support/graphics3d/GLTestWindow.h"

#ifndef _WIN32
#include <dlfcn.h>
#include <link.h>
#endif

#include <cstring>
#include <mutex>

#include "platform/GL.h"
#include "platform/Window.h"

namespace korvane::graphics3d::test {

namespace {

const char* windowClass() {
    static const bool registered = [] {
        platform::WindowClass windowClass;
        windowClass.name = "korvane.graphics3d.test";
        windowClass.style = platform::CS_OWNDC;
        windowClass.procedure = platform::defWindowProc;
        return platform::registerClass(windowClass);
    }();
    (void)registered;
    return "korvane.graphics3d.test";
}

// Keeps Mesa's DRI driver loaded until the process ends. It is unloaded when the last GL context goes,
// and LeakSanitizer would then report the driver's own small leaks against an unknown module, out of
// reach of a suppression by library name (tests/lsan.supp).
void pinDriver() {
#ifndef _WIN32
    static std::once_flag pinned;
    std::call_once(pinned, [] {
        dl_iterate_phdr(
            [](dl_phdr_info* info, size_t, void*) {
                if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
                    dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
                return 0;
            },
            nullptr);
    });
#endif
}

} // namespace

struct GLTestWindow::Native {
    platform::WindowHandle window = nullptr;
    platform::GLContext glContext = nullptr;
};

GLTestWindow::GLTestWindow(int width, int height) : native(std::make_unique<Native>()) {
    // The client area is the size asked for: the frame, where there is one, comes on top.
    platform::Rect outer{0, 0, width, height};
    platform::adjustWindowRectEx(outer, platform::WS_OVERLAPPEDWINDOW, false, 0);
    native->window =
        platform::createWindow(0, windowClass(), "graphics3d", platform::WS_OVERLAPPEDWINDOW, 0, 0,
                               outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr);
    if (!native->window)
        return;
    platform::showWindow(native->window, platform::SW_SHOW);
    const platform::DeviceContext dc = platform::getDC(native->window);
    platform::PixelFormatDescriptor request;
    request.flags = platform::PFD_DRAW_TO_WINDOW | platform::PFD_SUPPORT_OPENGL | platform::PFD_DOUBLEBUFFER;
    request.colorBits = 24;
    request.depthBits = 24;
    request.stencilBits = 8;
    const int format = platform::choosePixelFormat(dc, request);
    if (format == 0 || !platform::setPixelFormat(dc, format, request))
        return;
    native->glContext = platform::createContext(dc);
    if (!native->glContext || !platform::makeCurrent(dc, native->glContext))
        return;
    pinDriver();
    context = Context::current();
}

GLTestWindow::~GLTestWindow() {
    if (context) {
        // The Context owns the GL context: closing deletes it.
        context->close();
        context->release();
    } else if (native->glContext) {
        platform::makeCurrent(nullptr, nullptr);
        platform::deleteContext(native->glContext);
    }
    if (native->window)
        platform::destroyWindow(native->window);
}

void GLTestWindow::resize(int width, int height) {
    platform::Rect outer{0, 0, width, height};
    platform::adjustWindowRectEx(outer, platform::WS_OVERLAPPEDWINDOW, false, 0);
    platform::setWindowPos(native->window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                           platform::SWP_NOMOVE | platform::SWP_NOZORDER);
}

GLint getInteger(GLenum query) {
    GLint value = 0;
    glGetIntegerv(query, &value);
    return value;
}

bool isEnabled(GLenum capability) {
    return glIsEnabled(capability) == GL_TRUE;
}

} // namespace korvane::graphics3d::test
