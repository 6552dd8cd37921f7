#pragma once

#include <cstdint>

#include "container/Array.h"
#include "object/Object.h"

namespace korvane::graphics3d {

/// The layout of a block of named shader parameters: components in insertion order, each with a name (at
/// most 64 significant characters), a type code (TypeCode.h) and a byte offset; `size` sums the sizes.
class ParameterFormat : public object::Object {
public:
    static constexpr uint32_t NameLength = 64;

    struct Component {
        char name[128];
        uint32_t offset;
        uint32_t type; // 0 marks a component that compact() drops
    };

    ParameterFormat() = default;

    /// Appends a component at the current end of the block; names are cut to 64 characters.
    void add(const char* name, uint32_t type);
    /// The first component whose name matches in its first 64 characters, or end() when there is none.
    Component* find(const char* name);
    const Component* find(const char* name) const;
    /// Drops the components of type 0 (the others keep their order and offsets) and trims the storage to
    /// exactly the remaining count.
    void compact();

    uint32_t getCount() const { return components.getCount(); }
    uint32_t getSize() const { return size; }
    Component& operator[](uint32_t index) { return components[index]; }
    const Component& operator[](uint32_t index) const { return components[index]; }
    Component* begin() { return components.begin(); }
    Component* end() { return components.end(); }
    const Component* begin() const { return components.begin(); }
    const Component* end() const { return components.end(); }
    const container::Array<Component>& getComponents() const { return components; }

private:
    container::Array<Component> components;
    uint32_t size = 0;
};

} // namespace korvane::graphics3d
