#include "graphics3d/Texture2D.h"

#include "graphics3d/GLError.h"
#include "graphics3d/OpenGL.h"
#include "graphics3d/TextureFormat.h"

namespace korvane::graphics3d {

Texture2D::Texture2D(uint32_t glName) : Texture(glName, GL_TEXTURE_2D, Configure{}) {
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
}

types::String Texture2D::getClassPath() const {
    return types::String::concat(Texture::getClassPath(), ":Texture2D");
}

bool Texture2D::upload(graphics::Image& image, int32_t level) {
    const UploadFormat upload = getImageUploadFormat(image);
    clearGLErrors();
    setPixelTransfer(image);
    setPixelStore(image.getWidth());
    GLint saved = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved);
    glBindTexture(GL_TEXTURE_2D, glName);
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
