#include "graphics3d/FrameBuffer.h"

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/GLError.h"
#include "graphics3d/Graphics3dException.h"

namespace korvane::graphics3d {

FrameBuffer::FrameBuffer(uint32_t glName) : glName(glName) {
    // The window's frame buffer is embedded in its context and must not hold a reference to it.
    if (glName != 0)
        owner = Context::getOwner();
}

FrameBuffer::~FrameBuffer() {
    Context::Scope scope(owner.get());
    if (scope.getState() == Context::Scope::Ready) {
        if (Context* context = Context::getThreadContext()) {
            // A frame buffer that disappears while in force leaves the window's frame buffer in force.
            if (context->currentFrameBuffer == this && this != &context->defaultFrameBuffer)
                Context::bindDefaultFrameBuffer();
        }
        for (const Binding& binding : bindings)
            binding.target->detachFrom(*this, binding.attachment);
        if (glName != 0 && glDeleteFramebuffersEXT)
            glDeleteFramebuffersEXT(1, &glName);
    } else if (scope.getState() == Context::Scope::Elsewhere && glDeleteFramebuffersEXT) {
        // Deleting the frame buffer detaches its targets.
        owner->defer([name = GLuint(glName), frameBuffer = this](Context& context) {
            if (context.currentFrameBuffer == frameBuffer) {
                // Its viewport is not saved: the frame buffer is gone.
                context.currentFrameBuffer = nullptr;
                context.switchFrameBuffer(&context.defaultFrameBuffer);
            }
            glDeleteFramebuffersEXT(1, &name);
        });
    }
    glName = 0;
    bindings.clear();
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

void FrameBuffer::attach(RenderTarget* target, uint32_t attachment) {
    if (!target)
        throw InvalidOperationException();
    object::Pointer<RenderTarget> held(target);
    for (uint32_t i = 0; i < bindings.getCount(); ++i) {
        // GL replaces the old target when the new one is attached; only the record goes here.
        if (bindings[i].attachment == attachment) {
            bindings.remove(i);
            break;
        }
    }
    bindings.append(Binding{held, attachment});
    clearGLErrors();
    target->attachTo(*this, attachment);
    width = target->getWidth();
    height = target->getHeight();
    viewport[0] = 0;
    viewport[1] = 0;
    viewport[2] = width;
    viewport[3] = height;
    if (hasGLError())
        throw FrameBufferException();
}

FrameBuffer* createFrameBuffer() {
    if (!glGenFramebuffersEXT)
        throw UnsupportedFeatureException();
    clearGLErrors();
    GLuint name = 0;
    glGenFramebuffersEXT(1, &name);
    if (hasGLError()) {
        if (name != 0 && glDeleteFramebuffersEXT)
            glDeleteFramebuffersEXT(1, &name);
        throw MemoryException();
    }
    return new FrameBuffer(name);
}

} // namespace korvane::graphics3d
