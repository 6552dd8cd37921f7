#pragma once

#include <cstdint>

#include "graphics/Image.h"
#include "graphics/PixelFormat.h"

namespace korvane::graphics3d {

/// How pixels of one format go to OpenGL: internal format, pixel format and component type. A part that is
/// 0 is missing, and a format with a missing part cannot be used for a texture.
struct UploadFormat {
    uint32_t internalFormat = 0;
    uint32_t format = 0;
    uint32_t type = 0;

    bool isComplete() const { return internalFormat != 0 && format != 0 && type != 0; }
};

UploadFormat getUploadFormat(graphics::PixelFormat format);

/// The pixel format that matches a GL internal format, Unknown for one without a match.
graphics::PixelFormat getPixelFormatOf(uint32_t internalFormat);

/// The bytes one pixel takes in client memory when GL reads it with this format and type; 0 for a
/// combination GL does not read.
uint32_t getTransferSize(uint32_t format, uint32_t type);

/// The upload triple of an image's format. Throws TypeException when a part is missing, or when GL would
/// read more bytes per pixel than the image holds (formats that carry no pixel size, such as depth).
UploadFormat getImageUploadFormat(const graphics::Image& image);

/// Pixel transfer for uploading `image`: a P8 image's palette is loaded into the index-to-colour maps and
/// colour mapping is switched on; any other format switches colour mapping off.
void setPixelTransfer(graphics::Image& image);
/// Switches colour mapping off again, so that later transfers (reads included) are not mapped.
void resetPixelTransfer();
/// Tightly packed client rows; rowLength 0 means rows as long as the transfer's width.
void setPixelStore(int32_t rowLength);

} // namespace korvane::graphics3d
