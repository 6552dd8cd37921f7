#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

#include "container/Array.h"

namespace korvane::graphics3d {

/// A recording of GL calls: a growable array of (tag, value) entries. A call f(a, b, c) is recorded as
/// (Argument, a), (Argument, b), (Argument, c), (Call, f). Integers and enums are stored as their 32-bit
/// pattern, floats as their bit pattern, pointers (arrays passed by address, entry points) as addresses;
/// the value is therefore word-sized.
class CommandList : public object::Object {
public:
    enum Tag : uint32_t { Call = 1, Argument = 4 };

    struct Entry {
        uint32_t tag;
        uintptr_t value;
    };

    /// Records one call of the entry point `function` with `arguments`.
    template <typename Function, typename... Arguments>
    void record(Function* function, Arguments... arguments) {
        (entries.append(Entry{Argument, encode(arguments)}), ...);
        entries.append(Entry{Call, reinterpret_cast<uintptr_t>(function)});
    }

    uint32_t getCount() const { return entries.getCount(); }
    const Entry& operator[](uint32_t index) const { return entries[index]; }
    void clear() { entries.clear(); }

    template <typename T> static uintptr_t encode(T value) {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<uintptr_t>(value);
        else if constexpr (std::is_same_v<T, float>)
            return std::bit_cast<uint32_t>(value);
        else
            return static_cast<uint32_t>(value);
    }

private:
    container::Array<Entry> entries;
};

} // namespace korvane::graphics3d
