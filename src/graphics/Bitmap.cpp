#include "graphics/Bitmap.h"

namespace korvane::graphics {

Bitmap::Bitmap(PixelFormat format, int32_t width, int32_t height)
    : Image(format, width, height), byteCount(size_t(getHeight()) * size_t(getPitch())),
      pixels(new unsigned char[byteCount]()) {}

bool Bitmap::getPalette(Palette<unsigned char>& out) const {
    if (getFormat() != PixelFormat::P8)
        return false;
    if (palette)
        out.copyFrom(*palette);
    else
        out.copyFrom(Palette<unsigned char>());
    return true;
}

bool Bitmap::setPalette(const Palette<unsigned char>& in) {
    if (getFormat() != PixelFormat::P8)
        return false;
    if (!palette)
        palette = object::Pointer<Palette<unsigned char>>::adopt(new Palette<unsigned char>);
    palette->copyFrom(in);
    return true;
}

bool Bitmap::copyPalette(const Image& source) {
    if (getFormat() != PixelFormat::P8 || source.getFormat() != PixelFormat::P8)
        return false;
    Palette<unsigned char> copy;
    return source.getPalette(copy) && setPalette(copy);
}

} // namespace korvane::graphics
