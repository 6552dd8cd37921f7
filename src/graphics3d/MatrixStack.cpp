#include "graphics3d/MatrixStack.h"

#include "graphics3d/OpenGL.h"

namespace korvane::graphics3d {

types::String MatrixStack::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":MatrixStack");
}

void MatrixStack::select(uint32_t newMode) {
    mode = newMode;
    if (newMode == GL_MODELVIEW || newMode == GL_PROJECTION) {
        glMatrixMode(newMode);
    } else {
        glActiveTexture(newMode);
        glMatrixMode(GL_TEXTURE);
    }
}

} // namespace korvane::graphics3d
