#include "demo/OpenGLRequirements.h"

#include <GL/glew.h>

#include <string>

#include "graphics3d/Graphics3dException.h"

namespace korvane::demo {

void requireOpenGL() {
    struct EntryPoint {
        const char* name;
        const void* address;
    };
    const EntryPoint needed[] = {
        {"glActiveTexture", reinterpret_cast<const void*>(glActiveTexture)},
        {"glClientActiveTexture", reinterpret_cast<const void*>(glClientActiveTexture)},
        {"glLoadTransposeMatrixf", reinterpret_cast<const void*>(glLoadTransposeMatrixf)},
        {"glCreateShader", reinterpret_cast<const void*>(glCreateShader)},
        {"glShaderSource", reinterpret_cast<const void*>(glShaderSource)},
        {"glCompileShader", reinterpret_cast<const void*>(glCompileShader)},
        {"glCreateProgram", reinterpret_cast<const void*>(glCreateProgram)},
        {"glAttachShader", reinterpret_cast<const void*>(glAttachShader)},
        {"glLinkProgram", reinterpret_cast<const void*>(glLinkProgram)},
        {"glUseProgram", reinterpret_cast<const void*>(glUseProgram)},
        {"glGetActiveUniform", reinterpret_cast<const void*>(glGetActiveUniform)},
        {"glUniform1i", reinterpret_cast<const void*>(glUniform1i)},
    };
    std::string missing;
    for (const EntryPoint& entry : needed)
        if (!entry.address)
            missing += missing.empty() ? entry.name : std::string(", ") + entry.name;
    if (!missing.empty()) {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        throw graphics3d::UnsupportedFeatureException(types::String(
            ("Korvane needs OpenGL 2.0 (multitexturing, transpose matrices and the OpenGL shading language); "
             "the driver offers OpenGL " +
             std::string(version ? version : "of unknown version") + " without " + missing)
                .c_str()));
    }
}

} // namespace korvane::demo
