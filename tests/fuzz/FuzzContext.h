// One hidden window of the X server with a legacy GL context current on the fuzzing thread, made once and
// kept for the whole run: every input is tried in the same rendering Context, so an input costs only its
// own GL work.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "graphics3d/Context.h"
#include "platform/GL.h"
#include "platform/Window.h"

namespace korvane::fuzz {

inline graphics3d::Context* fuzzContext() {
    static graphics3d::Context* const context = [] {
        platform::WindowClass windowClass;
        windowClass.name = "korvane.fuzz";
        windowClass.style = platform::CS_OWNDC;
        windowClass.procedure = platform::defWindowProc;
        platform::registerClass(windowClass);
        // Never shown: the frame buffer of a hidden window is enough for creating GL objects.
        const platform::WindowHandle window = platform::createWindow(
            0, "korvane.fuzz", "fuzz", platform::WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr);
        if (!window) {
            std::fprintf(stderr, "fuzz: no window (is there an X server? run under xvfb-run)\n");
            std::exit(2);
        }
        const platform::DeviceContext dc = platform::getDC(window);
        platform::PixelFormatDescriptor request;
        request.flags =
            platform::PFD_DRAW_TO_WINDOW | platform::PFD_SUPPORT_OPENGL | platform::PFD_DOUBLEBUFFER;
        request.colorBits = 24;
        request.depthBits = 24;
        const int format = platform::choosePixelFormat(dc, request);
        platform::GLContext gl = nullptr;
        if (format == 0 || !platform::setPixelFormat(dc, format, request) ||
            !(gl = platform::createContext(dc)) || !platform::makeCurrent(dc, gl)) {
            std::fprintf(stderr, "fuzz: no GL context\n");
            std::exit(2);
        }
        // The window and the context live until the process ends.
        return graphics3d::Context::current();
    }();
    return context;
}

} // namespace korvane::fuzz
