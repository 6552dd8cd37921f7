#include "io/TranslatorDDS.h"

#include <cstring>

#include "graphics/Bitmap.h"
#include "io/IOException.h"
#include "object/Pointer.h"

namespace korvane::io {

using graphics::Image;
using graphics::PixelFormat;
using ImagePointer = object::Pointer<Image>;

namespace {

constexpr uint32_t RequiredFlags = 0x1 | 0x2 | 0x4 | 0x1000;
constexpr uint32_t FlagLevelCount = 0x20000;
constexpr uint32_t FlagDepth = 0x800000;
constexpr uint32_t CapsComplex = 0x8;
constexpr uint32_t CapsCubeMap = 0x200;
constexpr uint32_t CapsFacePositiveX = 0x400;
constexpr uint32_t CapsVolume = 0x200000;
constexpr int FaceCount = 6;
// Halving an edge that fits in 32 bits reaches 1 after at most 31 steps, so no file has more levels.
constexpr uint32_t MaximumLevelCount = 32;

uint64_t multiply(uint64_t a, uint64_t b) {
    uint64_t product;
    return __builtin_mul_overflow(a, b, &product) ? UINT64_MAX : product;
}

uint64_t add(uint64_t a, uint64_t b) {
    uint64_t sum;
    return __builtin_add_overflow(a, b, &sum) ? UINT64_MAX : sum;
}

uint32_t halve(uint32_t size) {
    return size >= 2 ? size / 2 : size;
}

// Builds a chain by appending at its end.
class ChainBuilder {
public:
    void append(ImagePointer image) {
        if (!head)
            head = image;
        else
            tail->setNext(image);
        tail = image;
    }
    ImagePointer take() {
        tail = nullptr;
        return std::move(head);
    }

private:
    ImagePointer head;
    Image* tail = nullptr;
};

// Forgets the stream when a read ends, by return or by exception.
struct StreamScope {
    InputStream*& stream;
    ~StreamScope() { stream = nullptr; }
};

} // namespace

uint32_t TranslatorDDS::word(uint32_t offset) const {
    return uint32_t(header[offset]) | uint32_t(header[offset + 1]) << 8 | uint32_t(header[offset + 2]) << 16 |
           uint32_t(header[offset + 3]) << 24;
}

PixelFormat TranslatorDDS::selectFormat() const {
    switch (word(84)) {
    case 20:
        return PixelFormat::BGR8;
    case 21:
    case 22:
        return PixelFormat::BGRA8;
    case 23:
        return PixelFormat::R5G6B5;
    case 24:
        return PixelFormat::RGB5A1;
    case 36:
        return PixelFormat::BGRA16;
    case 41:
        return PixelFormat::P8;
    case 0x31545844:
        return PixelFormat::DXT1;
    case 0x33545844:
        return PixelFormat::DXT3;
    case 0x35545844:
        return PixelFormat::DXT5;
    default:
        break;
    }
    switch (word(88)) {
    case 16:
        return PixelFormat::R5G6B5;
    case 24:
        return PixelFormat::BGR8;
    case 32:
        return PixelFormat::BGRA8;
    default:
        throw TranslatorFormatException();
    }
}

uint64_t TranslatorDDS::imageBytes(uint32_t w, uint32_t h) const {
    // Compressed images are read as carrying no pixels, but their blocks are in the file all the same.
    if (format == PixelFormat::DXT1 || format == PixelFormat::DXT3 || format == PixelFormat::DXT5) {
        uint64_t blocks = multiply((uint64_t(w) + 3) / 4, (uint64_t(h) + 3) / 4);
        return multiply(blocks, format == PixelFormat::DXT1 ? 8 : 16);
    }
    return multiply(multiply(w, graphics::getBytesPerPixel(format)), h);
}

void TranslatorDDS::checkAvailable(bool cube, uint32_t faces, bool volume) {
    if (width > uint32_t(INT32_MAX) || height > uint32_t(INT32_MAX) ||
        uint64_t(width) * graphics::getBytesPerPixel(format) > uint64_t(INT32_MAX))
        throw TranslatorFormatException();
    int64_t available = stream->available();
    const uint64_t limit = available > 0 ? uint64_t(available) : 0;
    // Every level adds at least one byte, so this loop ends within the stream's size however many levels
    // the header claims.
    uint64_t total = 0;
    uint32_t w = width, h = height, d = depth;
    for (uint32_t level = 0; level < levelCount; ++level) {
        uint32_t images = cube ? faces : volume ? d : 1;
        total = add(total, multiply(imageBytes(w, h), images));
        if (total > limit)
            throw TranslatorFormatException();
        w = halve(w);
        h = halve(h);
        d = halve(d);
    }
}

void TranslatorDDS::readExactly(void* buffer, uint64_t count) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        uint32_t chunk = count > uint64_t(INT32_MAX) ? uint32_t(INT32_MAX) : uint32_t(count);
        int32_t got = stream->read(bytes, chunk);
        if (got <= 0)
            throw TranslatorFormatException();
        bytes += got;
        count -= uint64_t(got);
    }
}

