#pragma once

#include <cstdint>

#include "freetype/Descriptor.h"
#include "graphics/Bitmap.h"
#include "object/Noncopyable.h"

namespace korvane::freetype {

/// The rendered glyphs of the character codes 0 to 255 of one face at one size: an A8 atlas (one byte of
/// coverage per pixel) on a grid of equal cells, and one record per code. A code without a renderable glyph
/// has an all-zero record. A built font is not changed again and may be read from any thread.
class Font : public object::Object, private object::Noncopyable {
public:
    struct Glyph {
        /// Top-left pixel of the glyph's cell in the atlas.
        int32_t x = 0;
        int32_t y = 0;
        /// Size of the rendered bitmap in pixels.
        int32_t width = 0;
        int32_t rows = 0;
        /// Horizontal and vertical advance, and the bearings (x to the left edge, y up to the top edge), in
        /// pixels.
        float advance[2] = {};
        float bearing[2] = {};
    };

    /// A font with a cleared atlas of the given size and all-zero glyph records.
    Font(const Descriptor& descriptor, int32_t width, int32_t height);

    /// The descriptor the font was built from, with the face's own family and style names.
    const Descriptor& getDescriptor() const { return descriptor; }
    const graphics::Bitmap& getImage() const { return image; }
    /// The atlas pixels, rows top to bottom, getImage().getPitch() bytes apart.
    const unsigned char* getPixels() const { return static_cast<const unsigned char*>(image.lock()); }
    const Glyph& getGlyph(unsigned char code) const { return glyphs[code]; }

    types::String getName() const override { return descriptor.getName(); }
    types::String getClassPath() const override;

private:
    friend class FontFactory;

    Descriptor descriptor;
    mutable graphics::Bitmap image;
    Glyph glyphs[256];
};

} // namespace korvane::freetype
