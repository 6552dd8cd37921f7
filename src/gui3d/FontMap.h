#pragma once

#include <cstdint>

#include "freetype/Font.h"
#include "graphics3d/Texture2D.h"
#include "object/Noncopyable.h"

namespace korvane::gui3d {

/// A font's atlas uploaded as a 2D texture, with the texture rectangle and the quad offsets of every
/// character code 0 to 255. Made on the thread of the GL context that draws with it; destroy it there too
/// (the texture belongs to that context).
class FontMap : public object::Object, private object::Noncopyable {
public:
    struct Quad {
        /// The glyph's rectangle in texture coordinates.
        float u0 = 0.0f;
        float v0 = 0.0f;
        float u1 = 0.0f;
        float v1 = 0.0f;
        /// Pen advance, height above the baseline, left bearing, width and depth below the baseline, in
        /// pixels.
        float advance = 0.0f;
        float top = 0.0f;
        float left = 0.0f;
        float width = 0.0f;
        float descent = 0.0f;
    };

    /// A new map (count 1) of the font, or null when the texture cannot be created or filled.
    static FontMap* create(const freetype::Font* font);
    ~FontMap() override;

    graphics3d::Texture2D* getTexture() const { return texture; }
    const freetype::Font* getFont() const { return font; }
    const Quad& getQuad(unsigned char code) const { return quads[code]; }

    types::String getClassPath() const override;

private:
    FontMap(graphics3d::Texture2D* texture, const freetype::Font* font);

    graphics3d::Texture2D* texture;
    const freetype::Font* font;
    Quad quads[256];
};

} // namespace korvane::gui3d
