#include "platform/GL.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32/Win32.h"

#include <GL/gl.h>

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

// Wine (8.0 at least) shows nothing that OpenGL draws into a child window: it renders such a window off
// screen and its copy to the screen fails, and GDI drawing into the child is lost with it. Under Wine a
// child window's pixel format is therefore set on a hidden top-level stand-in kept at the child's client
// size; contexts for the child are made current on the stand-in, and swapBuffers copies the stand-in's
// back buffer into the child through GDI. On Windows the child takes the format itself.
bool underWine() {
    static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

using BindFramebuffer = void(WINAPI*)(GLenum, GLuint);
using BindBuffer = void(WINAPI*)(GLenum, GLuint);

struct StandIn {
    HWND child = nullptr;
    HWND window = nullptr;
    HDC dc = nullptr;
    DWORD thread = 0; // the stand-in's owner, the only thread that can destroy it
    bool doubleBuffered = true;
    HDC childDC = nullptr; // the child's device context it was last made current for, under standInsMutex
    std::vector<uint32_t> pixels;
    // Entry points for reading frames, looked up at the first frame (one pixel format, the same ones).
    bool lookedUp = false;
    BindFramebuffer bindFramebuffer = nullptr;
    BindBuffer bindBuffer = nullptr;
};

std::mutex standInsMutex;
std::vector<std::shared_ptr<StandIn>> standIns;

std::shared_ptr<StandIn> standInOf(HWND child) {
    if (!child) {
        return nullptr;
    }
    std::lock_guard lock(standInsMutex);
    for (const auto& standIn : standIns) {
        if (standIn->child == child) {
            return standIn;
        }
    }
    return nullptr;
}

std::shared_ptr<StandIn> standInOf(HDC childDC) {
    return underWine() ? standInOf(WindowFromDC(childDC)) : nullptr;
}

const char* standInClass() {
    static const char* name = [] {
        WNDCLASSA in{};
        in.style = CS_OWNDC;
        in.lpfnWndProc = DefWindowProcA;
        in.hInstance = GetModuleHandleA(nullptr);
        in.lpszClassName = "korvane.platform.glStandIn";
        RegisterClassA(&in);
        return in.lpszClassName;
    }();
    return name;
}

SIZE clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {std::max<LONG>(client.right - client.left, 1), std::max<LONG>(client.bottom - client.top, 1)};
}

// Keeps the stand-in, and so its default frame buffer, at the child's client size.
void fitStandIn(const StandIn& standIn) {
    const SIZE wanted = clientSize(standIn.child);
    const SIZE now = clientSize(standIn.window);
    if (wanted.cx != now.cx || wanted.cy != now.cy) {
        UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
        if (standIn.thread != GetCurrentThreadId()) {
            flags |= SWP_ASYNCWINDOWPOS; // never wait on a thread that may be waiting on this one
        }
        SetWindowPos(standIn.window, nullptr, 0, 0, wanted.cx, wanted.cy, flags);
    }
}

// Made on the child's own thread, so that the stand-in lives as long as the child: a window ends with the
// thread that made it. That thread also takes the calls for one child in turn, so only one of several
// threads setting its format at once succeeds.
bool setStandInFormat(HDC childDC, HWND child, int format, const PIXELFORMATDESCRIPTOR& request) {
    DWORD error = ERROR_INVALID_PIXEL_FORMAT;
    const LRESULT set = runOnOwner(child, [&]() -> LRESULT {
        if (GetPixelFormat(childDC) != 0 || standInOf(child)) {
            return FALSE;
        }
        auto standIn = std::make_shared<StandIn>();
        const SIZE size = clientSize(child);
        standIn->child = child;
        standIn->thread = GetCurrentThreadId();
        standIn->window =
            CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, standInClass(), "", WS_POPUP, 0, 0, size.cx,
                            size.cy, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!standIn->window) {
            error = GetLastError();
            return FALSE;
        }
        standIn->dc = GetDC(standIn->window);
        if (!SetPixelFormat(standIn->dc, format, &request)) {
            error = GetLastError();
            DestroyWindow(standIn->window);
            return FALSE;
        }
        PIXELFORMATDESCRIPTOR described{};
        if (DescribePixelFormat(standIn->dc, format, sizeof(described), &described)) {
            standIn->doubleBuffered = (described.dwFlags & PFD_DOUBLEBUFFER) != 0;
        }
        std::lock_guard lock(standInsMutex);
        standIns.push_back(std::move(standIn));
        return TRUE;
    });
    if (!set) {
        SetLastError(error);
    }
    return set != FALSE;
}

constexpr GLenum readFramebuffer = 0x8CA8;        // GL_READ_FRAMEBUFFER
constexpr GLenum readFramebufferBinding = 0x8CAA; // GL_READ_FRAMEBUFFER_BINDING
constexpr GLenum pixelPackBuffer = 0x88EB;        // GL_PIXEL_PACK_BUFFER
constexpr GLenum pixelPackBufferBinding = 0x88ED; // GL_PIXEL_PACK_BUFFER_BINDING
constexpr GLenum bgra = 0x80E1;                   // GL_BGRA

