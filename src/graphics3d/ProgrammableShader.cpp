#include "graphics3d/ProgrammableShader.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "graphics3d/CommandList.h"
#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/GLError.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/VertexFormat.h"

namespace korvane::graphics3d {

namespace {

struct AttributeName {
    const char* name;
    uint32_t bit;
};

constexpr AttributeName attributeNames[] = {
    {"gl_vertex", attribute::Position},
    {"gl_normal", attribute::Normal},
    {"gl_color", attribute::Colour},
    {"gl_secondarycolor", attribute::SecondaryColour},
    {"gl_multitexcoord0", attribute::textureCoordinate(0)},
    {"gl_multitexcoord1", attribute::textureCoordinate(1)},
    {"gl_multitexcoord2", attribute::textureCoordinate(2)},
    {"gl_multitexcoord3", attribute::textureCoordinate(3)},
    {"gl_multitexcoord4", attribute::textureCoordinate(4)},
    {"gl_multitexcoord5", attribute::textureCoordinate(5)},
    {"gl_multitexcoord6", attribute::textureCoordinate(6)},
    {"gl_multitexcoord7", attribute::textureCoordinate(7)},
    {"gl_fogcoord", attribute::FogCoordinate},
};

bool isSampler(GLenum type) {
    switch (type) {
    case GL_SAMPLER_1D:
    case GL_SAMPLER_2D:
    case GL_SAMPLER_3D:
    case GL_SAMPLER_CUBE:
    case GL_SAMPLER_1D_SHADOW:
    case GL_SAMPLER_2D_SHADOW:
        return true;
    default:
        return false;
    }
}

// A name buffer for the longest active name the program reports (which includes the terminator).
std::string nameBuffer(GLuint program, GLenum maximumLengthQuery) {
    GLint length = 0;
    glGetProgramiv(program, maximumLengthQuery, &length);
    return std::string(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
}

} // namespace

ProgrammableShader* ProgrammableShader::create() {
    if (!glCreateProgram)
        throw UnsupportedFeatureException();
    clearGLErrors();
    const GLuint program = glCreateProgram();
    if (hasGLError() || program == 0)
        throw InvalidOperationException();
    return new ProgrammableShader(program);
}

ProgrammableShader::ProgrammableShader(uint32_t program) : program(program), owner(Context::getOwner()) {}

ProgrammableShader::~ProgrammableShader() {
    Context::Scope scope(owner.get());
    if (scope.getState() == Context::Scope::Ready) {
        unbindIfCurrent();
        if (program != 0)
            glDeleteProgram(program);
    } else if (scope.getState() == Context::Scope::Elsewhere) {
        owner->defer([name = GLuint(program), shader = static_cast<Shader*>(this)](Context& context) {
            if (context.currentShader == shader)
                context.currentShader = nullptr;
            GLint inUse = 0;
            glGetIntegerv(GL_CURRENT_PROGRAM, &inUse);
            if (GLuint(inUse) == name)
                glUseProgram(0);
            glDeleteProgram(name);
        });
    }
    // The attached shaders go while the scope is gone; each has its own owner.
}

types::String ProgrammableShader::getClassPath() const {
    return types::String::concat(Shader::getClassPath(), ":ProgrammableShader");
}

uint32_t ProgrammableShader::attributeBit(const char* name) {
    std::string lower(name ? name : "");
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const AttributeName& entry : attributeNames) {
        if (lower == entry.name)
            return entry.bit;
    }
    return 0;
}

bool ProgrammableShader::attach(ShaderProgram* shaderProgram) {
    if (!shaderProgram)
        return false;
    for (const object::Pointer<ShaderProgram>& attached : programs) {
        if (attached.get() == shaderProgram)
            return true;
    }
    clearGLErrors();
    glAttachShader(program, shaderProgram->getHandle());
    if (hasGLError())
        return false;
    programs.append(object::Pointer<ShaderProgram>(shaderProgram));
    return true;
}

void ProgrammableShader::link() {
    clearGLErrors();
    glLinkProgram(program);
    if (hasGLError())
        throw ShaderLinkerException();
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        // A program that does not link cannot be used; say why instead of failing at the first draw.
        char log[1024] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        log[sizeof log - 1] = '\0';
        throw ShaderLinkerException(log[0] ? log : "ShaderLinkerException");
    }

    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);

    uint32_t mask = 0;
    GLint attributes = 0;
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &attributes);
    std::string name = nameBuffer(program, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH);
    for (GLint index = 0; index < attributes; ++index) {
        GLint count = 0;
        GLenum type = 0;
        name.assign(name.size(), '\0');
        glGetActiveAttrib(program, static_cast<GLuint>(index), static_cast<GLsizei>(name.size()), nullptr,
                          &count, &type, name.data());
        mask |= attributeBit(name.c_str());
    }
    arrays = mask;

    glUseProgram(program);
    GLint uniforms = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &uniforms);
    name = nameBuffer(program, GL_ACTIVE_UNIFORM_MAX_LENGTH);
    GLint unit = 0;
    for (GLint index = 0; index < uniforms; ++index) {
        GLint count = 0;
        GLenum type = 0;
        name.assign(name.size(), '\0');
        glGetActiveUniform(program, static_cast<GLuint>(index), static_cast<GLsizei>(name.size()), nullptr,
                           &count, &type, name.data());
        if (!isSampler(type) || count < 1)
            continue;
        // Each element of a sampler array takes a unit of its own; GL names an array by its first
        // element, whose location sets the whole array.
        std::vector<GLint> units(static_cast<size_t>(count));
        for (GLint& element : units)
            element = unit++;
        glUniform1iv(glGetUniformLocation(program, name.c_str()), count, units.data());
    }
    glUseProgram(static_cast<GLuint>(previous));
}

bool ProgrammableShader::isValid() const {
    glValidateProgram(program);
    GLint status = 0;
    glGetProgramiv(program, GL_VALIDATE_STATUS, &status);
    return status == GL_TRUE;
}

void ProgrammableShader::bind() {
    glUseProgram(program);
}

void ProgrammableShader::unbind() {
    glUseProgram(0);
}

void ProgrammableShader::recordBind(CommandList& list) const {
    list.record(glUseProgram, GLuint(program));
}

void ProgrammableShader::recordUnbind(CommandList& list) const {
    list.record(glUseProgram, GLuint(0));
}

} // namespace korvane::graphics3d
