#include "graphics3d/MeshReader.h"

#include <cstring>

#include "graphics3d/TypeCode.h"

namespace korvane::graphics3d::detail {

namespace {

template <typename S> float scalarAt(const uint8_t* address) {
    S value;
    std::memcpy(&value, address, sizeof value); // vertex data need not be aligned for S
    return static_cast<float>(value);
}

bool isReadablePosition(uint32_t code) {
    const uint32_t scalar = type::scalarOf(code);
    const uint32_t count = type::countOf(code);
    if (scalar != type::Byte && scalar != type::Short && scalar != type::Int && scalar != type::Float &&
        scalar != type::Double)
        return false;
    return (count == 3 || count == 4) && type::sizeOf(code) == (scalar & 0x0F) * count;
}

} // namespace

PositionReader::PositionReader(const object::Pointer<VertexBuffer>* buffers, uint32_t bufferCount,
                               Bytes bytes)
    : byteMode(bytes) {
    for (uint32_t slot = 0; slot < bufferCount && !buffer; ++slot) {
        if (buffers[slot] && (buffers[slot]->getAttributes() & attribute::Position))
            buffer = buffers[slot];
    }
    if (!buffer || buffer->isMapped())
        return;
    const VertexFormat& format = buffer->getFormat();
    const VertexFormat::Component* entry = nullptr;
    for (uint32_t index = 0; index < format.count && index < VertexFormat::MaximumComponents && !entry;
         ++index) {
        if (format.components[index].attributes & attribute::Position)
            entry = &format.components[index];
    }
    if (!entry || !isReadablePosition(entry->type))
        return;
    scalar = type::scalarOf(entry->type);
    stride = buffer->getStride();
    // x, y and z must lie inside each vertex.
    if (uint64_t(entry->offset) + 3 * (scalar & 0x0F) > stride)
        return;
    count = buffer->getCount();
    if (count != 0) {
        if (!buffer->map(MapRead) || !buffer->getData())
            return;
        mapped = true;
        base = static_cast<const uint8_t*>(buffer->getData()) + entry->offset;
    }
    ready = true;
}

PositionReader::~PositionReader() {
    if (mapped)
        buffer->unmap();
}

math::Vector3<float> PositionReader::operator[](uint32_t vertex) const {
    const uint8_t* address = base + size_t(vertex) * stride;
    const uint32_t width = scalar & 0x0F;
    float xyz[3];
    for (int axis = 0; axis < 3; ++axis, address += width) {
        switch (scalar) {
        case type::Byte:
            xyz[axis] = byteMode == UnsignedBytes ? scalarAt<uint8_t>(address) : scalarAt<int8_t>(address);
            break;
        case type::Short:
            xyz[axis] = scalarAt<int16_t>(address);
            break;
        case type::Int:
            xyz[axis] = scalarAt<int32_t>(address);
            break;
        case type::Float:
            xyz[axis] = scalarAt<float>(address);
            break;
        default:
            xyz[axis] = scalarAt<double>(address);
            break;
        }
    }
    return {xyz[0], xyz[1], xyz[2]};
}

IndexReader::IndexReader(IndexBuffer* buffer) : buffer(buffer) {
    if (!buffer || buffer->isMapped())
        return;
    size = buffer->getIndexSize();
    count = buffer->getCount();
    if (count != 0) {
        if (!buffer->map(MapRead) || !buffer->getData())
            return;
        mapped = true;
        base = static_cast<const uint8_t*>(buffer->getData());
    }
    ready = true;
}

IndexReader::~IndexReader() {
    if (mapped)
        buffer->unmap();
}

uint32_t IndexReader::operator[](uint32_t index) const {
    const uint8_t* address = base + size_t(index) * size;
    switch (size) {
    case 1:
        return *address;
    case 2: {
        uint16_t value;
        std::memcpy(&value, address, 2);
        return value;
    }
    default: {
        uint32_t value;
        std::memcpy(&value, address, 4);
        return value;
    }
    }
}

} // namespace korvane::graphics3d::detail
