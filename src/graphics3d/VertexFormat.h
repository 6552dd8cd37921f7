#pragma once

#include <cstdint>

#include "object/Object.h"

namespace korvane::graphics3d {

// Vertex attribute bits, shared with the rendering context's client-array mask and the shaders' masks.
namespace attribute {
constexpr uint32_t Position = 0x1;
constexpr uint32_t Normal = 0x4;
constexpr uint32_t Colour = 0x10;
constexpr uint32_t SecondaryColour = 0x20; // read by programmable shaders only
constexpr uint32_t Weight = 0x40;
constexpr uint32_t FogCoordinate = 0x80;
constexpr uint32_t EdgeFlag = 0x100;
constexpr uint32_t TextureCoordinate0 = 0x1000;
constexpr uint32_t textureCoordinate(uint32_t unit) {
    return TextureCoordinate0 << unit;
}
constexpr uint32_t Count = 20; // attribute bits 0..19
} // namespace attribute

/// The layout of one interleaved vertex: up to 16 entries, each a type code (see TypeCode.h) feeding one or
/// more attribute bits at a byte offset. Plain data, copied by value.
class VertexFormat : public object::Object {
public:
    static constexpr uint32_t MaximumComponents = 16;
    static constexpr uint32_t None = 0xFFFFFFFFu;

    struct Component {
        uint32_t type = 0;
        uint32_t attributes = 0; // 0 marks a free entry
        uint32_t offset = 0;
        uint32_t glSize = 0; // filled in a vertex buffer's own copy
        uint32_t glType = 0;
    };

    VertexFormat() = default;

    types::String getClassPath() const override;

    /// Stores an entry in the first free slot (or after the last) and returns its index; None when all 16
    /// entries are taken. Reusing a free slot inside the table moves the offsets of the entries after it.
    uint32_t add(uint32_t type, uint32_t attributes);

    Component components[MaximumComponents];
    uint32_t stride = 0;
    uint32_t count = 0;
};

} // namespace korvane::graphics3d
