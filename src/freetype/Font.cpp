#include "freetype/Font.h"

namespace korvane::freetype {

Font::Font(const Descriptor& descriptor, int32_t width, int32_t height)
    : descriptor(descriptor), image(graphics::PixelFormat::A8, width, height) {}

types::String Font::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Font");
}

} // namespace korvane::freetype
