#include "gui/OpenGL.h"

#include <algorithm>

#include "graphics3d/GL.h"

namespace korvane::gui {

namespace {

uint8_t depth(int32_t bits) {
    return uint8_t(std::clamp(bits, 0, 255));
}

// Intensity 0-255 of an index's colour component with the given bit count and shift.
uint8_t component(uint32_t index, uint8_t bits, uint8_t shift) {
    if (bits == 0)
        return 0;
    const uint32_t maximum = (1u << std::min<uint8_t>(bits, 8)) - 1;
    return uint8_t(((index >> shift) & maximum) * 255 / maximum);
}

} // namespace

OpenGL::OpenGL(const Rectangle& frame) : View(frame) {}

OpenGL::~OpenGL() {
    releaseGraphics();
}

types::String OpenGL::getClassPath() const {
    return types::String::concat(View::getClassPath(), ":OpenGL");
}

bool OpenGL::buildPalette(const platform::PixelFormatDescriptor& format, LogicalPalette& palette) {
    const bool colourIndex = format.pixelType == platform::PFD_TYPE_COLORINDEX;
    if (!colourIndex && !(format.flags & platform::PFD_NEED_PALETTE))
        return false;
    const uint32_t count = format.colorBits >= 8 ? 256u : 1u << format.colorBits;
    palette.version = 0x300;
    palette.count = uint16_t(count);
    // There is no system palette on the displays we run on: start from black.
    std::fill(std::begin(palette.entries), std::end(palette.entries), PaletteEntry{});
    if (colourIndex) {
        static constexpr PaletteEntry primaries[] = {
            {0, 0, 0, PaletteNoCollapse},
            {255, 0, 0, PaletteNoCollapse},
            {0, 255, 0, PaletteNoCollapse},
            {0, 0, 255, PaletteNoCollapse},
        };
        std::copy_n(primaries, std::min<uint32_t>(count, 4), palette.entries);
    } else {
        for (uint32_t i = 0; i < count; ++i) {
            palette.entries[i] = {component(i, format.redBits, format.redShift),
                                  component(i, format.greenBits, format.greenShift),
                                  component(i, format.blueBits, format.blueShift), 0};
        }
    }
    return true;
}

bool OpenGL::choosePixelFormat() {
    const platform::DeviceContext dc = getDeviceContext();
    platform::PixelFormatDescriptor request;
    request.flags = platform::PFD_DRAW_TO_WINDOW | platform::PFD_SUPPORT_OPENGL | platform::PFD_DOUBLEBUFFER;
    request.pixelType = platform::PFD_TYPE_RGBA;
    request.colorBits = depth(pixelFormat.colorBits);
    request.alphaBits = depth(pixelFormat.alphaBits);
    request.accumBits = depth(pixelFormat.accumBits);
    request.depthBits = depth(pixelFormat.depthBits);
    request.stencilBits = depth(pixelFormat.stencilBits);
    request.auxBuffers = depth(pixelFormat.auxBuffers);
    const int format = platform::choosePixelFormat(dc, request);
    if (!format || !platform::setPixelFormat(dc, format, request))
        return false;

    platform::PixelFormatDescriptor actual;
    if (platform::describePixelFormat(dc, format, actual)) {
        pixelFormat = {actual.colorBits, actual.alphaBits, actual.stencilBits,
                       actual.accumBits, actual.depthBits, actual.auxBuffers};
        auto built = std::make_unique<LogicalPalette>();
        if (buildPalette(actual, *built))
            palette = std::move(built);
    }
    return true;
}

void OpenGL::applyViewport() {
    const graphics::Transform<float>& g = getGlobalTransform();
    const Rectangle b = getBounds();
    glViewport(0, 0, GLsizei(g.m00 * b.width + g.m01 * b.height),
               GLsizei(g.m10 * b.width + g.m11 * b.height));
}

bool OpenGL::attach() {
    if (!View::attach())
        return false;
    const platform::WindowHandle handle = getHandle();
    const platform::DeviceContext dc = getDeviceContext();
    platform::setWindowLongPtr(handle, platform::GWLP_WNDPROC,
                               reinterpret_cast<intptr_t>(&OpenGL::procedure));
    // Without a format or a GL context the child window stays, and paint requests only validate it.
    if (!choosePixelFormat())
        return false;
    glContext = platform::createContext(dc);
    if (!glContext)
        return false;
    if (!platform::makeCurrent(dc, glContext)) {
        platform::deleteContext(glContext);
        glContext = nullptr;
        return false;
    }
    applyViewport();
    // A new GL context has no rendering Context yet: this creates it (with the reference this view
    // holds) and makes it the thread's current one.
    graphicsContext = graphics3d::Context::create();
    return true;
}

void OpenGL::releaseGraphics() {
    if (graphicsContext) {
        // The Context owns the GL context: closing it releases and deletes the GL context and takes the
        // Context out of the registry, so nothing is left for a later lookup to find.
        graphicsContext->close();
        graphicsContext->release();
        graphicsContext = nullptr;
        glContext = nullptr;
    } else if (glContext) {
        if (platform::getCurrentContext() == glContext)
            platform::makeCurrent(nullptr, nullptr);
        platform::deleteContext(glContext);
        glContext = nullptr;
    }
    palette.reset();
}

bool OpenGL::detach() {
    releaseGraphics();
    View::detach();
    return true;
}

bool OpenGL::onFrameChanged(const Rectangle& rectangle) {
    if (graphicsContext && graphicsContext->makeCurrent()) {
        platform::setWindowPos(getHandle(), nullptr, 0, 0, int32_t(rectangle.width),
                               int32_t(rectangle.height),
                               platform::SWP_NOSENDCHANGING | platform::SWP_NOCOPYBITS |
                                   platform::SWP_NOZORDER | platform::SWP_NOMOVE);
        applyViewport();
    }
    return true;
}

platform::Result OpenGL::procedure(platform::WindowHandle handle, uint32_t message, platform::WParam wParam,
                                   platform::LParam lParam) {
    using namespace platform;
    // This procedure is only ever installed on the child windows of OpenGL views.
    auto* view = static_cast<OpenGL*>(fromHandle(handle));
    if (!view)
        return View::procedure(handle, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        validateRect(handle, nullptr);
        if (view->graphicsContext && view->graphicsContext->makeCurrent()) {
            view->render();
            swapBuffers(view->getDeviceContext());
            view->presented();
        }
        return 0;
    case WM_QUERYNEWPALETTE:
        // Realising a palette is a no-op on the true-colour displays we run on.
        return view->palette ? 1 : 0;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<WindowHandle>(wParam) == handle)
            return View::procedure(handle, message, wParam, lParam);
        return view->palette ? 1 : 0;
    default:
        return View::procedure(handle, message, wParam, lParam);
    }
}

} // namespace korvane::gui
