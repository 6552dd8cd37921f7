#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics3d/IndexBuffer.h"
#include "graphics3d/VertexBuffer.h"

namespace korvane::graphics3d::test {

// The index values of a buffer, read through a mapping; empty when it cannot be mapped.
inline std::vector<uint32_t> readIndices(IndexBuffer& buffer) {
    std::vector<uint32_t> values;
    if (!buffer.map(MapRead))
        return values;
    const auto* bytes = static_cast<const uint8_t*>(buffer.getData());
    for (uint32_t index = 0; index < buffer.getCount(); ++index) {
        uint32_t value = 0;
        std::memcpy(&value, bytes + index * buffer.getIndexSize(), buffer.getIndexSize());
        values.push_back(value);
    }
    buffer.unmap();
    return values;
}

// `count` floats of every vertex of a buffer, from byte `offset` of the vertex on.
inline std::vector<std::vector<float>> readFloats(VertexBuffer& buffer, uint32_t offset, uint32_t count) {
    std::vector<std::vector<float>> vertices;
    if (!buffer.map(MapRead))
        return vertices;
    const auto* bytes = static_cast<const uint8_t*>(buffer.getData());
    for (uint32_t vertex = 0; vertex < buffer.getCount(); ++vertex) {
        std::vector<float>& values = vertices.emplace_back(count);
        std::memcpy(values.data(), bytes + vertex * buffer.getStride() + offset, count * sizeof(float));
    }
    buffer.unmap();
    return vertices;
}

} // namespace korvane::graphics3d::test
