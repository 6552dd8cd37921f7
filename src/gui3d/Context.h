#pragma once

#include <cstdint>

#include "graphics3d/Context.h"
#include "gui/Geometry.h"
#include "gui3d/FontCache.h"
#include "object/Noncopyable.h"
#include "object/Pointer.h"
#include "types/String.h"

namespace korvane::gui3d {

/// The drawing context of an overlay pass over a 3D scene: begin() saves the matrices and sets GL up for
/// 2D drawing in window pixels (origin top-left, y down), end() restores the matrices. Text is drawn as
/// textured quads from the atlas of fontMap, in colour; consecutive texts keep one primitive open until
/// endPrimitive(). Everything runs on the thread whose GL context belongs to the graphics context.
/// Holds a reference to the graphics context; the font map it draws with is borrowed.
class Context : public object::Object, private object::Noncopyable {
public:
    /// Primitives that may be open between calls.
    ///@{
    static constexpr uint32_t ModeNone = 0;
    static constexpr uint32_t ModeTextured = 5;
    static constexpr uint32_t ModeText = 6;
    ///@}

    explicit Context(graphics3d::Context* graphicsContext);
    /// Releases the font maps with the graphics context's GL context current.
    ~Context() override;

    void begin();
    void end();
    /// Closes the open primitive, if any.
    void endPrimitive();
    /// Draws text with its baseline starting at the position; codes are taken as unsigned bytes. Nothing
    /// is drawn without a fontMap.
    void drawText(const gui::Point& position, const types::String& text);

    graphics3d::Context* getGraphicsContext() const { return graphicsContext.get(); }
    FontCache& getFontCache() { return fontCache; }
    uint32_t getMode() const { return mode; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

    types::String getClassPath() const override;

    /// What drawText draws with: set them before calling it. The map is borrowed.
    FontMap* fontMap = nullptr;
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};

private:
    object::Pointer<graphics3d::Context> graphicsContext;
    graphics3d::MatrixStack& matrixStack;
    uint32_t mode = ModeNone;
    int32_t width = 0;
    int32_t height = 0;
    FontCache fontCache;
};

} // namespace korvane::gui3d
