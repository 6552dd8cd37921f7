#include "graphics3d/BufferStorage.h"

#include <cstdlib>
#include <cstring>

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/GLError.h"

namespace korvane::graphics3d {

namespace {

// The two families share their signatures (GLsizeiptrARB and GLintptrARB are GLsizeiptr and GLintptr),
// so both are called through the core types.
template <typename Function> void (*erase(Function function))() {
    return reinterpret_cast<void (*)()>(function);
}

template <typename Function> Function call(void (*entryPoint)()) {
    return reinterpret_cast<Function>(entryPoint);
}

} // namespace

BufferStorage::BufferStorage(uint32_t target, uint32_t requested)
    : target(target), requested(requested), usage(usageOf(requested)) {}

BufferStorage::~BufferStorage() {
    if (bufferObject == 0) {
        std::free(data);
        return;
    }
    // Deleting a buffer object unmaps it.
    const auto remove = call<PFNGLDELETEBUFFERSPROC>(family.remove);
    Context::Scope scope(owner.get());
    if (scope.getState() == Context::Scope::Ready)
        remove(1, &bufferObject);
    else if (scope.getState() == Context::Scope::Elsewhere)
        owner->defer([name = GLuint(bufferObject), remove](Context&) { remove(1, &name); });
}

uint32_t BufferStorage::usageOf(uint32_t storage) {
    switch (storage) {
    case StorageStatic:
        return GL_STATIC_DRAW;
    case StorageDynamic:
    case StorageMemory:
        return GL_DYNAMIC_DRAW;
    case StorageStream:
        return GL_STREAM_DRAW;
    default:
        return 0; // no usage: a buffer object cannot be made
    }
}

uint32_t BufferStorage::accessOf(uint32_t access) {
    static const uint32_t table[] = {GL_READ_ONLY, GL_WRITE_ONLY, GL_READ_WRITE, GL_WRITE_ONLY};
    return access < 4 ? table[access] : 0;
}

BufferStorage::Family BufferStorage::chooseFamily(bool& core) {
    core = glGenBuffers && glBindBuffer && glBufferData && glBufferSubData && glMapBuffer && glUnmapBuffer &&
           glDeleteBuffers;
    if (core)
        return {erase(glGenBuffers), erase(glBindBuffer),  erase(glBufferData),   erase(glBufferSubData),
                erase(glMapBuffer),  erase(glUnmapBuffer), erase(glDeleteBuffers)};
    if (glGenBuffersARB && glBindBufferARB && glBufferDataARB && glBufferSubDataARB && glMapBufferARB &&
        glUnmapBufferARB && glDeleteBuffersARB)
        return {erase(glGenBuffersARB),    erase(glBindBufferARB), erase(glBufferDataARB),
                erase(glBufferSubDataARB), erase(glMapBufferARB),  erase(glUnmapBufferARB),
                erase(glDeleteBuffersARB)};
    // No family to make buffer objects with; binding buffer 0 for client memory still needs one entry
    // point, where a driver has it.
    Family none;
    none.bind = glBindBuffer ? erase(glBindBuffer) : erase(glBindBufferARB);
    return none;
}

uint32_t BufferStorage::createBufferObject(uint64_t bytes) const {
    clearGLErrors();
    GLuint name = 0;
    call<PFNGLGENBUFFERSPROC>(family.generate)(1, &name);
    if (hasGLError() || name == 0)
        return 0;
    bindObject(name);
    call<PFNGLBUFFERDATAPROC>(family.data)(target, static_cast<GLsizeiptr>(bytes), nullptr, usage);
    if (hasGLError()) {
        call<PFNGLDELETEBUFFERSPROC>(family.remove)(1, &name);
        return 0;
    }
    return name;
}

void BufferStorage::bindObject(uint32_t name) const {
    call<PFNGLBINDBUFFERPROC>(family.bind)(target, name);
}

bool BufferStorage::allocate(uint64_t bytes) {
    family = chooseFamily(core);
    if (family.generate && requested != StorageMemory) {
        bufferObject = createBufferObject(bytes);
        if (bufferObject != 0) {
            owner = Context::getOwner();
            storage = requested;
            return true;
        }
    }
    data = std::calloc(bytes ? bytes : 1, 1);
    storage = StorageMemory;
    return data != nullptr;
}

bool BufferStorage::map(uint32_t access) {
    if (bufferObject == 0) {
        mapped = true;
        return true;
    }
    if (mapped)
        return true;
    const uint32_t glAccess = accessOf(access);
    if (glAccess == 0)
        return false;
    bindObject(bufferObject);
    data = call<PFNGLMAPBUFFERPROC>(family.map)(target, glAccess);
    mapped = data != nullptr;
    return mapped;
}

void BufferStorage::unmap() {
    if (bufferObject != 0 && mapped) {
        bindObject(bufferObject);
        call<PFNGLUNMAPBUFFERPROC>(family.unmap)(target);
        data = nullptr;
    }
    mapped = false;
}

void BufferStorage::update(uint64_t offset, const void* source, uint64_t bytes) {
    if (bufferObject != 0) {
        bindObject(bufferObject);
        call<PFNGLBUFFERSUBDATAPROC>(family.subData)(target, static_cast<GLintptr>(offset),
                                                     static_cast<GLsizeiptr>(bytes), source);
    } else {
        std::memmove(static_cast<uint8_t*>(data) + offset, source, bytes);
    }
}

const void* BufferStorage::bind() const {
    if (bufferObject != 0) {
        bindObject(bufferObject);
        return nullptr;
    }
    if (family.bind)
        bindObject(0);
    return data;
}

} // namespace korvane::graphics3d
