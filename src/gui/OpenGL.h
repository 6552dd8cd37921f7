#pragma once

#include <cstdint>
#include <memory>

#include "graphics3d/Context.h"
#include "gui/View.h"
#include "platform/GL.h"

namespace korvane::gui {

/// A view that renders with OpenGL. Attaching it gives its child window a pixel format (and a palette
/// when the format needs one), a GL context and the rendering Context of that GL context, all on the
/// window thread; every paint request makes that Context current, calls render() and swaps the buffers.
/// The rendering Context belongs to the view: it is closed, and its GL objects with it, when the view
/// detaches. GL objects made in render() live on the window thread.
class OpenGL : public View {
public:
    /// Requested, and after attaching actual, buffer depths of the pixel format.
    struct PixelFormat {
        int32_t colorBits = 32;
        int32_t alphaBits = 0;
        int32_t stencilBits = 0;
        int32_t accumBits = 0;
        int32_t depthBits = 0;
        int32_t auxBuffers = 0;
    };

    struct PaletteEntry {
        uint8_t red = 0;
        uint8_t green = 0;
        uint8_t blue = 0;
        uint8_t flags = 0;
    };
    /// The logical palette of a format that draws through one: version 0x300 and up to 256 entries.
    struct LogicalPalette {
        uint16_t version = 0x300;
        uint16_t count = 0;
        PaletteEntry entries[256];
    };
    static constexpr uint8_t PaletteNoCollapse = 0x04;

    explicit OpenGL(const Rectangle& frame);
    /// Deletes the GL context if the view is still attached.
    ~OpenGL() override;

    bool attach() override;
    bool detach() override;
    bool onFrameChanged(const Rectangle& rectangle) override;
    /// Draws the scene, with this view's Context current; the buffers are swapped afterwards.
    virtual void render() {}
    /// Called after each frame's buffers have been swapped, on the window thread: when the frame reached
    /// the window, for frame statistics.
    virtual void presented() {}

    /// The rendering Context of this view's GL context, null while detached (or when attaching failed).
    graphics3d::Context* getGraphicsContext() const { return graphicsContext; }
    platform::GLContext getGLContext() const { return glContext; }
    PixelFormat getPixelFormat() const { return pixelFormat; }
    /// The palette in use, null for formats without one (every true-colour format).
    const LogicalPalette* getPalette() const { return palette.get(); }

    /// Fills the palette a pixel format needs: for colour-index formats the system colours with black,
    /// red, green and blue first; for RGBA formats the colour of every index. False, with nothing filled,
    /// when the format needs no palette.
    static bool buildPalette(const platform::PixelFormatDescriptor& format, LogicalPalette& palette);

    types::String getClassPath() const override;

protected:
    /// Set before the view is attached to ask for other depths; attaching stores the depths it got.
    PixelFormat pixelFormat;

private:
    static platform::Result procedure(platform::WindowHandle handle, uint32_t message,
                                      platform::WParam wParam, platform::LParam lParam);

    bool choosePixelFormat();
    void applyViewport();
    void releaseGraphics();

    graphics3d::Context* graphicsContext = nullptr;
    platform::GLContext glContext = nullptr;
    std::unique_ptr<LogicalPalette> palette;
};

} // namespace korvane::gui
