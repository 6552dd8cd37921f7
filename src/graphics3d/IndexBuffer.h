#pragma once

#include <cstdint>

#include "graphics3d/Resource.h"
#include "object/Noncopyable.h"

namespace korvane::graphics3d {

// Where a buffer keeps its data. The first four ask for a GL buffer object (with no usage, static, dynamic
// and stream usage); a buffer falls back to client memory (StorageMemory) silently when the object cannot
// be made.
enum Storage : uint32_t {
    StorageNone = 0,
    StorageStatic = 1,
    StorageDynamic = 2,
    StorageStream = 3,
    StorageMemory = 4,
};

// How a buffer is mapped.
enum MapAccess : uint32_t {
    MapRead = 0,
    MapWrite = 1,
    MapReadWrite = 2,
    MapWriteOnly = 3,
};

namespace detail {
uint32_t usageOf(uint32_t storage);
uint32_t accessOf(uint32_t access);
// Gives a new buffer its storage: a buffer object of `bytes` bytes on `target` when the bind entry point
// is loaded, the requested storage is not client memory and the driver accepts it; otherwise zeroed client
// memory, so that nothing uninitialised is ever drawn or read. Vertex buffers use the OpenGL 1.5 entry
// points (core), index buffers the ARB ones. False when not even client memory can be had.
bool allocateStorage(bool core, uint32_t target, uint64_t bytes, uint32_t usage, uint32_t requested,
                     uint32_t& bufferObject, void*& data, uint32_t& storage);
// Mapping shared by both kinds: a buffer object is mapped on its target; client memory is always there.
bool map(uint32_t target, uint32_t bufferObject, uint32_t access, void*& data, bool& mapped);
void unmap(uint32_t target, uint32_t bufferObject, void*& data, bool& mapped);
} // namespace detail

// 8-, 16- or 32-bit vertex indices, in a GL buffer object when one can be made and in client memory
// otherwise. Write through map()/unmap() or update(); the buffer deletes its object (its GL context must be
// current) or frees its memory on destruction.
class IndexBuffer : public Resource, public object::Noncopyable {
public:
    // A buffer of `count` indices of `indexSize` bytes (1, 2 or 4, else null). Null also when client memory
    // for the fall-back cannot be had.
    static IndexBuffer* create(uint32_t indexSize, uint32_t count, uint32_t storage);

    ~IndexBuffer() override;

    types::String getClassPath() const override;

    // Copies `number` indices from `source` to index `first` on. False, writing nothing, when the range does
    // not lie inside the buffer.
    bool update(uint32_t first, const void* source, uint32_t number);

    // Makes the indices reachable through getData() until unmap(); false when mapping fails.
    bool map(uint32_t access);
    void unmap();

    // Binds the buffer for drawing and returns the base address for glDrawElements (null for a buffer
    // object, the client memory otherwise).
    const void* bind() const;

    uint32_t getIndexSize() const { return indexSize; }
    uint32_t getCount() const { return count; }
    uint32_t getByteSize() const { return count * indexSize; }
    void* getData() const { return data; }
    bool isMapped() const { return mapped; }
    uint32_t getUsage() const { return usage; }
    uint32_t getBufferObject() const { return bufferObject; }
    uint32_t getGLType() const { return glType; }
    uint32_t getStorage() const { return storage; }

private:
    IndexBuffer(uint32_t indexSize, uint32_t count, uint32_t storage);

    uint32_t indexSize;
    uint32_t count;
    void* data = nullptr;
    bool mapped = false;
    uint32_t usage;
    uint32_t bufferObject = 0;
    uint32_t glType;
    uint32_t storage = StorageMemory;
};

} // namespace korvane::graphics3d
