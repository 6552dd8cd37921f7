#include "gui3d/StringView.h"

#include <algorithm>

#include "graphics3d/GL.h"
#include "gui3d/Context.h"

namespace korvane::gui3d {

StringView::StringView(const gui::Rectangle& frame, const types::String& text) : View(frame), text(text) {}

types::String StringView::getClassPath() const {
    return types::String::concat(View::getClassPath(), ":StringView");
}

void StringView::setFont(const freetype::Font* value) {
    font = value;
    fontMap = nullptr;
    fontMapContext = nullptr;
    ascent = descent = 0.0f;
    if (!value)
        return;
    for (int code = 0; code < 256; ++code) {
        const freetype::Font::Glyph& glyph = value->getGlyph(static_cast<unsigned char>(code));
        if (glyph.width <= 0 || glyph.rows <= 0)
            continue;
        ascent = std::max(ascent, glyph.bearing[1]);
        descent = std::max(descent, float(glyph.rows) - glyph.bearing[1]);
    }
}

bool StringView::contains(const gui::Point& point) const {
    if (!font)
        return View::contains(point);
    if (!isVisible())
        return false;
    const gui::Rectangle& frame = getFrame();
    // The frame, raised so that its top meets the tops of the letters.
    const float top = frame.y - ascent;
    if (frame.x <= point.x && point.x <= frame.x + frame.width && top <= point.y &&
        point.y <= top + frame.height)
        return true;
    // The letters themselves, from the baseline's left end in the view's own coordinates, placed by the
    // local transform: they may reach past the frame.
    float advance = 0.0f;
    for (const char c : text.view())
        advance += font->getGlyph(static_cast<unsigned char>(c)).advance[0];
    const graphics::Transform<float>& m = getLocalTransform();
    float left = 0.0f, right = 0.0f, upper = 0.0f, lower = 0.0f;
    bool first = true;
    for (const float x : {0.0f, advance}) {
        for (const float y : {-ascent, descent}) {
            const float px = frame.x + m.m00 * x + m.m01 * y + m.tx;
            const float py = frame.y + m.m10 * x + m.m11 * y + m.ty;
            left = first ? px : std::min(left, px);
            right = first ? px : std::max(right, px);
            upper = first ? py : std::min(upper, py);
            lower = first ? py : std::max(lower, py);
            first = false;
        }
    }
    return left <= point.x && point.x <= right && upper <= point.y && point.y <= lower;
}

void StringView::setColour(float red, float green, float blue, float alpha) {
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
    colour[3] = alpha;
}

bool StringView::onDetach() {
    fontMap = nullptr;
    fontMapContext = nullptr;
    return true;
}

bool StringView::draw() {
    Context* drawing = getContext();
    if (!font || !drawing)
        return true;
    if (!fontMap || fontMapContext != drawing) {
        fontMap = drawing->getFontCache().getFontMap(font.get());
        fontMapContext = drawing;
        if (!fontMap)
            return true;
    }
    for (int i = 0; i < 4; ++i)
        drawing->colour[i] = colour[i];
    glColor3f(colour[0], colour[1], colour[2]);
    drawing->endPrimitive();
    drawing->fontMap = fontMap.get();
    drawing->drawText({0.0f, 0.0f}, text);
    return true;
}

} // namespace korvane::gui3d
