#pragma once

#include <cstdint>

#include "container/Pair.h"
#include "graphics/Palette.h"
#include "graphics/PixelFormat.h"
#include "object/Object.h"
#include "types/String.h"

namespace korvane::graphics {

/// An in-memory raster: size, pixel format and row pitch, and a counted link to the next image, so that
/// mipmap levels, volume slices and cube faces travel as one chain owned by its first image.
/// Not locked: an image is used by one thread at a time. Each image holds a reference to the next, so
/// releasing the first image of a chain releases the rest.
class Image : public object::Object {
public:
    using Size = container::Pair<int32_t, int32_t>;

    /// Negative sizes count as 0. The pitch is the width times the format's bytes per pixel (0 for formats
    /// without a size); a row that does not fit in 32 bits throws std::bad_alloc.
    Image(PixelFormat format, int32_t width, int32_t height);
    Image(PixelFormat format, Size size) : Image(format, size.first, size.second) {}
    /// Releases the rest of the chain without recursing, so that long chains cannot exhaust the stack.
    ~Image() override;

    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    /// The pixels, rows top to bottom; callers that hold the pointer mark the image with setLocked.
    virtual void* lock() = 0;
    virtual void unlock() = 0;
    /// Copy the 256 palette entries out or in; false for an image without a palette.
    virtual bool getPalette(Palette<unsigned char>& out) const = 0;
    virtual bool setPalette(const Palette<unsigned char>& in) = 0;

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    Size getSize() const { return {width, height}; }
    int32_t getPitch() const { return pitch; }
    PixelFormat getFormat() const { return format; }
    bool isLocked() const { return locked != 0; }
    void setLocked(bool value) { locked = value ? 1 : 0; }

    const types::String& getText() const { return text; }
    void setText(const types::String& value) { text = value; }

    /// The next image of the chain, or null. setNext adds a reference to the new image and releases the
    /// old one; detachNext hands the chain's reference to the caller.
    Image* getNext() const { return next; }
    void setNext(Image* image);
    Image* detachNext();

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Image");
    }

private:
    types::String text;
    Image* next = nullptr;
    int32_t width;
    int32_t height;
    int32_t pitch;
    PixelFormat format;
    int32_t locked = 0;
};

} // namespace korvane::graphics
