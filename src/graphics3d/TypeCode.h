#pragma once

#include <cstdint>

// 32-bit description of a scalar, vector or matrix value: bits 0-7 the scalar kind, bits 8-15 the number
// of scalars, bits 16-27 the total size in bytes. In the scalar kind, bits 0-3 are the scalar width in
// bytes, 0x10 marks unsigned integers and 0x20 floating point.
namespace korvane::graphics3d::type {

constexpr uint32_t Byte = 0x01;
constexpr uint32_t Short = 0x02;
constexpr uint32_t Int = 0x04;
constexpr uint32_t UnsignedByte = 0x11;
constexpr uint32_t UnsignedShort = 0x12;
constexpr uint32_t UnsignedInt = 0x14;
constexpr uint32_t Float = 0x24;
constexpr uint32_t Double = 0x28;

constexpr uint32_t make(uint32_t scalar, uint32_t count) {
    return scalar | (count << 8) | (((scalar & 0x0F) * count) << 16);
}

constexpr uint32_t Float2 = make(Float, 2);   // 0x00080224
constexpr uint32_t Float3 = make(Float, 3);   // 0x000C0324
constexpr uint32_t Float4 = make(Float, 4);   // 0x00101024 (16 bytes)
constexpr uint32_t Matrix4 = make(Float, 16); // 0x00401024

constexpr uint32_t scalarOf(uint32_t code) {
    return code & 0xFF;
}
constexpr uint32_t countOf(uint32_t code) {
    return (code >> 8) & 0xFF;
}
constexpr uint32_t sizeOf(uint32_t code) {
    return (code >> 16) & 0xFFF;
}

/// The OpenGL type of the code's scalar kind, 0 for a kind OpenGL has no type for.
constexpr uint32_t glTypeOf(uint32_t code) {
    switch (scalarOf(code)) {
    case Byte:
        return 0x1400; // GL_BYTE
    case UnsignedByte:
        return 0x1401; // GL_UNSIGNED_BYTE
    case Short:
        return 0x1402; // GL_SHORT
    case UnsignedShort:
        return 0x1403; // GL_UNSIGNED_SHORT
    case Int:
        return 0x1404; // GL_INT
    case UnsignedInt:
        return 0x1405; // GL_UNSIGNED_INT
    case Float:
        return 0x1406; // GL_FLOAT
    case Double:
        return 0x140A; // GL_DOUBLE
    default:
        return 0;
    }
}

static_assert(Float2 == 0x00080224 && Float3 == 0x000C0324 && Matrix4 == 0x00401024);

} // namespace korvane::graphics3d::type
