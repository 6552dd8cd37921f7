#pragma once

#include "graphics/FilterImage.h"

namespace korvane::graphics {

/// Nearest-neighbour resampling to a fixed size. The first and last rows and columns of the source map
/// onto the first and last of the result; rows in between are picked by a running float accumulator.
class FilterResize : public FilterImage {
public:
    FilterResize(int32_t targetWidth, int32_t targetHeight)
        : targetWidth(targetWidth), targetHeight(targetHeight) {}

    /// A new Bitmap of the source's format and the target size (a P8 source's palette included), holding
    /// the source image only, not the rest of its chain. Null when the format's pixel size is not one of
    /// 1, 2, 3, 4, 6 or 8 bytes, or when an empty source would have to fill a non-empty target.
    Image* apply(Image* source) override;

    int32_t getTargetWidth() const { return targetWidth; }
    int32_t getTargetHeight() const { return targetHeight; }

    types::String getClassPath() const override {
        return types::String::concat(FilterImage::getClassPath(), ":FilterResize");
    }

private:
    int32_t targetWidth;
    int32_t targetHeight;
};

} // namespace korvane::graphics
