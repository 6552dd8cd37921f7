#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "freetype/FontFactory.h"
#include "freetype/FreetypeException.h"
#include "io/SystemFileFactory.h"
#include "object/Pointer.h"
#include "support/freetype/Fonts.h"
#include "support/io/TemporaryDirectory.h"

namespace korvane::freetype {
namespace {

using object::Pointer;

// FreeType's own answers for a face at a pixel size with the character map of an encoding id, to check
// the atlas against.
class Oracle {
public:
    Oracle(const std::string& path, FT_UInt size, FT_UShort encoding) {
        FT_Init_FreeType(&library);
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
            face = nullptr;
            return;
        }
        for (FT_Int i = 0; i < face->num_charmaps; ++i) {
            if (face->charmaps[i]->encoding_id == encoding) {
                FT_Set_Charmap(face, face->charmaps[i]);
                break;
            }
        }
        FT_Set_Pixel_Sizes(face, size, size);
    }
    ~Oracle() {
        if (face)
            FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    FT_UInt index(uint32_t code) const { return FT_Get_Char_Index(face, code); }
    // The largest glyph metrics of the codes 0 to 255, 26.6.
    std::pair<FT_Pos, FT_Pos> largest() const {
        FT_Pos width = 0, height = 0;
        for (uint32_t code = 0; code < 256; ++code) {
            if (FT_Load_Glyph(face, index(code), FT_LOAD_DEFAULT) == 0) {
                width = std::max(width, face->glyph->metrics.width);
                height = std::max(height, face->glyph->metrics.height);
            }
        }
        return {width, height};
    }
    FT_Face face = nullptr;

private:
    FT_Library library = nullptr;
};

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::copyFont(directory.path(), "DejaVuSans.ttf", "sans.ttf");
        auto files =
            Pointer<io::SystemFileFactory>::adopt(new io::SystemFileFactory(directory.path().c_str()));
        factory = Pointer<FontFactory>::adopt(new FontFactory(files.get()));
    }

    Pointer<Font> build(int32_t encoding = 0, float size = 24.0f) {
        Descriptor descriptor("DejaVu Sans", size, size);
        descriptor.encoding = encoding;
        return Pointer<Font>::adopt(factory->createFont(descriptor));
    }

    test::TemporaryDirectory directory;
    Pointer<FontFactory> factory;
};

TEST_F(FontTest, CellsFitTheLargestGlyphAndCodesSharingAGlyphShareACell) {
    Pointer<Font> font = build();
    Oracle oracle(test::debianFont("DejaVuSans.ttf"), 24, 0);
    ASSERT_NE(oracle.face, nullptr);
    const auto [width, height] = oracle.largest();
    const int32_t cellWidth = int32_t((width + 63) / 64 + 1);
    const int32_t cellHeight = int32_t((height + 63) / 64 + 1);

    std::map<FT_UInt, std::pair<int32_t, int32_t>> cellOfIndex;
    for (uint32_t code = 0; code < 256; ++code)
        cellOfIndex.try_emplace(oracle.index(code), std::pair{-1, -1});
    const int32_t rowsOfCells = int32_t((cellOfIndex.size() + 15) / 16);
    EXPECT_EQ(font->getImage().getWidth(), 16 * cellWidth);
    EXPECT_EQ(font->getImage().getHeight(), rowsOfCells * cellHeight);
    EXPECT_EQ(font->getImage().getFormat(), graphics::PixelFormat::A8);

    std::set<std::pair<int32_t, int32_t>> cellsSeen;
    bool shared = false;
    for (uint32_t code = 0; code < 256; ++code) {
        const Font::Glyph& glyph = font->getGlyph(uint8_t(code));
        if (glyph.width == 0 && glyph.advance[0] == 0.0f)
            continue;
        SCOPED_TRACE(code);
        EXPECT_EQ(glyph.x % cellWidth, 0);
        EXPECT_EQ(glyph.y % cellHeight, 0);
        EXPECT_LE(glyph.width, cellWidth);
        EXPECT_LE(glyph.rows, cellHeight);
        auto& cell = cellOfIndex[oracle.index(code)];
        if (cell.first < 0) {
            cell = {glyph.x, glyph.y};
            EXPECT_TRUE(cellsSeen.insert(cell).second) << "two glyphs in one cell";
        } else {
            EXPECT_EQ(cell, std::pair(glyph.x, glyph.y));
            shared = true;
        }
    }
    EXPECT_TRUE(shared) << "the face maps no two codes to one glyph";
}

