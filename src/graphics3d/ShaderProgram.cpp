#include "graphics3d/ShaderProgram.h"

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/GLError.h"
#include "graphics3d/Graphics3dException.h"

namespace korvane::graphics3d {

ShaderProgram::ShaderProgram(uint32_t handle)
    : handle(handle), owner(handle != 0 ? Context::getOwner() : nullptr) {}

ShaderProgram::~ShaderProgram() {
    if (handle == 0)
        return;
    Context::Scope scope(owner.get());
    if (scope.getState() == Context::Scope::Ready)
        glDeleteShader(handle);
    else if (scope.getState() == Context::Scope::Elsewhere)
        owner->defer([name = GLuint(handle)](Context&) { glDeleteShader(name); });
}

types::String ShaderProgram::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":ShaderProgram");
}

uint32_t ShaderProgram::compile(uint32_t type, const char* source) {
    if (!glCreateShader)
        throw UnsupportedFeatureException();
    if (!source)
        throw InvalidOperationException();
    clearGLErrors();
    const GLuint shader = glCreateShader(type);
    if (hasGLError() || shader == 0)
        throw InvalidOperationException();
    glShaderSource(shader, 1, &source, nullptr);
    if (hasGLError()) {
        glDeleteShader(shader);
        throw InvalidOperationException();
    }
    glCompileShader(shader);
    if (hasGLError()) {
        glDeleteShader(shader);
        throw ShaderCompilerException();
    }
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE)
        return shader;

    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    log[sizeof log - 1] = '\0';
    glDeleteShader(shader);
    throw ShaderCompilerException(log);
}

VertexProgram* VertexProgram::create(const char* source) {
    return new VertexProgram(compile(GL_VERTEX_SHADER, source));
}

types::String VertexProgram::getClassPath() const {
    return types::String::concat(ShaderProgram::getClassPath(), ":VertexProgram");
}

PixelProgram* PixelProgram::create(const char* source) {
    return new PixelProgram(compile(GL_FRAGMENT_SHADER, source));
}

types::String PixelProgram::getClassPath() const {
    return types::String::concat(ShaderProgram::getClassPath(), ":PixelProgram");
}

} // namespace korvane::graphics3d
