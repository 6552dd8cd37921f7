#include "graphics3d/IndexBuffer.h"

#include <cstdlib>
#include <cstring>

#include "graphics3d/GLError.h"
#include "graphics3d/OpenGL.h"

namespace korvane::graphics3d {

uint32_t detail::usageOf(uint32_t storage) {
    switch (storage) {
    case StorageStatic:
        return GL_STATIC_DRAW_ARB;
    case StorageDynamic:
    case StorageMemory:
        return GL_DYNAMIC_DRAW_ARB;
    case StorageStream:
        return GL_STREAM_DRAW_ARB;
    default:
        return 0; // no usage: a buffer object cannot be made
    }
}

uint32_t detail::accessOf(uint32_t access) {
    static const uint32_t table[] = {GL_READ_ONLY_ARB, GL_WRITE_ONLY_ARB, GL_READ_WRITE_ARB,
                                     GL_WRITE_ONLY_ARB};
    return access < 4 ? table[access] : 0;
}

namespace {

uint32_t createBufferObject(bool core, uint32_t target, uint64_t bytes, uint32_t usage) {
    const auto generate = core ? glGenBuffers : glGenBuffersARB;
    const auto bind = core ? glBindBuffer : glBindBufferARB;
    const auto allocate = core ? glBufferData : glBufferDataARB;
    const auto remove = core ? glDeleteBuffers : glDeleteBuffersARB;
    clearGLErrors();
    GLuint name = 0;
    generate(1, &name);
    if (hasGLError() || name == 0)
        return 0;
    bind(target, name);
    allocate(target, static_cast<GLsizeiptr>(bytes), nullptr, usage);
    if (hasGLError()) {
        remove(1, &name);
        return 0;
    }
    return name;
}

} // namespace

bool detail::allocateStorage(bool core, uint32_t target, uint64_t bytes, uint32_t usage, uint32_t requested,
                             uint32_t& bufferObject, void*& data, uint32_t& storage) {
    const bool loaded = core ? glBindBuffer != nullptr : glBindBufferARB != nullptr;
    if (loaded && requested != StorageMemory) {
        bufferObject = createBufferObject(core, target, bytes, usage);
        if (bufferObject != 0) {
            storage = requested;
            return true;
        }
    }
    data = std::calloc(bytes ? bytes : 1, 1);
    storage = StorageMemory;
    return data != nullptr;
}

bool detail::map(uint32_t target, uint32_t bufferObject, uint32_t access, void*& data, bool& mapped) {
    if (bufferObject == 0) {
        mapped = true;
        return true;
    }
    if (mapped)
        return true;
    const uint32_t glAccess = accessOf(access);
    if (glAccess == 0)
        return false;
    glBindBufferARB(target, bufferObject);
    data = glMapBufferARB(target, glAccess);
    mapped = data != nullptr;
    return mapped;
}

void detail::unmap(uint32_t target, uint32_t bufferObject, void*& data, bool& mapped) {
    if (bufferObject != 0 && mapped) {
        glBindBufferARB(target, bufferObject);
        glUnmapBufferARB(target);
        data = nullptr;
    }
    mapped = false;
}

IndexBuffer::IndexBuffer(uint32_t indexSize, uint32_t count, uint32_t storage)
    : indexSize(indexSize), count(count), usage(detail::usageOf(storage)),
      glType(indexSize == 1   ? GL_UNSIGNED_BYTE
             : indexSize == 2 ? GL_UNSIGNED_SHORT
                              : GL_UNSIGNED_INT) {}

IndexBuffer* IndexBuffer::create(uint32_t indexSize, uint32_t count, uint32_t storage) {
    if (indexSize != 1 && indexSize != 2 && indexSize != 4)
        return nullptr;
    // 32-bit sizes keep the byte size representable for the GL calls and getByteSize().
    const uint64_t bytes = uint64_t(count) * indexSize;
    if (bytes > UINT32_MAX)
        return nullptr;
    IndexBuffer* buffer = new IndexBuffer(indexSize, count, storage);

    if (!detail::allocateStorage(false, GL_ELEMENT_ARRAY_BUFFER_ARB, bytes, buffer->usage, storage,
                                 buffer->bufferObject, buffer->data, buffer->storage)) {
        buffer->release();
        return nullptr;
    }
    return buffer;
}

IndexBuffer::~IndexBuffer() {
    if (bufferObject != 0)
        glDeleteBuffersARB(1, &bufferObject);
    else
        std::free(data);
}

types::String IndexBuffer::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":IndexBuffer");
}

bool IndexBuffer::update(uint32_t first, const void* source, uint32_t number) {
    if (uint64_t(first) + number > count || (number != 0 && !source))
        return false;
    if (bufferObject != 0) {
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, bufferObject);
        glBufferSubDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, GLintptrARB(first) * indexSize,
                           GLsizeiptrARB(number) * indexSize, source);
    } else {
        std::memmove(static_cast<uint8_t*>(data) + size_t(first) * indexSize, source,
                     size_t(number) * indexSize);
    }
    return true;
}

bool IndexBuffer::map(uint32_t access) {
    return detail::map(GL_ELEMENT_ARRAY_BUFFER_ARB, bufferObject, access, data, mapped);
}

void IndexBuffer::unmap() {
    detail::unmap(GL_ELEMENT_ARRAY_BUFFER_ARB, bufferObject, data, mapped);
}

const void* IndexBuffer::bind() const {
    if (bufferObject != 0) {
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, bufferObject);
        return nullptr;
    }
    if (glBindBufferARB)
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    return data;
}

} // namespace korvane::graphics3d
