#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics3d/ParameterFormat.h"
#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::graphics3d {

/// Storage for one block of shader parameters laid out by a ParameterFormat (a copy of which it keeps),
/// held inline after the object and zeroed at creation. Owners write values by component name; models read
/// them when drawing.
/// create() returns a new object (count 1) that the caller releases.
class ParameterBuffer : public object::Object, public object::Noncopyable {
public:
    /// A buffer for `format`, or null when the format has no components.
    static ParameterBuffer* create(const ParameterFormat& format);

    types::String getClassPath() const override;

    const ParameterFormat& getFormat() const { return format; }
    uint32_t getSize() const { return format.getSize(); }
    uint8_t* getData() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* getData() const { return reinterpret_cast<const uint8_t*>(this + 1); }

    /// The storage of the named component, null when the format has no such component.
    void* get(const char* name);
    const void* get(const char* name) const;
    /// Copies `bytes` bytes into the named component; false (nothing written) when there is no such component
    /// or the value is larger than the component.
    bool set(const char* name, const void* value, uint32_t bytes);

    static void operator delete(void* memory) { ::operator delete(memory); }

private:
    explicit ParameterBuffer(const ParameterFormat& format) : format(format) {}

    static void* operator new(std::size_t size, uint32_t storage) { return ::operator new(size + storage); }
    static void operator delete(void* memory, uint32_t) { ::operator delete(memory); }

    ParameterFormat format;
};

} // namespace korvane::graphics3d
