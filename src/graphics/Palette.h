#pragma once

#include <cstring>

#include "object/Object.h"

namespace korvane::graphics {

/// The 256-entry colour table of palette-indexed bitmaps. Each entry is four values: red, green, blue and
/// one carried along unused. Every entry is zero after construction.
template <typename T> class Palette : public object::Object {
public:
    static constexpr int Size = 256;

    Palette() { std::memset(entries, 0, sizeof entries); }

    T* operator[](int index) { return entries[index]; }
    const T* operator[](int index) const { return entries[index]; }

    /// Copies all entries from another palette.
    void copyFrom(const Palette& other) { std::memcpy(entries, other.entries, sizeof entries); }
    bool operator==(const Palette& other) const {
        return std::memcmp(entries, other.entries, sizeof entries) == 0;
    }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Palette");
    }

private:
    T entries[Size][4];
};

} // namespace korvane::graphics
