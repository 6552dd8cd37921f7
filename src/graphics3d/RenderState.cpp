#include "graphics3d/RenderState.h"

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"

namespace korvane::graphics3d {

namespace {

// Clears the thread's current-context record of kind `field` when it names `state`. No GL call: the
// state set by the object stays in force until another instance is applied.
template <typename T> void forget(T* Context::*field, const T* state) {
    Context* context = Context::getThreadContext();
    if (context && context->*field == state)
        context->*field = nullptr;
}

} // namespace

BlendMode::~BlendMode() {
    forget(&Context::currentBlendMode, this);
}

types::String BlendMode::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":BlendMode");
}

void BlendMode::apply() const {
    if (sourceFactor == GL_ONE && destinationFactor == GL_ZERO) {
        glDisable(GL_BLEND);
    } else {
        glEnable(GL_BLEND);
        glBlendFunc(sourceFactor, destinationFactor);
        if (glBlendEquationEXT)
            glBlendEquationEXT(equation);
        // The constant colour matters only to the constant-colour and constant-alpha factors.
        if (glBlendColorEXT && (sourceFactor >= GL_CONSTANT_COLOR || destinationFactor >= GL_CONSTANT_COLOR))
            glBlendColorEXT(colour[0], colour[1], colour[2], colour[3]);
    }
    if (alphaFunction == -1) {
        glDisable(GL_ALPHA_TEST);
    } else {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(static_cast<GLenum>(alphaFunction), alphaReference);
    }
}

DepthMode::~DepthMode() {
    forget(&Context::currentDepthMode, this);
}

types::String DepthMode::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":DepthMode");
}

void DepthMode::apply() const {
    if (function == -1) {
        glDisable(GL_DEPTH_TEST);
    } else {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(static_cast<GLenum>(function));
    }
    glDepthMask(writeMask ? GL_TRUE : GL_FALSE);
    glDepthRange(static_cast<double>(near), static_cast<double>(far));
}

StencilMode::~StencilMode() {
    forget(&Context::currentStencilMode, this);
}

types::String StencilMode::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":StencilMode");
}

void StencilMode::apply() const {
    if (function == -1) {
        glDisable(GL_STENCIL_TEST);
    } else {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(static_cast<GLenum>(function), reference, mask);
    }
    glStencilMask(writeMask);
    glStencilOp(failOperation, depthFailOperation, passOperation);
}

PolygonMode::~PolygonMode() {
    forget(&Context::currentPolygonMode, this);
}

types::String PolygonMode::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":PolygonMode");
}

void PolygonMode::apply() const {
    if (frontMode == backMode) {
        glPolygonMode(GL_FRONT_AND_BACK, frontMode);
    } else {
        glPolygonMode(GL_FRONT, frontMode);
        glPolygonMode(GL_BACK, backMode);
    }
    glPolygonOffset(offsetFactor, offsetUnits);
    switch (cullMode) {
    case CullFront:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        break;
    case CullBack:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        break;
    default:
        glDisable(GL_CULL_FACE);
        break;
    }
}

} // namespace korvane::graphics3d
