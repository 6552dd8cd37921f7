#include "graphics3d/ParameterFormat.h"

#include <cstring>

#include "graphics3d/TypeCode.h"

namespace korvane::graphics3d {

void ParameterFormat::add(const char* name, uint32_t type) {
    Component component{};
    if (name)
        std::strncpy(component.name, name, NameLength);
    component.name[NameLength] = '\0';
    component.offset = size;
    component.type = type;
    components.append(component);
    size += type::sizeOf(type);
}

const ParameterFormat::Component* ParameterFormat::find(const char* name) const {
    for (const Component& component : components) {
        if (std::strncmp(component.name, name ? name : "", NameLength) == 0)
            return &component;
    }
    return end();
}

ParameterFormat::Component* ParameterFormat::find(const char* name) {
    return const_cast<Component*>(static_cast<const ParameterFormat*>(this)->find(name));
}

void ParameterFormat::compact() {
    uint32_t kept = 0;
    for (uint32_t index = 0; index < components.getCount(); ++index) {
        if (components[index].type != 0)
            components[kept++] = components[index];
    }
    components.setSize(kept);
    if (components.getCount() == components.getCapacity())
        return;
    container::Array<Component> exact;
    if (kept != 0) {
        // An array without storage allocates exactly the size asked for.
        exact.setSize(kept);
        for (uint32_t index = 0; index < kept; ++index)
            exact[index] = components[index];
    }
    components.swap(exact);
}

} // namespace korvane::graphics3d
