#include "graphics3d/TextureFormat.h"

#include "graphics/Palette.h"
#include "graphics3d/GL.h"
#include "graphics3d/Graphics3dException.h"

namespace korvane::graphics3d {

using graphics::PixelFormat;

UploadFormat getUploadFormat(PixelFormat format) {
    switch (format) {
    case PixelFormat::RGBA8:
        return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE};
    // Alpha in the top bit, then red, green and blue: GL's reversed 1-5-5-5 layout read as BGRA.
    case PixelFormat::RGB5A1:
        return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    // Stored with eight bits a channel: a five-bit store would drop green's lowest bit.
    case PixelFormat::R5G6B5:
        return {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case PixelFormat::RGB8:
        return {GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE};
    case PixelFormat::P8:
        return {GL_RGB8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE};
    case PixelFormat::BGR8:
        return {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE};
    case PixelFormat::BGRA8:
        return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE};
    case PixelFormat::RGB16:
        return {GL_RGB16, GL_RGB, GL_UNSIGNED_SHORT};
    case PixelFormat::RGBA16:
        return {GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT};
    case PixelFormat::BGR16:
        return {GL_RGB16, GL_BGR, GL_UNSIGNED_SHORT};
    case PixelFormat::BGRA16:
        return {GL_RGBA16, GL_BGRA, GL_UNSIGNED_SHORT};
    case PixelFormat::A8:
        return {GL_ALPHA8, GL_ALPHA, GL_UNSIGNED_BYTE};
    case PixelFormat::A16:
        return {GL_ALPHA16, GL_ALPHA, GL_UNSIGNED_SHORT};
    case PixelFormat::DU8DV8:
        return {GL_DU8DV8_ATI, GL_DUDV_ATI, GL_BYTE};
    // The images hold half floats: read as GL_FLOAT, GL would take twice the bytes the image has.
    case PixelFormat::RGBA16F:
        return {GL_RGBA16F_ARB, GL_RGBA, GL_HALF_FLOAT_ARB};
    case PixelFormat::RGB16F:
        return {GL_RGB16F_ARB, GL_RGB, GL_HALF_FLOAT_ARB};
    case PixelFormat::A16F:
        return {GL_ALPHA16F_ARB, GL_ALPHA, 0};
    case PixelFormat::RGBA32F:
        return {GL_RGBA32F_ARB, GL_RGBA, GL_FLOAT};
    case PixelFormat::RGB32F:
        return {GL_RGB32F_ARB, GL_RGB, GL_FLOAT};
    case PixelFormat::A32F:
        return {GL_ALPHA32F_ARB, GL_ALPHA, 0};
    case PixelFormat::Depth16:
        return {GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_FLOAT};
    case PixelFormat::Depth24:
        return {GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_FLOAT};
    default:
        return {};
    }
}

PixelFormat getPixelFormatOf(uint32_t internalFormat) {
    switch (internalFormat) {
    case 1:
        return PixelFormat::P8;
    case GL_ALPHA8:
        return PixelFormat::A8;
    case GL_ALPHA16:
        return PixelFormat::A16;
    case GL_RGB8:
        return PixelFormat::RGB8;
    case GL_RGB16:
        return PixelFormat::RGB16;
    case GL_RGBA8:
        return PixelFormat::RGBA8;
    case GL_RGBA16:
        return PixelFormat::RGBA16;
    case GL_RGBA32F_ARB:
        return PixelFormat::RGBA32F;
    case GL_RGB32F_ARB:
        return PixelFormat::RGB32F;
    case GL_ALPHA32F_ARB:
        return PixelFormat::A32F;
    case GL_RGBA16F_ARB:
        return PixelFormat::RGBA16F;
    case GL_RGB16F_ARB:
        return PixelFormat::RGB16F;
    case GL_ALPHA16F_ARB:
        return PixelFormat::A16F;
    // Depth textures can be render targets, which asks for their pixel format.
    case GL_DEPTH_COMPONENT16:
        return PixelFormat::Depth16;
    case GL_DEPTH_COMPONENT24:
        return PixelFormat::Depth24;
    default:
        return PixelFormat::Unknown;
    }
}

uint32_t getTransferSize(uint32_t format, uint32_t type) {
    switch (type) {
    // Packed types describe the whole pixel, and only go with formats of their component count.
    case GL_UNSIGNED_SHORT_1_5_5_5_REV:
        return format == GL_BGRA || format == GL_RGBA ? 2 : 0;
    case GL_UNSIGNED_SHORT_5_6_5:
        return format == GL_RGB || format == GL_BGR ? 2 : 0;
    default:
        break;
    }
    uint32_t components = 0;
    switch (format) {
    case GL_ALPHA:
    case GL_COLOR_INDEX:
    case GL_DEPTH_COMPONENT:
        components = 1;
        break;
    case GL_DUDV_ATI:
        components = 2;
        break;
    case GL_RGB:
    case GL_BGR:
        components = 3;
        break;
    case GL_RGBA:
    case GL_BGRA:
        components = 4;
        break;
    default:
        return 0;
    }
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE:
        return components;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_HALF_FLOAT_ARB:
        return components * 2;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT:
        return components * 4;
    default:
        return 0;
    }
}

UploadFormat getImageUploadFormat(const graphics::Image& image) {
    const UploadFormat upload = getUploadFormat(image.getFormat());
    if (!upload.isComplete())
        throw TypeException();
    // GL reads width times height pixels of this size from the image's memory.
    if (getTransferSize(upload.format, upload.type) != graphics::getBytesPerPixel(image.getFormat()))
        throw TypeException();
    return upload;
}

void setPixelTransfer(graphics::Image& image) {
    if (image.getFormat() == PixelFormat::P8) {
        graphics::Palette<unsigned char> palette;
        image.getPalette(palette);
        GLfloat maps[3][graphics::Palette<unsigned char>::Size];
        for (int index = 0; index < graphics::Palette<unsigned char>::Size; ++index) {
            for (int channel = 0; channel < 3; ++channel)
                maps[channel][index] = palette[index][channel] / 255.0f;
        }
        glPixelMapfv(GL_PIXEL_MAP_I_TO_R, graphics::Palette<unsigned char>::Size, maps[0]);
        glPixelMapfv(GL_PIXEL_MAP_I_TO_G, graphics::Palette<unsigned char>::Size, maps[1]);
        glPixelMapfv(GL_PIXEL_MAP_I_TO_B, graphics::Palette<unsigned char>::Size, maps[2]);
        glPixelTransferi(GL_MAP_COLOR, 1);
        glPixelTransferi(GL_MAP_STENCIL, 0);
        glPixelTransferi(GL_INDEX_SHIFT, 0);
        glPixelTransferi(GL_INDEX_OFFSET, 0);
    } else {
        glPixelTransferi(GL_MAP_COLOR, 0);
        glPixelTransferi(GL_MAP_STENCIL, 0);
    }
}

void resetPixelTransfer() {
    glPixelTransferi(GL_MAP_COLOR, 0);
}

void setPixelStore(int32_t rowLength) {
    glPixelStorei(GL_UNPACK_SWAP_BYTES, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

} // namespace korvane::graphics3d
