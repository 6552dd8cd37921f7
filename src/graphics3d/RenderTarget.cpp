#include "graphics3d/RenderTarget.h"

#include "graphics3d/Context.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/FrameBuffer.h"
#include "graphics3d/GL.h"
#include "graphics3d/GLError.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/Texture1D.h"
#include "graphics3d/Texture2D.h"
#include "graphics3d/Texture3D.h"

namespace korvane::graphics3d {

RenderTarget::RenderTarget(uint32_t renderBuffer)
    : renderBuffer(renderBuffer), owner(renderBuffer != 0 ? Context::getOwner() : nullptr) {
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, renderBuffer);
    GLint value = 0;
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_WIDTH_EXT, &width);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_HEIGHT_EXT, &height);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_INTERNAL_FORMAT_EXT, &value);
    internalFormat = static_cast<uint32_t>(value);
}

RenderTarget::RenderTarget(Texture* texture, uint32_t face)
    : internalFormat(internalFormatOf(texture->getFormat())), texture(texture),
      textureName(texture->getGLName()) {
    if (dynamic_cast<Texture1D*>(texture)) {
        width = 0;
        height = 0;
    } else if (dynamic_cast<Texture3D*>(texture) || dynamic_cast<CubeTexture*>(texture)) {
        width = texture->getWidth();
        height = texture->getHeight();
        this->face = face;
    } else {
        width = texture->getWidth();
        height = texture->getHeight();
    }
}

RenderTarget::~RenderTarget() {
    if (renderBuffer != 0 && glDeleteRenderbuffersEXT) {
        Context::Scope scope(owner.get());
        if (scope.getState() == Context::Scope::Ready)
            glDeleteRenderbuffersEXT(1, &renderBuffer);
        else if (scope.getState() == Context::Scope::Elsewhere)
            owner->defer([name = GLuint(renderBuffer)](Context&) { glDeleteRenderbuffersEXT(1, &name); });
    }
    renderBuffer = 0;
    texture = nullptr;
}

types::String RenderTarget::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":RenderTarget");
}

uint32_t RenderTarget::internalFormatOf(graphics::PixelFormat format) {
    switch (format) {
    case graphics::PixelFormat::RGB16:
        return GL_RGB16;
    case graphics::PixelFormat::RGB8:
        return GL_RGB8;
    case graphics::PixelFormat::RGBA8:
        return GL_RGBA8;
    case graphics::PixelFormat::RGBA16:
        return GL_RGBA16;
    case graphics::PixelFormat::Depth16:
        return GL_DEPTH_COMPONENT16;
    case graphics::PixelFormat::Depth24:
        return GL_DEPTH_COMPONENT24;
    default:
        return 0;
    }
}

void RenderTarget::attachTo(const FrameBuffer& frameBuffer, uint32_t attachment) const {
    if (!glBindFramebufferEXT)
        throw UnsupportedFeatureException();
    attachName(frameBuffer, attachment, renderBuffer != 0 ? renderBuffer : textureName);
}

void RenderTarget::detachFrom(const FrameBuffer& frameBuffer, uint32_t attachment) const {
    if (!glBindFramebufferEXT)
        return;
    attachName(frameBuffer, attachment, 0);
}

void RenderTarget::attachName(const FrameBuffer& frameBuffer, uint32_t attachment, uint32_t name) const {
    GLint saved = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &saved);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, frameBuffer.getGLName());
    Texture* kind = texture.get();
    if (!kind) {
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, attachment, GL_RENDERBUFFER_EXT, name);
    } else if (dynamic_cast<Texture1D*>(kind)) {
        glFramebufferTexture1DEXT(GL_FRAMEBUFFER_EXT, attachment, GL_TEXTURE_1D, name, 0);
    } else if (dynamic_cast<Texture3D*>(kind)) {
        glFramebufferTexture3DEXT(GL_FRAMEBUFFER_EXT, attachment, GL_TEXTURE_3D, name, 0,
                                  name != 0 ? GLint(face) : 0);
    } else if (dynamic_cast<CubeTexture*>(kind)) {
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, face, name, 0);
    } else {
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, GL_TEXTURE_2D, name, 0);
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(saved));
}

RenderTarget* createRenderTarget(uint32_t internalFormat, int32_t width, int32_t height) {
    if (!glGenRenderbuffersEXT)
        throw UnsupportedFeatureException();
    clearGLErrors();
    GLuint renderBuffer = 0;
    glGenRenderbuffersEXT(1, &renderBuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, renderBuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, internalFormat, width, height);
    // A render buffer without storage would only show up later as an incomplete frame buffer.
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        glDeleteRenderbuffersEXT(1, &renderBuffer);
        if (error == GL_INVALID_ENUM)
            throw UnsupportedFormatException();
        throw MemoryException();
    }
    return new RenderTarget(renderBuffer);
}

RenderTarget* createRenderTarget(Texture* texture, uint32_t face) {
    if (!glGenRenderbuffersEXT)
        throw UnsupportedFeatureException();
    if (!texture)
        throw InvalidOperationException();
    if (RenderTarget::internalFormatOf(texture->getFormat()) == 0)
        throw UnsupportedFormatException();
    return new RenderTarget(texture, face);
}

} // namespace korvane::graphics3d
