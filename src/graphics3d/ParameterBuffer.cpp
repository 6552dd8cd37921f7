#include "graphics3d/ParameterBuffer.h"

#include <cstring>

#include "graphics3d/TypeCode.h"

namespace korvane::graphics3d {

static_assert(sizeof(ParameterBuffer) % alignof(double) == 0, "the inline storage must stay aligned");

ParameterBuffer* ParameterBuffer::create(const ParameterFormat& format) {
    if (format.getCount() == 0)
        return nullptr;
    ParameterBuffer* buffer = new (format.getSize()) ParameterBuffer(format);
    std::memset(buffer->getData(), 0, format.getSize());
    return buffer;
}

types::String ParameterBuffer::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":ParameterBuffer");
}

const void* ParameterBuffer::get(const char* name) const {
    const ParameterFormat::Component* component = format.find(name);
    if (component == format.end() || component->offset + type::sizeOf(component->type) > format.getSize())
        return nullptr;
    return getData() + component->offset;
}

void* ParameterBuffer::get(const char* name) {
    return const_cast<void*>(static_cast<const ParameterBuffer*>(this)->get(name));
}

bool ParameterBuffer::set(const char* name, const void* value, uint32_t bytes) {
    const ParameterFormat::Component* component = format.find(name);
    if (component == format.end() || bytes > type::sizeOf(component->type) ||
        component->offset + bytes > format.getSize())
        return false;
    std::memcpy(getData() + component->offset, value, bytes);
    return true;
}

} // namespace korvane::graphics3d
