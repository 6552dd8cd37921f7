#include <algorithm>
#include <cstdint>
#include <string>

#include "graphics/FilterResize.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/GL.h"
#include "graphics3d/GLError.h"
#include "graphics3d/Graphics3dException.h"
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
    // GL's own generation would rebuild the levels on every copy into level 0, sampled or not: the
    // texture generates them itself, when they are sampled.
    glTexParameteri(target, GL_GENERATE_MIPMAP, GL_FALSE);
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
    T* texture = name.wrap<T>();
    texture->setGeneratedLevels(mipmapMode == -2);
    return texture;
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

namespace {

// A texture of `faces` images per level (6 for a cube map, 1 for a 2D texture) filled from a chain that
// holds them level by level. Takes over the caller's reference to the chain: every way out releases it.
template <typename T> T* createFromChain(GLenum target, int faces, Image* images, int32_t levels) {
    const object::Pointer<Image> owned = object::Pointer<Image>::adopt(images);
    if (!images)
        throw TextureException("no images to make a texture from");
    const UploadFormat upload = getImageUploadFormat(*images);
    // Every image is read with the first image's format and type, so each must have that layout.
    for (const Image* image = images->getNext(); image; image = image->getNext()) {
        if (image->getFormat() != images->getFormat())
            throw TypeException();
    }

    setPixelStore(0);
    const int32_t width = roundToPowerOfTwo(images->getWidth());
    const int32_t height = roundToPowerOfTwo(images->getHeight());
    NewTextureName name(target);

    int32_t allowedLevels = levels;
    if (levels == -2) {
        // Generated by the texture when something samples them (see the empty creators).
        glTexParameteri(target, GL_GENERATE_MIPMAP, GL_FALSE);
        allowedLevels = 1;
    } else if (levels == -1) {
        glTexParameteri(target, GL_GENERATE_MIPMAP, GL_FALSE);
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
    int32_t level = 0;
    for (; image && level < allowedLevels; ++level) {
        // Each level halves the one above (down to 1): a level of another size leaves the texture
        // incomplete, sampling as white, so refuse it here. GL takes such levels one by one.
        const int32_t levelWidth = std::max(width >> std::min(level, 31), 1);
        const int32_t levelHeight = std::max(height >> std::min(level, 31), 1);
        for (int face = 0; face < faces; ++face) {
            if (!image || image->getWidth() != levelWidth || image->getHeight() != levelHeight) {
                resetPixelTransfer();
                if (!image)
                    throw TextureException();
                const std::string message = "level " + std::to_string(level) + " must be " +
                                            std::to_string(levelWidth) + " x " + std::to_string(levelHeight) +
                                            " pixels, not " + std::to_string(image->getWidth()) + " x " +
                                            std::to_string(image->getHeight());
                throw TextureException(types::String(message.c_str()));
            }
            setPixelTransfer(*image);
            const void* pixels = image->lock();
            image->setLocked(true);
            const GLenum imageTarget = faces == 1 ? target : faceTarget(face);
            glTexImage2D(imageTarget, level, GLint(upload.internalFormat), image->getWidth(),
                         image->getHeight(), 0, upload.format, upload.type, pixels);
            image->unlock();
            image->setLocked(false);
            image = image->getNext();
        }
    }
    resetPixelTransfer();
    // A 2D texture samples only the levels it was given, so a chain that stops short of 1 x 1 still
    // makes a complete texture.
    if (faces == 1 && levels != -2 && level > 0)
        glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, level - 1);
    if (hasGLError())
        throw TextureException();
    T* texture = name.wrap<T>();
    texture->setGeneratedLevels(levels == -2);
    return texture;
}

} // namespace

CubeTexture* createCubeTexture(Image* images, int32_t levels) {
    return createFromChain<CubeTexture>(GL_TEXTURE_CUBE_MAP, CubeTexture::FaceCount, images, levels);
}

Texture2D* createTexture2D(Image* images, int32_t levels) {
    return createFromChain<Texture2D>(GL_TEXTURE_2D, 1, images, levels);
}

} // namespace korvane::graphics3d
