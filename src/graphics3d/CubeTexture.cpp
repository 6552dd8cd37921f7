#include "graphics3d/CubeTexture.h"

#include "graphics3d/GL.h"

namespace korvane::graphics3d {

CubeTexture::CubeTexture(uint32_t glName) : Texture(glName, GL_TEXTURE_CUBE_MAP, Configure{}) {
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_TEXTURE_HEIGHT, &height);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    setWrap(GL_CLAMP_TO_EDGE);
}

types::String CubeTexture::getClassPath() const {
    return types::String::concat(Texture::getClassPath(), ":CubeTexture");
}

} // namespace korvane::graphics3d