Image* TranslatorDDS::readImage(uint32_t w, uint32_t h) {
    auto image =
        object::Pointer<graphics::Bitmap>::adopt(new graphics::Bitmap(format, int32_t(w), int32_t(h)));
    void* pixels = image->lock();
    if (pixels)
        image->setLocked(true);
    readExactly(pixels, image->getByteCount());
    image->unlock();
    image->setLocked(false);
    image->addReference();
    return image.get();
}

Image* TranslatorDDS::readPlain() {
    ChainBuilder chain;
    uint32_t w = width, h = height;
    for (uint32_t level = 0; level < levelCount; ++level) {
        chain.append(ImagePointer::adopt(readImage(w, h)));
        w = halve(w);
        h = halve(h);
    }
    ImagePointer head = chain.take();
    if (head)
        head->addReference();
    return head.get();
}

Image* TranslatorDDS::readVolume() {
    ChainBuilder chain;
    uint32_t w = width, h = height, d = depth;
    for (uint32_t level = 0; level < levelCount; ++level) {
        for (uint32_t slice = 0; slice < d; ++slice)
            chain.append(ImagePointer::adopt(readImage(w, h)));
        w = halve(w);
        h = halve(h);
        d = halve(d);
    }
    ImagePointer head = chain.take();
    if (head)
        head->addReference();
    return head.get();
}

Image* TranslatorDDS::readCube(uint32_t faceBits) {
    // The file holds each present face's whole level chain in turn; the result goes level by level.
    ImagePointer faces[FaceCount];
    for (int face = 0; face < FaceCount; ++face)
        if (faceBits & (CapsFacePositiveX << face))
            faces[face] = ImagePointer::adopt(readPlain());
    ChainBuilder chain;
    for (uint32_t level = 0; level < levelCount; ++level)
        for (ImagePointer& face : faces)
            if (face) {
                ImagePointer rest = ImagePointer::adopt(face->detachNext());
                chain.append(std::move(face));
                face = std::move(rest);
            }
    ImagePointer head = chain.take();
    if (head)
        head->addReference();
    return head.get();
}

Image* TranslatorDDS::read(InputStream& in, uint32_t) {
    stream = &in;
    StreamScope scope{stream};
    format = PixelFormat::Unknown;
    width = height = 0;
    depth = levelCount = 1;
    std::memset(header, 0, sizeof header);

    readExactly(header, HeaderSize);
    const uint32_t flags = word(8);
    if (word(0) != Magic || (flags & RequiredFlags) != RequiredFlags)
        throw TranslatorFormatException();
    width = word(16) ? word(16) : 1;
    height = word(12) ? word(12) : 1;
    depth = (flags & FlagDepth) && word(24) ? word(24) : 1;
    levelCount = (flags & FlagLevelCount) && word(28) ? word(28) : 1;
    if (levelCount > MaximumLevelCount)
        throw TranslatorFormatException();
    format = selectFormat();

    const uint32_t caps1 = word(108), caps2 = word(112);
    const bool complex = (caps1 & CapsComplex) != 0;
    if (complex && (caps2 & CapsCubeMap)) {
        uint32_t faceBits = caps2 & (0x3F * CapsFacePositiveX);
        uint32_t faces = uint32_t(__builtin_popcount(faceBits));
        // A cube map without a single face has nothing to give.
        if (faces == 0)
            throw TranslatorFormatException();
        checkAvailable(true, faces, false);
        return readCube(faceBits);
    }
    if (complex && (caps2 & CapsVolume)) {
        checkAvailable(false, 0, true);
        return readVolume();
    }
    checkAvailable(false, 0, false);
    return readPlain();
}

bool TranslatorDDS::canRead(File& file) {
    try {
        int64_t position = file.getPosition();
        bool magic = false;
        if (file.getMode() & File::Read) {
            unsigned char bytes[4] = {};
            magic = file.read(bytes, 4) == 4 && std::memcmp(bytes, "DDS ", 4) == 0;
        }
        file.seek(position, File::Begin);
        return magic;
    } catch (...) {
        return false;
    }
}

} // namespace korvane::io
