#include "graphics3d/Shader.h"

#include "graphics3d/Context.h"

namespace korvane::graphics3d {

Shader::~Shader() {
    Context* context = Context::getThreadContext();
    if (context && context->currentShader == this)
        context->currentShader = nullptr;
}

void Shader::unbindIfCurrent() {
    Context* context = Context::getThreadContext();
    if (context && context->currentShader == this) {
        context->currentShader = nullptr;
        unbind();
    }
}

types::String Shader::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Shader");
}

} // namespace korvane::graphics3d
