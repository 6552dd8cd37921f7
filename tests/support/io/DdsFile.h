#pragma once

#include <cstdint>
#include <vector>

namespace korvane::test {

// The header fields of a DDS file that the reader looks at.
struct DdsHeader {
    uint32_t flags = 0x1007;
    uint32_t height = 1;
    uint32_t width = 1;
    uint32_t depth = 0;
    uint32_t levels = 0;
    uint32_t fourCC = 0;
    uint32_t bitCount = 32;
    uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    uint32_t caps1 = 0x1000;
    uint32_t caps2 = 0;
};

// Header flags and capabilities beyond those every file has.
constexpr uint32_t DdsMipmapCount = 0x20000;
constexpr uint32_t DdsDepth = 0x800000;
constexpr uint32_t DdsComplex = 0x8;
constexpr uint32_t DdsCubeMap = 0x200;
constexpr uint32_t DdsAllFaces = 0xFC00;
constexpr uint32_t DdsVolume = 0x200000;

// A 32-bit image with a chain of levels.
inline DdsHeader mipmapHeader(uint32_t width, uint32_t height, uint32_t levels) {
    DdsHeader header;
    header.flags |= DdsMipmapCount;
    header.width = width;
    header.height = height;
    header.levels = levels;
    return header;
}

// A cube map of square faces (the face bits of caps2), each face with all its levels.
inline DdsHeader cubeHeader(uint32_t size, uint32_t levels, uint32_t faces = DdsAllFaces) {
    DdsHeader header = mipmapHeader(size, size, levels);
    header.caps1 |= DdsComplex;
    header.caps2 = DdsCubeMap | faces;
    return header;
}

// A volume of square slices, depth of them at the first level.
inline DdsHeader volumeHeader(uint32_t size, uint32_t depth, uint32_t levels) {
    DdsHeader header = mipmapHeader(size, size, levels);
    header.flags |= DdsDepth;
    header.depth = depth;
    header.caps1 |= DdsComplex;
    header.caps2 = DdsVolume;
    return header;
}

inline void putWord(std::vector<unsigned char>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A DDS file: the 128-byte header followed by the given pixel bytes.
inline std::vector<unsigned char> ddsFile(const DdsHeader& header,
                                          const std::vector<unsigned char>& pixels = {}) {
    std::vector<unsigned char> bytes(128, 0);
    putWord(bytes, 0, 0x20534444);
    putWord(bytes, 4, 124);
    putWord(bytes, 8, header.flags);
    putWord(bytes, 12, header.height);
    putWord(bytes, 16, header.width);
    putWord(bytes, 24, header.depth);
    putWord(bytes, 28, header.levels);
    putWord(bytes, 76, 32);
    putWord(bytes, 80, header.fourCC ? 0x4 : 0x40);
    putWord(bytes, 84, header.fourCC);
    putWord(bytes, 88, header.bitCount);
    for (int i = 0; i < 4; ++i)
        putWord(bytes, 92 + 4 * i, header.masks[i]);
    putWord(bytes, 108, header.caps1);
    putWord(bytes, 112, header.caps2);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

// count bytes, each tagged: the high nibble is tag, the low nibble counts up.
inline std::vector<unsigned char> tagged(size_t count, unsigned tag) {
    std::vector<unsigned char> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>((tag << 4) | (i & 0xF));
    return bytes;
}

inline void appendBytes(std::vector<unsigned char>& to, const std::vector<unsigned char>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

} // namespace korvane::test
