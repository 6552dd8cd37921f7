#pragma once

#include <cstdint>

#include "platform/MessageQueue.h"

// Pixel formats and OpenGL contexts for windows, shaped after GDI and WGL: a window's device context
// carries one pixel format, set once; a GL context is created for a device context and made current on
// one thread at a time.
namespace korvane::platform {

using DeviceContext = struct DeviceContextRecord*;
using GLContext = struct GLContextRecord*;

constexpr uint32_t PFD_DOUBLEBUFFER = 0x00000001;
constexpr uint32_t PFD_STEREO = 0x00000002;
constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr uint32_t PFD_DRAW_TO_BITMAP = 0x00000008;
constexpr uint32_t PFD_SUPPORT_GDI = 0x00000010;
constexpr uint32_t PFD_SUPPORT_OPENGL = 0x00000020;
constexpr uint32_t PFD_GENERIC_FORMAT = 0x00000040;
constexpr uint32_t PFD_NEED_PALETTE = 0x00000080;
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_TYPE_COLORINDEX = 1;

/// The fields of a pixel format that the framework reads and requests.
struct PixelFormatDescriptor {
    uint32_t flags = 0;
    uint8_t pixelType = PFD_TYPE_RGBA;
    uint8_t colorBits = 0;
    uint8_t redBits = 0, redShift = 0;
    uint8_t greenBits = 0, greenShift = 0;
    uint8_t blueBits = 0, blueShift = 0;
    uint8_t alphaBits = 0, alphaShift = 0;
    uint8_t accumBits = 0;
    uint8_t depthBits = 0;
    uint8_t stencilBits = 0;
    uint8_t auxBuffers = 0;
};

/// The device context of a window (one per window, owned by it; releaseDC is a no-op kept for symmetry).
DeviceContext getDC(WindowHandle window);
void releaseDC(WindowHandle window, DeviceContext dc);
WindowHandle windowFromDC(DeviceContext dc);

/// The 1-based index of the format closest to the request, 0 when none fits.
int choosePixelFormat(DeviceContext dc, const PixelFormatDescriptor& request);
/// Sets the window's format; fails when it already has one or the index is out of range.
bool setPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor& request);
/// Fills out the format's description; returns the number of formats (0 on failure).
int describePixelFormat(DeviceContext dc, int format, PixelFormatDescriptor& out);
/// The format set on the window, 0 when none is set.
int getPixelFormat(DeviceContext dc);

/// A legacy (compatibility profile) OpenGL context for the device context's format; null on failure.
GLContext createContext(DeviceContext dc);
bool deleteContext(GLContext context);
/// Makes the context current on the calling thread for drawing to dc; (null, null) releases the current one.
bool makeCurrent(DeviceContext dc, GLContext context);
GLContext getCurrentContext();
DeviceContext getCurrentDC();
bool swapBuffers(DeviceContext dc);
/// The address of a GL entry point, null when the driver has none.
void* getProcAddress(const char* name);

} // namespace korvane::platform
