#include "graphics/Bitmap.h"

namespace korvane::graphics {

Bitmap::Bitmap(PixelFormat format, int32_t width, int32_t height)
    : Image(format, width, height), byteCount(size_t(getHeight()) * size_t(getPitch())),
      pixels(new unsigned char[byteCount]()) {
    if (format == PixelFormat::P8)
        palette = object::Pointer<Palette<unsigned char>>::adopt(new Palette<unsigned char>);
}

bool Bitmap::getPalette(Palette<unsigned char>& out) const {
    if (!palette)
        return false;
    out.copyFrom(*palette);
    return true;
}

bool Bitmap::setPalette(const Palette<unsigned char>& in) {
    if (!palette)
        return false;
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
