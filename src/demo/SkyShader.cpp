#include "demo/SkyShader.h"

#include "graphics3d/CommandList.h"
#include "graphics3d/GL.h"

namespace korvane::demo {

SkyShader::~SkyShader() {
    unbindIfCurrent();
}

void SkyShader::bind() {
    CubeTextureShader::bind();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}

void SkyShader::unbind() {
    // Unit 0 is active after the base unbind; leave its environment as the other shaders expect it.
    CubeTextureShader::unbind();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void SkyShader::recordBind(graphics3d::CommandList& list) const {
    CubeTextureShader::recordBind(list);
    list.record(&glTexEnvi, GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
}

void SkyShader::recordUnbind(graphics3d::CommandList& list) const {
    CubeTextureShader::recordUnbind(list);
    list.record(&glTexEnvi, GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_MODULATE));
}

types::String SkyShader::getClassPath() const {
    return types::String::concat(CubeTextureShader::getClassPath(), ":SkyShader");
}

} // namespace korvane::demo
