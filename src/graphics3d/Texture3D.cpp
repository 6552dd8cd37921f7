#include "graphics3d/Texture3D.h"

#include "graphics3d/GL.h"

namespace korvane::graphics3d {

Texture3D::Texture3D(uint32_t glName) : Texture(glName, GL_TEXTURE_3D, Configure{}) {
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH, &depth);
}

types::String Texture3D::getClassPath() const {
    return types::String::concat(Texture::getClassPath(), ":Texture3D");
}

} // namespace korvane::graphics3d
