#pragma once

#include <cstdint>

#include "object/Object.h"
#include "types/Rectangle.h"
#include "types/String.h"

namespace korvane::freetype {

/// What a font is asked for: family and style names, the pixel size and the wanted character map (the
/// encoding id of a TrueType character map). Copying a descriptor copies every field.
class Descriptor : public object::Object {
public:
    using Size = types::Size<float>;

    Descriptor() = default;
    Descriptor(const types::String& family, float width, float height)
        : family(family), size{width, height} {}

    /// Family, a space, style.
    types::String getName() const override;
    types::String getClassPath() const override;

    types::String family;
    types::String style{"regular"};
    Size size{16.0f, 16.0f};
    int32_t encoding = 0;
    uint32_t reserved = 0;
};

} // namespace korvane::freetype
