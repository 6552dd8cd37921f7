#include "graphics/Image.h"

#include <new>

namespace korvane::graphics {

Image::Image(PixelFormat format, int32_t width, int32_t height)
    : width(width > 0 ? width : 0), height(height > 0 ? height : 0), pitch(0), format(format) {
    int64_t rowBytes = int64_t(this->width) * getBytesPerPixel(format);
    if (rowBytes > INT32_MAX)
        throw std::bad_alloc();
    pitch = int32_t(rowBytes);
}

Image::~Image() {
    // Each image we hold the last reference to is taken apart here, one link at a time; an image someone
    // else still holds keeps the rest of the chain.
    Image* image = next;
    next = nullptr;
    while (image) {
        if (image->getReferenceCount() != 1) {
            image->release();
            break;
        }
        Image* following = image->next;
        image->next = nullptr;
        image->release();
        image = following;
    }
}

void Image::setNext(Image* image) {
    if (image)
        image->addReference();
    Image* old = next;
    next = image;
    if (old)
        old->release();
}

Image* Image::detachNext() {
    Image* detached = next;
    next = nullptr;
    return detached;
}

} // namespace korvane::graphics