// Reads the stand-in's frame into its pixels with the context current on it, leaving the GL state that
// reading touches as it was.
SIZE readFrame(StandIn& standIn) {
    const SIZE size = clientSize(standIn.window);
    if (!standIn.lookedUp) {
        standIn.bindFramebuffer = reinterpret_cast<BindFramebuffer>(getProcAddress("glBindFramebuffer"));
        standIn.bindBuffer = reinterpret_cast<BindBuffer>(getProcAddress("glBindBuffer"));
        standIn.lookedUp = true;
    }
    const BindFramebuffer bindFramebuffer = standIn.bindFramebuffer;
    const BindBuffer bindBuffer = standIn.bindBuffer;
    GLint framebuffer = 0, buffer = 0, readBuffer = 0, alignment = 0, rowLength = 0, skipRows = 0,
          skipPixels = 0;
    if (bindFramebuffer) {
        glGetIntegerv(readFramebufferBinding, &framebuffer);
        bindFramebuffer(readFramebuffer, 0);
    }
    if (bindBuffer) {
        glGetIntegerv(pixelPackBufferBinding, &buffer);
        bindBuffer(pixelPackBuffer, 0);
    }
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_PACK_SKIP_ROWS, &skipRows);
    glGetIntegerv(GL_PACK_SKIP_PIXELS, &skipPixels);
    glReadBuffer(standIn.doubleBuffered ? GL_BACK : GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    standIn.pixels.resize(size_t(size.cx) * size_t(size.cy));
    glReadPixels(0, 0, size.cx, size.cy, bgra, GL_UNSIGNED_BYTE, standIn.pixels.data());
    glReadBuffer(GLenum(readBuffer));
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_PACK_SKIP_ROWS, skipRows);
    glPixelStorei(GL_PACK_SKIP_PIXELS, skipPixels);
    if (bindBuffer) {
        bindBuffer(pixelPackBuffer, GLuint(buffer));
    }
    if (bindFramebuffer) {
        bindFramebuffer(readFramebuffer, GLuint(framebuffer));
    }
    return size;
}

bool presentStandIn(StandIn& standIn, HDC childDC) {
    // Only a context current on the stand-in, on this thread, can read its frame.
    if (wglGetCurrentDC() != standIn.dc) {
        return SwapBuffers(standIn.dc) != FALSE;
    }
    const SIZE size = readFrame(standIn);
    if (!SwapBuffers(standIn.dc)) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy; // bottom-up, as GL reads
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(childDC, 0, 0, DWORD(size.cx), DWORD(size.cy), 0, 0, 0, UINT(size.cy),
                      standIn.pixels.data(), &info, DIB_RGB_COLORS);
    // Wine puts a window's GDI drawing on the screen when its thread next waits; a wait that returns at
    // once puts this frame there now, as a swap would.
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, 0, 0);
    return true;
}

} // namespace

namespace win32 {

void resizeStandIn(HWND child) {
    if (!underWine()) {
        return;
    }
    if (const auto standIn = standInOf(child)) {
        fitStandIn(*standIn);
    }
}

void releaseStandIn(HWND child) {
    if (!underWine()) {
        return;
    }
    std::shared_ptr<StandIn> standIn;
    {
        std::lock_guard lock(standInsMutex);
        const auto found = std::find_if(standIns.begin(), standIns.end(),
                                        [child](const auto& entry) { return entry->child == child; });
        if (found == standIns.end()) {
            return;
        }
        standIn = *found;
        standIns.erase(found);
    }
    // As for any window: a context left current on it would draw into a window that is gone.
    if (wglGetCurrentDC() == standIn->dc) {
        wglMakeCurrent(nullptr, nullptr);
    }
    if (standIn->thread == GetCurrentThreadId()) {
        DestroyWindow(standIn->window);
    } else {
        PostMessageA(standIn->window, WM_CLOSE, 0, 0);
    }
}

} // namespace win32

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
    HWND window = WindowFromDC(toHdc(dc));
    if (underWine() && window && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) {
        return setStandInFormat(toHdc(dc), window, format, in);
    }
    // A window's format is set once: Win32 refuses a different one later, and so does this layer for the
    // same one, which Wine would accept. Threads setting formats at once take turns, so that one of them
    // sets it.
    static std::mutex settingFormats;
    std::lock_guard lock(settingFormats);
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
    if (const auto standIn = standInOf(toHdc(dc))) {
        return GetPixelFormat(standIn->dc);
    }
    return GetPixelFormat(toHdc(dc));
}

GLContext createContext(DeviceContext dc) {
    if (const auto standIn = standInOf(toHdc(dc))) {
        return reinterpret_cast<GLContext>(wglCreateContext(standIn->dc));
    }
    return reinterpret_cast<GLContext>(wglCreateContext(toHdc(dc)));
}

bool deleteContext(GLContext context) {
    return wglDeleteContext(toHglrc(context)) != FALSE;
}

bool makeCurrent(DeviceContext dc, GLContext context) {
    if (const auto standIn = dc ? standInOf(toHdc(dc)) : nullptr) {
        fitStandIn(*standIn);
        {
            std::lock_guard lock(standInsMutex); // getCurrentDC reads it on other threads
            standIn->childDC = toHdc(dc);
        }
        return wglMakeCurrent(standIn->dc, toHglrc(context)) != FALSE;
    }
    return wglMakeCurrent(toHdc(dc), toHglrc(context)) != FALSE;
}

GLContext getCurrentContext() {
    return reinterpret_cast<GLContext>(wglGetCurrentContext());
}

DeviceContext getCurrentDC() {
    HDC current = wglGetCurrentDC();
    if (current && underWine()) {
        std::lock_guard lock(standInsMutex);
        for (const auto& standIn : standIns) {
            if (standIn->dc == current) {
                return toDeviceContext(standIn->childDC);
            }
        }
    }
    return toDeviceContext(current);
}

bool swapBuffers(DeviceContext dc) {
    if (const auto standIn = standInOf(toHdc(dc))) {
        return presentStandIn(*standIn, toHdc(dc));
    }
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
