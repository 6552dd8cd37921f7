#include "graphics3d/FrameBuffer.h"

#include "graphics3d/Context.h"
#include "graphics3d/OpenGL.h"

namespace korvane::graphics3d {

FrameBuffer::~FrameBuffer() {
    if (Context* context = Context::getThreadContext()) {
        // A frame buffer that disappears while in force leaves the window's frame buffer in force.
        if (context->currentFrameBuffer == this && this != &context->defaultFrameBuffer)
            Context::bindDefaultFrameBuffer();
    }
    if (glName != 0 && glDeleteFramebuffersEXT) {
        glDeleteFramebuffersEXT(1, &glName);
        glName = 0;
    }
}

types::String FrameBuffer::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":FrameBuffer");
}

bool FrameBuffer::isValid() const {
    if (glName == 0)
        return true;
    if (!glCheckFramebufferStatusEXT)
        return false;
    GLint saved = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &saved);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, glName);
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(saved));
    return status == GL_FRAMEBUFFER_COMPLETE_EXT;
}

void FrameBuffer::bind() {
    if (Context* context = Context::getThreadContext())
        context->switchFrameBuffer(this);
}

} // namespace korvane::graphics3d
