#pragma once

#include "graphics/Filter.h"
#include "graphics/Image.h"

namespace korvane::graphics {

/// Base of the image-to-image filters.
class FilterImage : public io::Filter<Image, Image> {
public:
    types::String getClassPath() const override {
        return types::String::concat(Filter::getClassPath(), ":FilterImage");
    }
};

} // namespace korvane::graphics
