#include <cstdint>

#include "graphics/FilterResize.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/GLError.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/OpenGL.h"
#include "graphics3d/Texture2D.h"
#include "graphics3d/TextureFormat.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

namespace {

using graphics::Image;
using graphics::PixelFormat;

// Rounds up to a power of two: 5 becomes 8, 4 stays 4, 1 and anything below become 1.
int32_t roundToPowerOfTwo(int32_t value) {
    uint64_t rest = value > 0 ? uint64_t(value) : 0;
    uint64_t result = 1;
    while (rest > 1) {
        rest += rest & 1;
        rest >>= 1;
        result <<= 1;
    }
    if (result > uint64_t(INT32_MAX))
        throw TextureException();
    return int32_t(result);
}

// A texture name being set up for a creator, bound to its target on the active unit. Until it is handed
// to the texture that wraps it, leaving the scope (a failure) deletes the name and binds the texture that
// was bound before again, so that a failed creator changes nothing.
class NewTextureName {
public:
    explicit NewTextureName(GLenum target) : target(target) {
        glGetIntegerv(Texture::bindingQueryOf(target), &saved);
        clearGLErrors();
        glGenTextures(1, &name);
        if (hasGLError())
            fail();
        glBindTexture(target, name);
        if (hasGLError())
            fail();
    }
    ~NewTextureName() {
        if (!handedOver)
            discard();
    }
    NewTextureName(const NewTextureName&) = delete;
    NewTextureName& operator=(const NewTextureName&) = delete;

    template <typename T> T* wrap() {
        T* texture = new T(name);
        handedOver = true;
        return texture;
    }

private:
    // A throwing constructor runs no destructor: clean up here.
    [[noreturn]] void fail() {
        discard();
        throw TextureException();
    }
    void discard() {
        if (name != 0)
            glDeleteTextures(1, &name);
        name = 0;
        glBindTexture(target, static_cast<GLuint>(saved));
    }

    GLenum target;
    GLint saved = 0;
    GLuint name = 0;
    bool handedOver = false;
};

GLenum faceTarget(int face) {
    return GL_TEXTURE_CUBE_MAP_POSITIVE_X + GLenum(face);
}

template <typename T>
T* createEmpty(GLenum target, PixelFormat format, Image::Size size, int32_t mipmapMode) {
    const UploadFormat upload = getUploadFormat(format);
    if (!upload.isComplete())
        throw TypeException();
    const int32_t width = roundToPowerOfTwo(size.first);
    const int32_t height = roundToPowerOfTwo(size.second);
    NewTextureName name(target);
    glTexParameteri(target, GL_GENERATE_MIPMAP, mipmapMode == -2 ? GL_TRUE : GL_FALSE);
    if (target == GL_TEXTURE_CUBE_MAP) {
        for (int face = 0; face < CubeTexture::FaceCount; ++face)
            glTexImage2D(faceTarget(face), 0, GLint(upload.internalFormat), width, height, 0, upload.format,
                         upload.type, nullptr);
    } else {
        glTexImage2D(target, 0, GLint(upload.internalFormat), width, height, 0, upload.format, upload.type,
                     nullptr);
    }
    if (hasGLError())
        throw TextureException();
    return name.wrap<T>();
}

} // namespace

Texture2D* createTexture2D(PixelFormat format, Image::Size size, int32_t mipmapMode) {
    return createEmpty<Texture2D>(GL_TEXTURE_2D, format, size, mipmapMode);
}

CubeTexture* createCubeTexture(PixelFormat format, Image::Size size, int32_t mipmapMode) {
    return createEmpty<CubeTexture>(GL_TEXTURE_CUBE_MAP, format, size, mipmapMode);
}

CubeTexture* createCubeTexture(PixelFormat format, int32_t width, int32_t height, int32_t mipmapMode) {
    return createCubeTexture(format, Image::Size{width, height}, mipmapMode);
}

CubeTexture* createCubeTexture(Image* images, int32_t levels) {
    if (!images)
        throw TextureException();
    const UploadFormat upload = getImageUploadFormat(*images);
    // Every face is read with the first image's format and type, so each must have that layout.
    for (const Image* image = images->getNext(); image; image = image->getNext()) {
        if (image->getFormat() != images->getFormat())
            throw TypeException();
    }

    setPixelStore(0);
    const int32_t width = roundToPowerOfTwo(images->getWidth());
    const int32_t height = roundToPowerOfTwo(images->getHeight());
    NewTextureName name(GL_TEXTURE_CUBE_MAP);

    int32_t allowedLevels = levels;
    if (levels == -2) {
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_GENERATE_MIPMAP, GL_TRUE);
        allowedLevels = 1;
    } else if (levels == -1) {
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_GENERATE_MIPMAP, GL_FALSE);
        allowedLevels = 256;
    }

    // The resize filter makes one image, not a chain: the source's following images are left out.
    object::Pointer<Image> resized;
    Image* chain = images;
    if (images->getWidth() != width || images->getHeight() != height) {
        graphics::FilterResize filter(width, height);
        resized = object::Pointer<Image>::adopt(filter.apply(images));
        if (!resized)
            throw TextureException();
        chain = resized.get();
    }

    Image* image = chain;
    for (int32_t level = 0; image && level < allowedLevels; ++level) {
        const Image* first = image;
        for (int face = 0; face < CubeTexture::FaceCount; ++face) {
            // GL takes faces of different sizes one by one and only the finished cube is incomplete,
            // sampling as white: refuse such a level here.
            if (!image || image->getWidth() != first->getWidth() ||
                image->getHeight() != first->getHeight()) {
                resetPixelTransfer();
                throw TextureException();
            }
            setPixelTransfer(*image);
            const void* pixels = image->lock();
            image->setLocked(true);
            glTexImage2D(faceTarget(face), level, GLint(upload.internalFormat), image->getWidth(),
                         image->getHeight(), 0, upload.format, upload.type, pixels);
            image->unlock();
            image->setLocked(false);
            image = image->getNext();
        }
    }
    resetPixelTransfer();
    if (hasGLError())
        throw TextureException();
    return name.wrap<CubeTexture>();
}

} // namespace korvane::graphics3d
