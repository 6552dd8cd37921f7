#pragma once

#include <cstdint>

namespace korvane::graphics {

/// Pixel layouts of images. Bits 16 to 23 of most codes hold the bits per pixel.
enum class PixelFormat : uint32_t {
    Unknown = 0,
    RGBA8 = 0x00200001,
    RGB5A1 = 0x00100002,
    R5G6B5 = 0x00100003,
    RGB8 = 0x00180004,
    P8 = 0x00080006,
    BGR8 = 0x00180007,
    BGRA8 = 0x00200008,
    RGB16 = 0x00100009,
    RGBA16 = 0x0040000A,
    BGR16 = 0x0010000B,
    BGRA16 = 0x0040000C,
    A8 = 0x0008000D,
    A16 = 0x0010000E,
    DU8DV8 = 0x00100011,
    RGBA16F = 0x10400013,
    RGB16F = 0x10300014,
    A16F = 0x10100017,
    RGBA32F = 0x30800019,
    RGB32F = 0x3060001A,
    A32F = 0x3020001E,
    Depth16 = 0x40000040,
    Depth24 = 0x40000041,
    DXT1 = 0x80000080,
    DXT3 = 0x80000081,
    DXT5 = 0x80000082,
};

/// Bytes per pixel of a format code (rows carry no padding); 0 for codes without a size, such as the
/// compressed and depth formats.
constexpr uint32_t getBytesPerPixel(uint32_t code) {
    switch (code) {
    case 0x00080006: // P8
    case 0x0008000D: // A8
        return 1;
    case 0x00100002: // RGB5A1
    case 0x00100003: // R5G6B5
    case 0x0010000E: // A16
    case 0x0010000F:
    case 0x00100011: // DU8DV8
    case 0x10100017: // A16F
        return 2;
    case 0x00180004: // RGB8
    case 0x00180007: // BGR8
        return 3;
    case 0x00200001: // RGBA8
    case 0x00200008: // BGRA8
    case 0x00200010:
    case 0x00200012:
    case 0x10200018:
        return 4;
    case 0x00240005:
        return 5;
    case 0x00100009: // RGB16
    case 0x0010000B: // BGR16
    case 0x10300014: // RGB16F
    case 0x10300016:
        return 6;
    case 0x0040000A: // RGBA16
    case 0x0040000C: // BGRA16
    case 0x10400013: // RGBA16F
    case 0x10400015:
        return 8;
    case 0x3060001A: // RGB32F
    case 0x3060001C:
        return 12;
    case 0x30800019: // RGBA32F
    case 0x3080001B:
        return 16;
    default:
        return 0;
    }
}

constexpr uint32_t getBytesPerPixel(PixelFormat format) {
    return getBytesPerPixel(uint32_t(format));
}

/// The bits-per-pixel byte of a format code (bits 16 to 23).
constexpr uint32_t getBitsField(PixelFormat format) {
    return (uint32_t(format) >> 16) & 0xFF;
}

} // namespace korvane::graphics
