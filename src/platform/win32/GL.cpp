#include "platform/GL.h"

#include "platform/win32/Win32.h"

namespace korvane::platform {

using namespace win32;

namespace {

HGLRC toHglrc(GLContext context) {
    return reinterpret_cast<HGLRC>(context);
}

PIXELFORMATDESCRIPTOR toDescriptor(const PixelFormatDescriptor& in) {
    PIXELFORMATDESCRIPTOR out{};
    out.nSize = sizeof(out);
    out.nVersion = 1;
    out.dwFlags = in.flags;
    out.iPixelType = in.pixelType;
    out.cColorBits = in.colorBits;
    out.cRedBits = in.redBits;
    out.cRedShift = in.redShift;
    out.cGreenBits = in.greenBits;
    out.cGreenShift = in.greenShift;
    out.cBlueBits = in.blueBits;
    out.cBlueShift = in.blueShift;
    out.cAlphaBits = in.alphaBits;
    out.cAlphaShift = in.alphaShift;
    out.cAccumBits = in.accumBits;
    out.cDepthBits = in.depthBits;
    out.cStencilBits = in.stencilBits;
    out.cAuxBuffers = in.auxBuffers;
    out.iLayerType = PFD_MAIN_PLANE;
    return out;
}

PixelFormatDescriptor fromDescriptor(const PIXELFORMATDESCRIPTOR& in) {
    PixelFormatDescriptor out;
    out.flags = in.dwFlags;
    out.pixelType = in.iPixelType;
    out.colorBits = in.cColorBits;
    out.redBits = in.cRedBits;
    out.redShift = in.cRedShift;
    out.greenBits = in.cGreenBits;
    out.greenShift = in.cGreenShift;
    out.blueBits = in.cBlueBits;
    out.blueShift = in.cBlueShift;
    out.alphaBits = in.cAlphaBits;
    out.alphaShift = in.cAlphaShift;
    out.accumBits = in.cAccumBits;
    out.depthBits = in.cDepthBits;
    out.stencilBits = in.cStencilBits;
    out.auxBuffers = in.cAuxBuffers;
    return out;
}

} // namespace

DeviceContext getDC(WindowHandle window) {
    return toDeviceContext(GetDC(toHwnd(window)));
}

void releaseDC(WindowHandle window, DeviceContext dc) {
    ReleaseDC(toHwnd(window), toHdc(dc));
}

WindowHandle windowFromDC(DeviceContext dc) {
    return toHandle(WindowFromDC(toHdc(dc)));
}

int choosePixelFormat(DeviceContext dc, const PixelFormatDescriptor& request) {
    const PIXELFORMATDESCRIPTOR in = toDescriptor(request);
    return ChoosePixelFormat(toHdc(dc), &in);
}

bool setPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor& request) {
    const PIXELFORMATDESCRIPTOR in = toDescriptor(request);
    // A window's format is set once: Win32 refuses a different one later, and so does this layer for the
    // same one, which Wine would accept.
    if (GetPixelFormat(toHdc(dc)) != 0) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return false;
    }
    return SetPixelFormat(toHdc(dc), format, &in) != FALSE;
}

int describePixelFormat(DeviceContext dc, int format, PixelFormatDescriptor& out) {
    PIXELFORMATDESCRIPTOR described{};
    const int count = DescribePixelFormat(toHdc(dc), format, sizeof(described), &described);
    if (count != 0) {
        out = fromDescriptor(described);
    }
    return count;
}

int getPixelFormat(DeviceContext dc) {
    return GetPixelFormat(toHdc(dc));
}

GLContext createContext(DeviceContext dc) {
    return reinterpret_cast<GLContext>(wglCreateContext(toHdc(dc)));
}

bool deleteContext(GLContext context) {
    return wglDeleteContext(toHglrc(context)) != FALSE;
}

bool makeCurrent(DeviceContext dc, GLContext context) {
    return wglMakeCurrent(toHdc(dc), toHglrc(context)) != FALSE;
}

GLContext getCurrentContext() {
    return reinterpret_cast<GLContext>(wglGetCurrentContext());
}

DeviceContext getCurrentDC() {
    return toDeviceContext(wglGetCurrentDC());
}

bool swapBuffers(DeviceContext dc) {
    return SwapBuffers(toHdc(dc)) != FALSE;
}

void* getProcAddress(const char* name) {
    // wglGetProcAddress knows the extensions and what came after OpenGL 1.1; opengl32 exports the rest.
    PROC found = wglGetProcAddress(name);
    const auto value = reinterpret_cast<intptr_t>(found);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
        found = GetProcAddress(GetModuleHandleA("opengl32.dll"), name);
    }
    return reinterpret_cast<void*>(found);
}

} // namespace korvane::platform
