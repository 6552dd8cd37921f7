#pragma once

#include <cstdint>

#include "object/Noncopyable.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

class Context;

/// Where a buffer keeps its data. The first four ask for a GL buffer object (with no usage, static, dynamic
/// and stream usage); a buffer falls back to client memory (StorageMemory) silently when the object cannot
/// be made.
enum Storage : uint32_t {
    StorageNone = 0,
    StorageStatic = 1,
    StorageDynamic = 2,
    StorageStream = 3,
    StorageMemory = 4,
};

/// How a buffer is mapped.
enum MapAccess : uint32_t {
    MapRead = 0,
    MapWrite = 1,
    MapReadWrite = 2,
    MapWriteOnly = 3,
};

/// The storage of a vertex or index buffer: a GL buffer object on one target, or client memory when no
/// buffer object can be had, behind one interface for allocating, mapping, updating and binding.
///
/// GL offers buffer objects through two families of entry points, the OpenGL 1.5 (core) ones and the
/// ARB_vertex_buffer_object ones, and a driver may offer either without the other. A storage chooses one
/// family when it is allocated, core when all its entry points are loaded and ARB otherwise, and makes
/// every later call (bind, map, unmap, update, delete) through that same family.
class BufferStorage : public object::Noncopyable {
public:
    /// Storage for `target` (GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER) of the requested kind; nothing is
    /// allocated yet.
    BufferStorage(uint32_t target, uint32_t requested);
    /// Deletes the buffer object, in the rendering context it was made in, or frees the client memory.
    ~BufferStorage();

    /// Gives the storage `bytes` bytes: a buffer object when a family of entry points is loaded, the
    /// requested kind is not client memory and the driver accepts it; otherwise zeroed client memory, so
    /// that nothing uninitialised is ever drawn or read. False when not even client memory can be had.
    bool allocate(uint64_t bytes);

    /// Makes the bytes reachable through getData() until unmap(); false when mapping fails. Client memory
    /// is always reachable.
    bool map(uint32_t access);
    void unmap();

    /// Copies `bytes` bytes from `source` to `offset` on; the caller checks the range.
    void update(uint64_t offset, const void* source, uint64_t bytes);

    /// Binds the storage on its target for drawing and returns the base address of its bytes: null for a
    /// buffer object (GL takes offsets), the client memory otherwise (with buffer 0 bound, when a family is
    /// loaded, so that GL takes addresses).
    const void* bind() const;

    uint32_t getTarget() const { return target; }
    void* getData() const { return data; }
    bool isMapped() const { return mapped; }
    uint32_t getUsage() const { return usage; }
    uint32_t getBufferObject() const { return bufferObject; }
    uint32_t getStorage() const { return storage; }
    /// Whether the storage calls the core family (false: the ARB one, or none).
    bool usesCoreEntryPoints() const { return core; }

    /// The GL usage of a storage kind, 0 for kind 0; the GL access of a map access, 0 for an unknown one.
    static uint32_t usageOf(uint32_t storage);
    static uint32_t accessOf(uint32_t access);

private:
    // The entry points of the chosen family, copied when the storage is allocated (see BufferStorage.cpp).
    using EntryPoint = void (*)();
    struct Family {
        EntryPoint generate = nullptr;
        EntryPoint bind = nullptr;
        EntryPoint data = nullptr;
        EntryPoint subData = nullptr;
        EntryPoint map = nullptr;
        EntryPoint unmap = nullptr;
        EntryPoint remove = nullptr;
    };

    static Family chooseFamily(bool& core);
    uint32_t createBufferObject(uint64_t bytes) const;
    void bindObject(uint32_t name) const;

    Family family;
    uint32_t target;
    uint32_t requested;
    uint32_t usage;
    void* data = nullptr;
    bool mapped = false;
    bool core = false;
    uint32_t bufferObject = 0;
    uint32_t storage = StorageMemory;
    object::Pointer<Context> owner;
};

} // namespace korvane::graphics3d
