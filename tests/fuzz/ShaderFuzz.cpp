// Compiles and links arbitrary GLSL text on a real GL context. The input up to its first zero byte is the
// vertex shader's source and the rest the fragment shader's (none when the input has no zero byte). A
// source that does not compile or link must be refused with the layer's exceptions; one that links is
// bound, checked and unbound. Besides the sanitizers' checks, no shader or program object may outlive its
// input: every name GL handed out while the input was tried is free again afterwards.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/FuzzContext.h"
#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/ProgrammableShader.h"
#include "graphics3d/ShaderProgram.h"
#include "object/Pointer.h"

namespace {

using namespace korvane;
using object::Pointer;

// The name of a shader object made and deleted at once. Shaders and programs share one set of names, which
// the driver hands out in increasing order: the names between two probes are those made in between.
GLuint probeName() {
    const GLuint name = glCreateShader(GL_VERTEX_SHADER);
    glDeleteShader(name);
    return name;
}

template <typename Program> Pointer<Program> compile(const std::string& source) {
    try {
        return Pointer<Program>::adopt(Program::create(source.c_str()));
    } catch (const graphics3d::ShaderCompilerException&) {
    } catch (const graphics3d::InvalidOperationException&) {
    }
    return Pointer<Program>();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!fuzz::fuzzContext()) {
        std::fprintf(stderr, "fuzz: no rendering context\n");
        std::exit(2);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    const char* zero = static_cast<const char*>(std::memchr(text, 0, size));
    const std::string vertexSource(text, zero ? size_t(zero - text) : size);
    const bool hasFragment = zero != nullptr;
    const std::string fragmentSource =
        hasFragment ? std::string(zero + 1, size_t(text + size - zero - 1)) : "";
    const GLuint first = probeName();
    {
        auto shader =
            Pointer<graphics3d::ProgrammableShader>::adopt(graphics3d::ProgrammableShader::create());
        Pointer<graphics3d::VertexProgram> vertex = compile<graphics3d::VertexProgram>(vertexSource);
        Pointer<graphics3d::PixelProgram> pixel;
        if (hasFragment)
            pixel = compile<graphics3d::PixelProgram>(fragmentSource);
        if (vertex && !shader->attach(vertex.get()))
            std::abort();
        if (pixel && !shader->attach(pixel.get()))
            std::abort();
        if (vertex || pixel) {
            bool linked = true;
            try {
                shader->link();
            } catch (const graphics3d::ShaderLinkerException&) {
                linked = false;
            }
            if (linked) {
                GLint current = -1;
                glGetIntegerv(GL_CURRENT_PROGRAM, &current);
                if (current != 0) // linking keeps the program in use before it
                    std::abort();
                (void)shader->isValid();
                shader->bind();
                shader->unbind();
            }
        }
    }
    const GLuint last = probeName();
    for (GLuint name = first + 1; name < last; ++name) {
        if (glIsShader(name) || glIsProgram(name)) {
            std::fprintf(stderr, "shader or program object %u left behind\n", name);
            std::abort();
        }
    }
    return 0;
}
