#include <gtest/gtest.h>

#include "freetype/FontFactory.h"
#include "io/SystemFileFactory.h"
#include "object/Pointer.h"
#include "support/freetype/TinyFonts.h"
#include "support/io/TemporaryDirectory.h"

namespace korvane::freetype {
namespace {

using object::Pointer;

// Fonts whose every pixel is known: the outline rectangle of 1000 x 1100 units at 24 pixels per 1200
// units is exactly 20 x 22 pixels, the bitmap font's glyphs are drawn bit by bit.
class TinyFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory.write("outline.ttf", test::tinyTrueType());
        directory.write("bitmap.bdf", test::tinyBitmapFont());
        auto files =
            Pointer<io::SystemFileFactory>::adopt(new io::SystemFileFactory(directory.path().c_str()));
        factory = Pointer<FontFactory>::adopt(new FontFactory(files.get()));
        ASSERT_EQ(factory->getFonts().getCount(), 2u);
    }

    Pointer<Font> build(const char* family) {
        return Pointer<Font>::adopt(factory->createFont(Descriptor(family, 24, 24)));
    }
    static int pixel(const Font& font, int x, int y) {
        return font.getPixels()[y * font.getImage().getPitch() + x];
    }

    test::TemporaryDirectory directory;
    Pointer<FontFactory> factory;
};

TEST_F(TinyFontTest, CellsAreTheLargestGlyphPlusOnePixel) {
    Pointer<Font> font = build("Korvane Seed");
    // Three glyphs (empty, rectangle, triangle) on one row of 21 x 23 cells.
    EXPECT_EQ(font->getImage().getWidth(), 16 * 21);
    EXPECT_EQ(font->getImage().getHeight(), 23);

    const Font::Glyph& a = font->getGlyph('A');
    EXPECT_EQ(a.width, 20);
    EXPECT_EQ(a.rows, 22);
    EXPECT_EQ(a.bearing[1], 22.0f);
    EXPECT_EQ(a.advance[0], 22.0f);
    const Font::Glyph& eacute = font->getGlyph(0xC9);
    EXPECT_EQ(eacute.x, a.x);
    EXPECT_EQ(eacute.y, a.y);
    EXPECT_NE(font->getGlyph('B').x, a.x);
    // Every code without a glyph of its own shares the empty glyph's cell.
    EXPECT_EQ(font->getGlyph('C').x, font->getGlyph(0).x);

    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 21; ++x)
            ASSERT_EQ(pixel(*font, a.x + x, a.y + y), x < 20 && y < 22 ? 255 : 0) << x << ", " << y;
}

TEST_F(TinyFontTest, MonochromeBitmapsBecomeFullOrNoCoverage) {
    Pointer<Font> font = build("Korvane Bitmap");
    EXPECT_EQ(font->getDescriptor().family, "Korvane Bitmap");
    const Font::Glyph& frame = font->getGlyph('A');
    const Font::Glyph& checks = font->getGlyph('B');
    ASSERT_EQ(frame.width, 16);
    ASSERT_EQ(frame.rows, 24);
    EXPECT_EQ(frame.advance[0], 17.0f);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool edge = x == 0 || x == 15 || y == 0 || y == 23;
            ASSERT_EQ(pixel(*font, frame.x + x, frame.y + y), edge ? 255 : 0) << x << ", " << y;
            ASSERT_EQ(pixel(*font, checks.x + x, checks.y + y), (x + y) % 2 ? 0 : 255) << x << ", " << y;
        }
    }
}

} // namespace
} // namespace korvane::freetype
