#include <gtest/gtest.h>

#include <vector>

#include "graphics3d/GL.h"
#include "gui3d/FontCache.h"
#include "gui3d/Root.h"
#include "gui3d/StringView.h"
#include "support/gui3d/OverlayTesting.h"

namespace korvane::gui3d {
namespace {

using object::Pointer;

class FontCacheTest : public test::OverlayTest {};

TEST_F(FontCacheTest, EveryLabelOfAFontDrawsFromOneTexture) {
    auto root = Pointer<Root>::adopt(new Root(context));
    std::vector<Pointer<StringView>> labels;
    for (int i = 0; i < 12; ++i) {
        labels.push_back(
            Pointer<StringView>::adopt(new StringView({10, 20.0f * float(i), 100, 20}, "label")));
        labels.back()->setFont(font());
        root->addView(labels.back());
    }
    root->draw();
    root->draw();
    FontMap* map = labels.front()->getFontMap();
    ASSERT_NE(map, nullptr);
    for (const auto& label : labels)
        EXPECT_EQ(label->getFontMap(), map);
    EXPECT_EQ(root->getContext().getFontCache().getCount(), 1u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FontCacheTest, FontsAreToldApartByIdentityAndFailuresAreRemembered) {
    FontCache cache;
    FontMap* first = cache.getFontMap(font());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.getFontMap(font()), first);

    // An equal font is another font: its own map and texture.
    auto copy = Pointer<freetype::Font>::adopt(new freetype::Font(font()->getDescriptor(), 64, 32));
    FontMap* second = cache.getFontMap(copy);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->getTexture()->getGLName(), first->getTexture()->getGLName());

    // Wider than any texture the driver makes.
    const GLint largest = graphics3d::test::getInteger(GL_MAX_TEXTURE_SIZE);
    auto huge = Pointer<freetype::Font>::adopt(new freetype::Font(freetype::Descriptor(), largest * 2, 1));
    EXPECT_EQ(cache.getFontMap(huge), nullptr);
    EXPECT_EQ(cache.getFontMap(huge), nullptr);
    EXPECT_EQ(cache.getCount(), 3u);
    glGetError();
}

TEST_F(FontCacheTest, TextureHoldsTheAtlasAndCoordinatesAreRelativeToIt) {
    FontCache cache;
    FontMap* map = cache.getFontMap(font());
    ASSERT_NE(map, nullptr);
    const graphics::Image& atlas = font()->getImage();
    const int32_t width = map->getTexture()->getWidth();
    const int32_t height = map->getTexture()->getHeight();
    // Power-of-two sizes: the atlas covers only part of the texture.
    ASSERT_GT(width, atlas.getWidth());

    std::vector<unsigned char> texels(size_t(width) * size_t(height));
    glBindTexture(GL_TEXTURE_2D, map->getTexture()->getGLName());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, texels.data());
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const unsigned char expected = x < atlas.getWidth() && y < atlas.getHeight()
                                               ? font()->getPixels()[y * atlas.getPitch() + x]
                                               : 0;
            ASSERT_EQ(texels[size_t(y * width + x)], expected) << x << ", " << y;
        }
    }

    for (uint32_t code = 0; code < 256; ++code) {
        const freetype::Font::Glyph& glyph = font()->getGlyph(uint8_t(code));
        const FontMap::Quad& quad = map->getQuad(uint8_t(code));
        EXPECT_FLOAT_EQ(quad.u0, float(glyph.x) / float(width));
        EXPECT_FLOAT_EQ(quad.v1, float(glyph.y + glyph.rows) / float(height));
        EXPECT_FLOAT_EQ(quad.descent, float(glyph.rows) - glyph.bearing[1]);
    }
}

} // namespace
} // namespace korvane::gui3d
