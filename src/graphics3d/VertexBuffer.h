#pragma once

#include <cstdint>

#include "graphics3d/BufferStorage.h"
#include "graphics3d/Resource.h"
#include "graphics3d/VertexFormat.h"
#include "object/Noncopyable.h"

namespace korvane::graphics3d {

/// Interleaved vertices laid out by a VertexFormat, in a GL buffer object when one can be made and in
/// client memory otherwise. Drawing code calls setPointers(); filling code maps, writes through getData()
/// and unmaps. The buffer deletes its object in the GL context it was made in (see Resource) or frees its
/// memory on destruction.
/// Used on the thread whose GL context is current.
class VertexBuffer : public Resource, public object::Noncopyable {
public:
    struct Slot {
        uint32_t glType = 0;
        uint32_t size = 0; // scalars per vertex
        uint32_t offset = 0;
    };

    /// A buffer of `count` vertices of `format`, owned by the caller; null when client memory for the
    /// fall-back cannot be had.
    static VertexBuffer* create(const VertexFormat& format, uint32_t count, uint32_t storage);

    ~VertexBuffer() override;

    types::String getClassPath() const override;

    /// Points GL's vertex arrays into this buffer for the attributes of `mask` that the buffer has. Enabling
    /// the arrays is the shader's business (Context::selectClientArrays).
    void setPointers(uint32_t mask) const;

    /// Makes the vertices reachable through getData() until unmap(); false when mapping fails.
    bool map(uint32_t access);
    void unmap();

    const VertexFormat& getFormat() const { return format; }
    const Slot& getSlot(uint32_t attributeIndex) const { return slots[attributeIndex]; }
    uint32_t getAttributes() const { return attributes; }
    uint32_t getCount() const { return count; }
    uint32_t getStride() const { return format.stride; }
    uint32_t getByteSize() const { return count * format.stride; }
    void* getData() const { return buffer.getData(); }
    bool isMapped() const { return buffer.isMapped(); }
    uint32_t getUsage() const { return buffer.getUsage(); }
    uint32_t getBufferObject() const { return buffer.getBufferObject(); }
    uint32_t getStorage() const { return buffer.getStorage(); }

private:
    VertexBuffer(const VertexFormat& format, uint32_t count, uint32_t storage);

    Slot slots[attribute::Count];
    VertexFormat format;
    uint32_t count;
    uint32_t attributes = 0;
    BufferStorage buffer;
};

} // namespace korvane::graphics3d
