#include "graphics3d/Texture.h"

#include "graphics3d/Context.h"
#include "graphics3d/OpenGL.h"

namespace korvane::graphics3d {

Texture::Texture(uint32_t glName, uint32_t target)
    : glName(glName), target(target), bindingQuery(bindingQueryOf(target)) {}

Texture::~Texture() {
    if (glName != 0)
        glDeleteTextures(1, &glName);
    if (Context* context = Context::getThreadContext()) {
        for (Texture*& bound : context->boundTextures) {
            if (bound == this)
                bound = nullptr;
        }
    }
}

types::String Texture::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Texture");
}

uint32_t Texture::bindingQueryOf(uint32_t target) {
    switch (target) {
    case GL_TEXTURE_1D:
        return GL_TEXTURE_BINDING_1D;
    case GL_TEXTURE_2D:
        return GL_TEXTURE_BINDING_2D;
    case GL_TEXTURE_3D:
        return GL_TEXTURE_BINDING_3D;
    case GL_TEXTURE_CUBE_MAP:
        return GL_TEXTURE_BINDING_CUBE_MAP;
    default:
        return 0;
    }
}

} // namespace korvane::graphics3d
