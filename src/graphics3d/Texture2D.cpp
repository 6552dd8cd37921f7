#include "graphics3d/Texture2D.h"

#include <algorithm>
#include <string>

#include "graphics3d/GL.h"
#include "graphics3d/GLError.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/TextureFormat.h"

namespace korvane::graphics3d {

Texture2D::Texture2D(uint32_t glName) : Texture(glName, GL_TEXTURE_2D, Configure{}) {
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
}

types::String Texture2D::getClassPath() const {
    return types::String::concat(Texture::getClassPath(), ":Texture2D");
}

int32_t Texture2D::getLastLevel() const {
    int32_t last = 0;
    while (last < 30 && (std::max(width, height) >> (last + 1)) > 0)
        ++last;
    const uint32_t maximum = levelCount > 0 ? levelCount - 1 : 0;
    return maximum < uint32_t(last) ? int32_t(maximum) : last;
}

bool Texture2D::upload(graphics::Image& image, int32_t level) {
    const UploadFormat upload = getImageUploadFormat(image);
    if (level < 0 || level > getLastLevel()) {
        const std::string message = "level " + std::to_string(level) + " is not a level of this " +
                                    std::to_string(width) + " x " + std::to_string(height) +
                                    " texture (levels 0 to " + std::to_string(getLastLevel()) + ")";
        throw TextureException(types::String(message.c_str()));
    }
    clearGLErrors();
    GLint saved = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved);
    glBindTexture(GL_TEXTURE_2D, glName);
    GLint levelWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &levelWidth);
    if (levelWidth == 0) {
        // A level the texture has but that holds no storage yet: give it its size, in level 0's format,
        // so that the levels stay consistent.
        GLint internalFormat = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
        glTexImage2D(GL_TEXTURE_2D, level, internalFormat, std::max(width >> level, 1),
                     std::max(height >> level, 1), 0, upload.format, upload.type, nullptr);
    }
    setPixelTransfer(image);
    setPixelStore(image.getWidth());
    const void* pixels = image.lock();
    image.setLocked(true);
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, image.getWidth(), image.getHeight(), upload.format,
                    upload.type, pixels);
    image.unlock();
    image.setLocked(false);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(saved));
    if (level == 0 && generatedLevels) {
        markLevelsDirty();
        updateLevels();
    }
    resetPixelTransfer();
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return !hasGLError();
}

} // namespace korvane::graphics3d
