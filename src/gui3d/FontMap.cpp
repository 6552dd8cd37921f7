#include "gui3d/FontMap.h"

#include <cstring>

#include "graphics/Bitmap.h"
#include "graphics3d/Graphics3dException.h"
#include "object/Pointer.h"

namespace korvane::gui3d {

FontMap* FontMap::create(const freetype::Font* font) {
    if (!font)
        return nullptr;
    const graphics::Image& atlas = font->getImage();
    object::Pointer<graphics3d::Texture2D> texture;
    try {
        texture = object::Pointer<graphics3d::Texture2D>::adopt(
            graphics3d::createTexture2D(atlas.getFormat(), atlas.getSize(), 0));
    } catch (const graphics3d::Graphics3dException&) {
        return nullptr;
    }
    if (!texture || texture->getWidth() < atlas.getWidth() || texture->getHeight() < atlas.getHeight())
        return nullptr;

    // The texture is rounded up to powers of two: fill all of it, so that no texel is left undefined.
    graphics::Bitmap level(graphics::PixelFormat::A8, texture->getWidth(), texture->getHeight());
    auto* target = static_cast<unsigned char*>(level.lock());
    for (int32_t y = 0; y < atlas.getHeight(); ++y)
        std::memcpy(target + int64_t(y) * level.getPitch(), font->getPixels() + int64_t(y) * atlas.getPitch(),
                    size_t(atlas.getWidth()));
    if (!texture->upload(level, 0))
        return nullptr;

    texture->addReference();
    return new FontMap(texture.get(), font);
}

FontMap::FontMap(graphics3d::Texture2D* texture, const freetype::Font* font) : texture(texture), font(font) {
    font->addReference();
    // Texture coordinates are relative to the texture, which may be larger than the atlas.
    const float width = float(texture->getWidth());
    const float height = float(texture->getHeight());
    for (uint32_t code = 0; code < 256; ++code) {
        const freetype::Font::Glyph& glyph = font->getGlyph(uint8_t(code));
        Quad& quad = quads[code];
        quad.u0 = float(glyph.x) / width;
        quad.v0 = float(glyph.y) / height;
        quad.u1 = float(glyph.x + glyph.width) / width;
        quad.v1 = float(glyph.y + glyph.rows) / height;
        quad.advance = glyph.advance[0];
        quad.top = glyph.bearing[1];
        quad.left = glyph.bearing[0];
        quad.width = float(glyph.width);
        quad.descent = float(glyph.rows) - glyph.bearing[1];
    }
}

FontMap::~FontMap() {
    texture->release();
    font->release();
}

types::String FontMap::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":FontMap");
}

} // namespace korvane::gui3d
