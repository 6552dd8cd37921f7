#include "support/graphics3d/GLTestWindow.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include "support/graphics3d/NativeGL.h"

namespace korvane::graphics3d::test {

struct GLTestWindow::Native {
    Display* display = nullptr;
    Window window = 0;
    Colormap colormap = 0;
    GLXContext glContext = nullptr;
};

GLTestWindow::GLTestWindow(int width, int height) : native(std::make_unique<Native>()) {
    native->display = XOpenDisplay(nullptr);
    if (!native->display)
        return;
    int attributes[] = {GLX_RGBA,
                        GLX_DOUBLEBUFFER,
                        GLX_RED_SIZE,
                        8,
                        GLX_GREEN_SIZE,
                        8,
                        GLX_BLUE_SIZE,
                        8,
                        GLX_DEPTH_SIZE,
                        24,
                        GLX_STENCIL_SIZE,
                        8,
                        None};
    XVisualInfo* visual = glXChooseVisual(native->display, DefaultScreen(native->display), attributes);
    if (!visual)
        return;
    const Window root = RootWindow(native->display, visual->screen);
    XSetWindowAttributes windowAttributes{};
    native->colormap = XCreateColormap(native->display, root, visual->visual, AllocNone);
    windowAttributes.colormap = native->colormap;
    native->window = XCreateWindow(native->display, root, 0, 0, width, height, 0, visual->depth, InputOutput,
                                   visual->visual, CWColormap, &windowAttributes);
    XMapWindow(native->display, native->window);
    XSync(native->display, False);
    native->glContext = glXCreateContext(native->display, visual, nullptr, True);
    XFree(visual);
    if (!native->glContext)
        return;
    nativegl::registerContext(native->glContext, native->display);
    if (!glXMakeCurrent(native->display, native->window, native->glContext))
        return;
    context = Context::current();
}

GLTestWindow::~GLTestWindow() {
    if (context) {
        // The Context owns the GL context: closing deletes it.
        context->close();
        context->release();
    } else if (native->glContext) {
        glXMakeCurrent(native->display, None, nullptr);
        glXDestroyContext(native->display, native->glContext);
    }
    if (native->glContext)
        nativegl::unregisterContext(native->glContext);
    if (native->window)
        XDestroyWindow(native->display, native->window);
    if (native->colormap)
        XFreeColormap(native->display, native->colormap);
    if (native->display)
        XCloseDisplay(native->display);
}

void GLTestWindow::resize(int width, int height) {
    XResizeWindow(native->display, native->window, width, height);
    XSync(native->display, False);
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
