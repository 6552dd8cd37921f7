#pragma once

#include <memory>

#include "graphics/Image.h"
#include "object/Pointer.h"

namespace korvane::graphics {

/// An image that owns its pixel memory (height times pitch bytes, zero-filled) and, for P8, a palette whose
/// entries start at zero. The palette's memory is taken when entries are first stored, so that the many
/// small images of a P8 file cost no more than their pixels.
class Bitmap : public Image {
public:
    Bitmap(PixelFormat format, int32_t width, int32_t height);
    Bitmap(PixelFormat format, Size size) : Bitmap(format, size.first, size.second) {}

    /// Never null, also for an image of zero bytes.
    void* lock() override { return pixels.get(); }
    void unlock() override {}
    bool getPalette(Palette<unsigned char>& out) const override;
    bool setPalette(const Palette<unsigned char>& in) override;

    /// Takes the palette of another P8 image; false unless both images are P8.
    bool copyPalette(const Image& source);

    /// Bytes of pixel memory.
    size_t getByteCount() const { return byteCount; }

    types::String getClassPath() const override {
        return types::String::concat(Image::getClassPath(), ":Bitmap");
    }

private:
    object::Pointer<Palette<unsigned char>> palette; // null while every entry is zero
    size_t byteCount;
    std::unique_ptr<unsigned char[]> pixels;
};

} // namespace korvane::graphics
