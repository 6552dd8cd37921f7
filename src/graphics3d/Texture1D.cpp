#include "graphics3d/Texture1D.h"

#include "graphics3d/GL.h"

namespace korvane::graphics3d {

Texture1D::Texture1D(uint32_t glName) : Texture(glName, GL_TEXTURE_1D, Configure{}) {
    glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_WIDTH, &width);
}

types::String Texture1D::getClassPath() const {
    return types::String::concat(Texture::getClassPath(), ":Texture1D");
}

} // namespace korvane::graphics3d
