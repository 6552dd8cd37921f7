#include "graphics3d/MatrixStack.h"

#include "graphics3d/GL.h"

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
        activeTexture = newMode;
        glMatrixMode(GL_TEXTURE);
    }
}

void MatrixStack::selectTexture(uint32_t unit) {
    // Always made: code outside the layer may have changed the unit without telling the stack.
    glActiveTexture(unit);
    activeTexture = unit;
    if (isTextureMode(mode))
        mode = unit;
}

} // namespace korvane::graphics3d
