#pragma once

#include <cstdint>

#include "graphics3d/BufferStorage.h"
#include "graphics3d/Resource.h"
#include "object/Noncopyable.h"

namespace korvane::graphics3d {

/// 8-, 16- or 32-bit vertex indices, in a GL buffer object when one can be made and in client memory
/// otherwise. Write through map()/unmap() or update(); the buffer deletes its object in the GL context it was
/// made in (see Resource) or frees its memory on destruction.
/// Used on the thread whose GL context is current.
class IndexBuffer : public Resource, public object::Noncopyable {
public:
    /// A buffer of `count` indices of `indexSize` bytes (1, 2 or 4, else null). Null also when client memory
    /// for the fall-back cannot be had. The caller owns the new buffer's reference.
    static IndexBuffer* create(uint32_t indexSize, uint32_t count, uint32_t storage);

    ~IndexBuffer() override;

    types::String getClassPath() const override;

    /// Copies `number` indices from `source` to index `first` on. False, writing nothing, when the range does
    /// not lie inside the buffer.
    bool update(uint32_t first, const void* source, uint32_t number);

    /// Makes the indices reachable through getData() until unmap(); false when mapping fails.
    bool map(uint32_t access);
    void unmap();

    /// Binds the buffer for drawing and returns the base address for glDrawElements (null for a buffer
    /// object, the client memory otherwise).
    const void* bind() const;

    uint32_t getIndexSize() const { return indexSize; }
    uint32_t getCount() const { return count; }
    uint32_t getByteSize() const { return count * indexSize; }
    void* getData() const { return buffer.getData(); }
    bool isMapped() const { return buffer.isMapped(); }
    uint32_t getUsage() const { return buffer.getUsage(); }
    uint32_t getBufferObject() const { return buffer.getBufferObject(); }
    uint32_t getGLType() const { return glType; }
    uint32_t getStorage() const { return buffer.getStorage(); }
    // A number that changes, to one no buffer of the process had before, whenever the indices may have
    // changed (update(), or unmap() after a mapping for writing), so that what was measured of them can be
    // kept until then.
    uint64_t getRevision() const { return revision; }

private:
    IndexBuffer(uint32_t indexSize, uint32_t count, uint32_t storage);

    uint32_t indexSize;
    uint32_t count;
    uint32_t glType;
    BufferStorage buffer;
    uint64_t revision;
    bool writing = false;
};

} // namespace korvane::graphics3d
