#include "graphics3d/VertexBuffer.h"

#include "graphics3d/GL.h"
#include "graphics3d/TypeCode.h"

namespace korvane::graphics3d {

VertexBuffer::VertexBuffer(const VertexFormat& source, uint32_t count, uint32_t storage)
    : format(source), count(count), buffer(GL_ARRAY_BUFFER, storage) {
    for (uint32_t index = 0; index < format.count && index < VertexFormat::MaximumComponents; ++index) {
        VertexFormat::Component& entry = format.components[index];
        if (entry.attributes == 0 || entry.type == 0)
            continue;
        entry.glType = type::glTypeOf(entry.type);
        entry.glSize = (entry.type >> 8) & 0x0F;
        attributes |= entry.attributes;
        for (uint32_t bit = 0; bit < attribute::Count; ++bit) {
            if (entry.attributes & (1u << bit))
                slots[bit] = Slot{entry.glType, entry.glSize, entry.offset};
        }
    }
}

VertexBuffer* VertexBuffer::create(const VertexFormat& format, uint32_t count, uint32_t storage) {
    const uint64_t bytes = uint64_t(count) * format.stride;
    if (bytes > UINT32_MAX)
        return nullptr;
    VertexBuffer* vertices = new VertexBuffer(format, count, storage);
    if (!vertices->buffer.allocate(bytes)) {
        vertices->release();
        return nullptr;
    }
    return vertices;
}

VertexBuffer::~VertexBuffer() = default;

types::String VertexBuffer::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":VertexBuffer");
}

void VertexBuffer::setPointers(uint32_t mask) const {
    const uint32_t present = mask & attributes;
    // A buffer object takes offsets; client memory takes addresses.
    const uintptr_t base = reinterpret_cast<uintptr_t>(buffer.bind());
    const GLsizei stride = static_cast<GLsizei>(format.stride);
    auto pointer = [&](uint32_t bit) { return reinterpret_cast<const void*>(base + slots[bit].offset); };
    auto size = [&](uint32_t bit) { return static_cast<GLint>(slots[bit].size); };
    auto glType = [&](uint32_t bit) { return static_cast<GLenum>(slots[bit].glType); };

    if (present & attribute::Position)
        glVertexPointer(size(0), glType(0), stride, pointer(0));
    if (present & attribute::Normal)
        glNormalPointer(glType(2), stride, pointer(2));
    if (present & attribute::Colour)
        glColorPointer(size(4), glType(4), stride, pointer(4));
    if ((present & attribute::Weight) && glWeightPointerARB)
        glWeightPointerARB(size(6), glType(6), stride, const_cast<void*>(pointer(6)));
    if (present & attribute::FogCoordinate)
        glFogCoordPointerEXT(glType(7), stride, pointer(7));
    if (present & attribute::EdgeFlag)
        glEdgeFlagPointer(stride, pointer(8));
    for (uint32_t unit = 0; unit < 8; ++unit) {
        const uint32_t bit = 12 + unit;
        if (!(present & (1u << bit)))
            continue;
        glClientActiveTexture(GL_TEXTURE0 + unit);
        glTexCoordPointer(size(bit), glType(bit), stride, pointer(bit));
    }
}

bool VertexBuffer::map(uint32_t access) {
    return buffer.map(access);
}

void VertexBuffer::unmap() {
    buffer.unmap();
}

} // namespace korvane::graphics3d
