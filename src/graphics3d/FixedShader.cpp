#include "graphics3d/FixedShader.h"

#include "graphics3d/CommandList.h"
#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/VertexFormat.h"

namespace korvane::graphics3d {

namespace {

GLint on(uint32_t flags, uint32_t flag) {
    return (flags & flag) ? 1 : 0;
}

// Unit 0 for the cube map, through the matrix stack of the thread's context when there is one, so that its
// record of the active unit stays true.
void selectUnitZero() {
    if (Context* context = Context::getThreadContext())
        context->matrixStack.selectTexture(GL_TEXTURE0);
    else
        glActiveTextureARB(GL_TEXTURE0);
}

GLint colourControl(uint32_t flags) {
    return (flags & FixedShader::SeparateSpecular) ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR;
}

} // namespace

FixedShader::~FixedShader() {
    unbindIfCurrent();
}

types::String FixedShader::getClassPath() const {
    return types::String::concat(Shader::getClassPath(), ":FixedShader");
}

void FixedShader::bind() {
    if (!(flags & Lighting))
        return;
    glEnable(GL_LIGHTING);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, on(flags, LocalViewer));
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, on(flags, TwoSided));
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, colourControl(flags));
}

void FixedShader::unbind() {
    if (flags & Lighting)
        glDisable(GL_LIGHTING);
}

void FixedShader::recordBind(CommandList& list) const {
    if (!(flags & Lighting))
        return;
    list.record(&glEnable, GLenum(GL_LIGHTING));
    list.record(&glLightModeli, GLenum(GL_LIGHT_MODEL_LOCAL_VIEWER), on(flags, LocalViewer));
    list.record(&glLightModeli, GLenum(GL_LIGHT_MODEL_TWO_SIDE), on(flags, TwoSided));
    list.record(&glLightModeli, GLenum(GL_LIGHT_MODEL_COLOR_CONTROL), colourControl(flags));
}

void FixedShader::recordUnbind(CommandList& list) const {
    if (flags & Lighting)
        list.record(&glDisable, GLenum(GL_LIGHTING));
}

PlainShader::PlainShader(uint32_t flags) : FixedShader(flags) {
    arrays = (flags & Lighting) ? attribute::Position | attribute::Normal : attribute::Position;
}

types::String PlainShader::getClassPath() const {
    return types::String::concat(FixedShader::getClassPath(), ":PlainShader");
}

CubeTextureShader::CubeTextureShader(uint32_t flags) : FixedShader(flags) {
    arrays =
        attribute::Position | attribute::TextureCoordinate0 | ((flags & Lighting) ? attribute::Normal : 0);
}

CubeTextureShader::~CubeTextureShader() {
    unbindIfCurrent();
}

types::String CubeTextureShader::getClassPath() const {
    return types::String::concat(FixedShader::getClassPath(), ":CubeTextureShader");
}

void CubeTextureShader::bind() {
    FixedShader::bind();
    selectUnitZero();
    glEnable(GL_TEXTURE_CUBE_MAP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void CubeTextureShader::unbind() {
    selectUnitZero();
    glDisable(GL_TEXTURE_CUBE_MAP);
    FixedShader::unbind();
}

void CubeTextureShader::recordBind(CommandList& list) const {
    FixedShader::recordBind(list);
    list.record(glActiveTextureARB, GLenum(GL_TEXTURE0));
    list.record(&glEnable, GLenum(GL_TEXTURE_CUBE_MAP));
    list.record(&glTexEnvi, GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_MODULATE));
}

void CubeTextureShader::recordUnbind(CommandList& list) const {
    list.record(glActiveTextureARB, GLenum(GL_TEXTURE0));
    list.record(&glDisable, GLenum(GL_TEXTURE_CUBE_MAP));
    FixedShader::recordUnbind(list);
}

} // namespace korvane::graphics3d
