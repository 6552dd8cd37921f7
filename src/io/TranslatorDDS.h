#pragma once

#include "graphics/PixelFormat.h"
#include "io/Translator.h"

namespace korvane::io {

/// Reads DirectDraw Surface files: plain images with their mipmaps, volumes and cube maps, as one chain of
/// Bitmaps. Mipmap levels come level by level; a volume has its slices inside each level; a cube map has
/// the faces present in the file inside each level, in the order +X, -X, +Y, -Y, +Z, -Z.
///
/// Every header is checked before anything is allocated: a file whose pixel data would be larger than the
/// stream still holds, or whose sizes do not fit, is refused with TranslatorFormatException, and so is a
/// file whose pixel data ends early.
class TranslatorDDS : public Translator {
public:
    static constexpr uint32_t Magic = 0x20534444; // "DDS "
    static constexpr uint32_t HeaderSize = 128;

    graphics::Image* read(InputStream& stream, uint32_t length) override;
    bool write(OutputStream&, graphics::Image*) override { return false; }
    bool canRead(File& file) override;

    /// What the last read found in the header.
    graphics::PixelFormat getFormat() const { return format; }
    uint32_t getWidth() const { return width; }
    uint32_t getHeight() const { return height; }
    uint32_t getDepth() const { return depth; }
    uint32_t getLevelCount() const { return levelCount; }

    types::String getClassPath() const override {
        return types::String::concat(Translator::getClassPath(), ":TranslatorDDS");
    }

private:
    uint32_t word(uint32_t offset) const;
    graphics::PixelFormat selectFormat() const;
    // Bytes of pixel data one image of the given size occupies in the file.
    uint64_t imageBytes(uint32_t w, uint32_t h) const;
    // Throws unless the stream holds the pixel data the header describes.
    void checkAvailable(bool cube, uint32_t faces, bool volume);
    graphics::Image* readImage(uint32_t w, uint32_t h);
    void readExactly(void* buffer, uint64_t count);

    graphics::Image* readPlain();
    graphics::Image* readVolume();
    graphics::Image* readCube(uint32_t faceBits);

    graphics::PixelFormat format = graphics::PixelFormat::Unknown;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 1;
    uint32_t levelCount = 1;
    unsigned char header[HeaderSize] = {};
    InputStream* stream = nullptr;
};

} // namespace korvane::io
