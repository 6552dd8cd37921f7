#include "graphics3d/IndexBuffer.h"

#include <atomic>
#include <utility>

#include "graphics3d/GL.h"

namespace korvane::graphics3d {

namespace {

uint64_t nextRevision() {
    static std::atomic<uint64_t> revisions{0};
    return revisions.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace

IndexBuffer::IndexBuffer(uint32_t indexSize, uint32_t count, uint32_t storage)
    : indexSize(indexSize), count(count), glType(indexSize == 1   ? GL_UNSIGNED_BYTE
                                                 : indexSize == 2 ? GL_UNSIGNED_SHORT
                                                                  : GL_UNSIGNED_INT),
      buffer(GL_ELEMENT_ARRAY_BUFFER, storage), revision(nextRevision()) {}

IndexBuffer* IndexBuffer::create(uint32_t indexSize, uint32_t count, uint32_t storage) {
    if (indexSize != 1 && indexSize != 2 && indexSize != 4)
        return nullptr;
    // 32-bit sizes keep the byte size representable for the GL calls and getByteSize().
    const uint64_t bytes = uint64_t(count) * indexSize;
    if (bytes > UINT32_MAX)
        return nullptr;
    IndexBuffer* indices = new IndexBuffer(indexSize, count, storage);
    if (!indices->buffer.allocate(bytes)) {
        indices->release();
        return nullptr;
    }
    return indices;
}

IndexBuffer::~IndexBuffer() = default;

types::String IndexBuffer::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":IndexBuffer");
}

bool IndexBuffer::update(uint32_t first, const void* source, uint32_t number) {
    if (uint64_t(first) + number > count || (number != 0 && !source))
        return false;
    buffer.update(uint64_t(first) * indexSize, source, uint64_t(number) * indexSize);
    revision = nextRevision();
    return true;
}

bool IndexBuffer::map(uint32_t access) {
    if (!buffer.map(access))
        return false;
    writing = access != MapRead;
    return true;
}

void IndexBuffer::unmap() {
    buffer.unmap();
    if (std::exchange(writing, false))
        revision = nextRevision();
}

const void* IndexBuffer::bind() const {
    return buffer.bind();
}

} // namespace korvane::graphics3d
