#include "support/graphics3d/NativeGL.h"

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/GL.h"
#include "platform/Window.h"

namespace korvane::graphics3d::test::nativegl {

namespace {

std::mutex lock;
std::map<GLXContext, Display*> displays;

Display* displayOf(GLXContext context) {
    std::lock_guard<std::mutex> guard(lock);
    auto found = displays.find(context);
    return found == displays.end() ? nullptr : found->second;
}

} // namespace

void registerContext(GLXContext context, Display* display) {
    std::lock_guard<std::mutex> guard(lock);
    displays[context] = display;
}

void unregisterContext(GLXContext context) {
    std::lock_guard<std::mutex> guard(lock);
    displays.erase(context);
}

} // namespace korvane::graphics3d::test::nativegl

// Device contexts and windows are X drawables; GL contexts are GLX contexts.
namespace korvane::platform {

using korvane::graphics3d::test::nativegl::displayOf;

GLContext getCurrentContext() {
    return reinterpret_cast<GLContext>(glXGetCurrentContext());
}

DeviceContext getCurrentDC() {
    return reinterpret_cast<DeviceContext>(uintptr_t(glXGetCurrentDrawable()));
}

WindowHandle windowFromDC(DeviceContext dc) {
    return reinterpret_cast<WindowHandle>(dc);
}

bool makeCurrent(DeviceContext dc, GLContext context) {
    if (!context) {
        Display* display = glXGetCurrentDisplay();
        return !display || glXMakeCurrent(display, None, nullptr);
    }
    Display* display = displayOf(reinterpret_cast<GLXContext>(context));
    return display &&
           glXMakeCurrent(display, GLXDrawable(uintptr_t(dc)), reinterpret_cast<GLXContext>(context));
}

bool deleteContext(GLContext context) {
    Display* display = displayOf(reinterpret_cast<GLXContext>(context));
    if (!display)
        return false;
    glXDestroyContext(display, reinterpret_cast<GLXContext>(context));
    return true;
}

bool getWindowRect(WindowHandle window, Rect& rect) {
    Display* display = glXGetCurrentDisplay();
    if (!display)
        return false;
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, Window(uintptr_t(window)), &root, &x, &y, &width, &height, &border, &depth))
        return false;
    rect = {x, y, x + int32_t(width), y + int32_t(height)};
    return true;
}

} // namespace korvane::platform