TEST_F(FontTest, HighCodesHaveTheirOwnGlyphsAndTheAtlasHoldsFullCoverage) {
    Pointer<Font> font = build();
    Oracle oracle(test::debianFont("DejaVuSans.ttf"), 24, 0);
    const Font::Glyph& missing = font->getGlyph(0);
    int withGlyphs = 0;
    for (uint32_t code = 128; code < 256; ++code) {
        const Font::Glyph& glyph = font->getGlyph(uint8_t(code));
        if (oracle.index(code) != 0 && glyph.width > 0 && (glyph.x != missing.x || glyph.y != missing.y))
            ++withGlyphs;
    }
    EXPECT_GT(withGlyphs, 100);

    // 'H' is solid: its stems are fully covered; outside the glyph rectangles the atlas is empty.
    const Font::Glyph& h = font->getGlyph('H');
    const int32_t pitch = font->getImage().getPitch();
    const unsigned char* pixels = font->getPixels();
    int32_t solid = 0;
    for (int32_t y = 0; y < h.rows; ++y)
        for (int32_t x = 0; x < h.width; ++x)
            solid += pixels[(h.y + y) * pitch + h.x + x] == 255;
    EXPECT_GT(solid, h.rows);
    EXPECT_GT(h.advance[0], float(h.width));
    EXPECT_GT(h.bearing[1], 0.0f);

    std::vector<bool> covered(size_t(pitch) * size_t(font->getImage().getHeight()));
    for (uint32_t code = 0; code < 256; ++code) {
        const Font::Glyph& glyph = font->getGlyph(uint8_t(code));
        for (int32_t y = 0; y < glyph.rows; ++y)
            for (int32_t x = 0; x < glyph.width; ++x)
                covered[size_t((glyph.y + y) * pitch + glyph.x + x)] = true;
    }
    for (size_t i = 0; i < covered.size(); ++i)
        ASSERT_TRUE(covered[i] || pixels[i] == 0) << "stray pixel at " << i % pitch << ", " << i / pitch;
}

TEST_F(FontTest, TakesTheFacesNamesAndForgetsAnEncodingItLacks) {
    Pointer<Font> unicode = build(1);
    EXPECT_EQ(unicode->getDescriptor().encoding, 1);
    EXPECT_EQ(unicode->getDescriptor().getName(), "DejaVu Sans Book");
    EXPECT_EQ(unicode->getDescriptor().size.width, 24.0f);
    // Windows Unicode and Mac Roman place e-acute at different codes.
    Oracle roman(test::debianFont("DejaVuSans.ttf"), 24, 0);
    Oracle windows(test::debianFont("DejaVuSans.ttf"), 24, 1);
    Pointer<Font> macintosh = build(0);
    EXPECT_NE(roman.index(0xE9), windows.index(0xE9));
    EXPECT_NE(unicode->getGlyph(0xE9).x + 1000 * unicode->getGlyph(0xE9).y,
              unicode->getGlyph(0x8E).x + 1000 * unicode->getGlyph(0x8E).y);
    EXPECT_EQ(unicode->getGlyph(0xE9).width, macintosh->getGlyph(0x8E).width);

    EXPECT_EQ(build(77)->getDescriptor().encoding, 0);
}

TEST_F(FontTest, RefusesAtlasesBeyondAnyTexture) {
    EXPECT_THROW(build(0, 5000.0f), FormatException);
    // Sizes FreeType cannot take are clamped, not undefined.
    EXPECT_GT(build(0, -3.0f)->getImage().getWidth(), 0);
}

} // namespace
} // namespace korvane::freetype
