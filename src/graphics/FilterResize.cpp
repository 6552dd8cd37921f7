#include "graphics/FilterResize.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/Bitmap.h"
#include "object/Pointer.h"

namespace korvane::graphics {

namespace {

// The pixel size named by the bits-per-pixel byte. Where the format's own size differs (RGB16 and BGR16
// carry 16 there for 6-byte pixels), the format's size is used so that whole pixels move; a format
// without a size cannot be resampled.
uint32_t pixelSize(PixelFormat format) {
    uint32_t unit;
    switch (getBitsField(format)) {
    case 8:
    case 16:
    case 24:
    case 32:
    case 48:
    case 64:
        unit = getBitsField(format) / 8;
        break;
    default:
        return 0;
    }
    uint32_t size = getBytesPerPixel(format);
    return size == unit ? unit : size;
}

// The step between the source positions of neighbouring target pixels. A target of one pixel takes
// position 0.
float stepFor(int32_t source, int32_t target) {
    return target > 1 ? float(double(source - 1) / (target - 1)) : 0.0f;
}

} // namespace

Image* FilterResize::apply(Image* source) {
    if (!source)
        return nullptr;
    const uint32_t unit = pixelSize(source->getFormat());
    if (unit == 0)
        return nullptr;
    const int32_t sw = source->getWidth(), sh = source->getHeight();
    const int32_t tw = std::max(targetWidth, 0), th = std::max(targetHeight, 0);
    if ((sw == 0 || sh == 0) && tw > 0 && th > 0)
        return nullptr;

    auto result = object::Pointer<Bitmap>::adopt(new Bitmap(source->getFormat(), tw, th));
    if (source->getFormat() == PixelFormat::P8)
        result->copyPalette(*source);

    const auto* from = static_cast<const unsigned char*>(source->lock());
    source->setLocked(true);
    auto* to = static_cast<unsigned char*>(result->lock());
    result->setLocked(true);

    const float rx = stepFor(sw, tw);
    const float ry = stepFor(sh, th);
    const size_t sourcePitch = size_t(source->getPitch());
    const size_t targetPitch = size_t(result->getPitch());
    int32_t row = 0;
    float accumulator = 0.0f;
    for (int32_t y = 0; y < th; ++y) {
        const unsigned char* sourceRow = from + size_t(std::min(row, sh - 1)) * sourcePitch;
        unsigned char* targetRow = to + size_t(y) * targetPitch;
        for (int32_t x = 0; x < tw; ++x) {
            int32_t column = std::min(int32_t(rx * float(x)), sw - 1);
            std::memcpy(targetRow + size_t(x) * unit, sourceRow + size_t(column) * unit, unit);
        }
        float t = ry + accumulator;
        float whole = std::floor(t);
        row += int32_t(whole);
        accumulator = t - whole;
    }

    result->unlock();
    result->setLocked(false);
    source->unlock();
    source->setLocked(false);
    result->addReference();
    return result.get();
}

} // namespace korvane::graphics
