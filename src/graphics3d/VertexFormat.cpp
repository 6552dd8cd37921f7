#include "graphics3d/VertexFormat.h"

#include "graphics3d/TypeCode.h"

namespace korvane::graphics3d {

types::String VertexFormat::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":VertexFormat");
}

uint32_t VertexFormat::add(uint32_t type, uint32_t attributes) {
    uint32_t index = 0;
    while (index < count && components[index].attributes != 0)
        ++index;
    if (index == MaximumComponents)
        return None;

    Component& entry = components[index];
    const uint32_t size = type::sizeOf(type);
    entry.type = type;
    entry.attributes = attributes;
    entry.offset = index == 0 ? 0 : components[index - 1].offset + type::sizeOf(components[index - 1].type);
    if (index == count) {
        ++count;
    } else {
        for (uint32_t later = index + 1; later < count; ++later)
            components[later].offset += size;
    }
    stride += size;
    return index;
}

} // namespace korvane::graphics3d
