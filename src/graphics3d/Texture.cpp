#include "graphics3d/Texture.h"

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/TextureFormat.h"

namespace korvane::graphics3d {

Texture::Texture(uint32_t glName, uint32_t target)
    : glName(glName), target(target), bindingQuery(bindingQueryOf(target)),
      owner(glName != 0 ? Context::getOwner() : nullptr) {}

Texture::Texture(uint32_t glName, uint32_t target, Configure) : Texture(glName, target) {
    glBindTexture(target, glName);
    const GLenum levelTarget = target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X : target;
    GLint internalFormat = 0;
    glGetTexLevelParameteriv(levelTarget, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
    format = getPixelFormatOf(static_cast<uint32_t>(internalFormat));
    GLint maxLevel = 0;
    glGetTexParameteriv(target, GL_TEXTURE_MAX_LEVEL, &maxLevel);
    levelCount = static_cast<uint32_t>(maxLevel) + 1;
    GLint automatic = GL_FALSE;
    glGetTexParameteriv(target, GL_GENERATE_MIPMAP, &automatic);
    automaticLevels = automatic == GL_TRUE;
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    setWrap(GL_REPEAT);
    glTexParameterf(target, GL_TEXTURE_MIN_LOD, minLod);
    glTexParameterf(target, GL_TEXTURE_MAX_LOD, maxLod);

    // The texture stays bound on the active unit: the context's record of that unit must say so.
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    const int unit = activeUnit - GL_TEXTURE0;
    if (Context* context = Context::getThreadContext()) {
        if (unit >= 0 && unit < Context::TextureUnits) {
            context->boundTextures[unit] = this;
            context->textureTargets[unit] = target;
        }
    }
}

Texture::~Texture() {
    Context::Scope scope(owner.get());
    switch (scope.getState()) {
    case Context::Scope::Ready:
        if (glName != 0)
            glDeleteTextures(1, &glName);
        if (Context* context = Context::getThreadContext())
            context->forgetTexture(this);
        break;
    case Context::Scope::Elsewhere:
        owner->defer([name = GLuint(glName), texture = this](Context& context) {
            context.forgetTexture(texture);
            glDeleteTextures(1, &name);
        });
        break;
    case Context::Scope::Closed:
        break;
    }
}

types::String Texture::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Texture");
}

void Texture::setWrap(uint32_t mode) {
    wrapS = wrapT = wrapR = mode;
    glTexParameteri(target, GL_TEXTURE_WRAP_S, static_cast<GLint>(mode));
    glTexParameteri(target, GL_TEXTURE_WRAP_T, static_cast<GLint>(mode));
    glTexParameteri(target, GL_TEXTURE_WRAP_R, static_cast<GLint>(mode));
}

void Texture::setFilter(uint32_t newMinFilter, uint32_t newMagFilter) {
    minFilter = newMinFilter;
    magFilter = newMagFilter;
    GLint saved = 0;
    glGetIntegerv(bindingQuery, &saved);
    glBindTexture(target, glName);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
    glBindTexture(target, static_cast<GLuint>(saved));
    // A filter that samples the levels finds them made.
    updateLevels();
}

void Texture::setGeneratedLevels(bool generated) {
    generatedLevels = generated;
    if (generated) {
        levelsDirty = true;
        updateLevels();
    }
}

bool Texture::hasLevelsInUse() const {
    switch (minFilter) {
    case GL_NEAREST_MIPMAP_NEAREST:
    case GL_LINEAR_MIPMAP_NEAREST:
    case GL_NEAREST_MIPMAP_LINEAR:
    case GL_LINEAR_MIPMAP_LINEAR:
        return true;
    default:
        return false;
    }
}

void Texture::updateLevels() {
    if (!levelsDirty || !hasLevelsInUse())
        return;
    // The frame-buffer extension's generator where it exists (render targets need it anyway), else the
    // core one; without either the levels stay out of date.
    const auto generate = glGenerateMipmapEXT ? glGenerateMipmapEXT : glGenerateMipmap;
    if (!generate)
        return;
    GLint saved = 0;
    glGetIntegerv(bindingQuery, &saved);
    glBindTexture(target, glName);
    generate(target);
    glBindTexture(target, static_cast<GLuint>(saved));
    levelsDirty = false;
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
