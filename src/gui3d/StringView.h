#pragma once

#include "freetype/Font.h"
#include "gui3d/FontMap.h"
#include "gui3d/View.h"
#include "object/Pointer.h"

namespace korvane::gui3d {

/// A text label. The view's origin is the left end of the text's baseline, so the frame's top-left corner
/// is where the baseline starts and the letters stand above it. Hit-testing covers the letters: the frame
/// raised by the font's ascent, widened to the text where the text is longer. Without a font it draws
/// nothing and hit-tests as its frame. Used on the thread of its root's window; it holds a reference to
/// its font.
class StringView : public View {
public:
    StringView(const gui::Rectangle& frame, const types::String& text);

    const types::String& getText() const { return text; }
    void setText(const types::String& value) { text = value; }
    const freetype::Font* getFont() const { return font.get(); }
    // Takes a reference to the font and forgets the map of the previous one.
    void setFont(const freetype::Font* value);
    // The map the view draws from, null until it is first drawn.
    FontMap* getFontMap() const { return fontMap.get(); }
    // Red, green, blue and alpha (text is drawn in the colour; coverage comes from the font).
    void setColour(float red, float green, float blue, float alpha = 0.0f);
    const float* getColour() const { return colour; }

    bool draw() override;
    bool contains(const gui::Point& point) const override;
    // Leaving a root lets go of the map, whose texture belongs to that root's GL context. Subclasses
    // that override it call it.
    bool onDetach() override;
    types::String getClassPath() const override;

private:
    types::String text;
    object::Pointer<const freetype::Font> font;
    object::Pointer<FontMap> fontMap;
    // The drawing context whose cache fontMap came from: a map is only valid in its own GL context.
    const Context* fontMapContext = nullptr;
    float colour[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    // The font's tallest glyph above the baseline and deepest below it, in pixels.
    float ascent = 0.0f;
    float descent = 0.0f;
};

} // namespace korvane::gui3d
