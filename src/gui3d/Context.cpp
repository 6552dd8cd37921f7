#include "gui3d/Context.h"

#include <cmath>

#include "graphics3d/GL.h"
#include "graphics3d/Texture2D.h"

namespace korvane::gui3d {

Context::Context(graphics3d::Context* graphicsContext)
    : graphicsContext(graphicsContext), matrixStack(graphicsContext->matrixStack),
      width(graphicsContext->size.width), height(graphicsContext->size.height) {}

Context::~Context() {
    // The atlas textures belong to the graphics context's GL context: delete them there.
    graphics3d::Context* previous = graphics3d::Context::getThreadContext();
    const bool switched = previous != graphicsContext.get() && graphicsContext->makeCurrent();
    fontCache.clear();
    if (switched && previous)
        previous->makeCurrent();
}

types::String Context::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Context");
}

void Context::begin() {
    graphics3d::Context& context = *graphicsContext;
    graphics3d::Context::releaseShader();
    context.currentMaterial = nullptr;
    context.currentBlendMode = nullptr;
    context.currentStencilMode = nullptr;
    context.currentDepthMode = nullptr;
    context.currentPolygonMode = nullptr;

    mode = ModeNone;
    width = context.size.width;
    height = context.size.height;

    matrixStack.setMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, double(width), double(height), 0.0, -1.0, 1.0);
    matrixStack.setMode(GL_TEXTURE0);
    glPushMatrix();
    glLoadIdentity();
    matrixStack.setMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    // The texture switches below and the text texture are those of unit 0, whichever unit the scene
    // left active.
    glActiveTextureARB(GL_TEXTURE0);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_3D);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDepthMask(GL_FALSE);

    glScissor(0, context.size.height - height, width, height);
    glEnable(GL_SCISSOR_TEST);
    glShadeModel(GL_FLAT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void Context::end() {
    endPrimitive();
    glDisable(GL_SCISSOR_TEST);
    glShadeModel(GL_SMOOTH);
    matrixStack.setMode(GL_MODELVIEW);
    glPopMatrix();
    matrixStack.setMode(GL_TEXTURE0);
    glPopMatrix();
    matrixStack.setMode(GL_PROJECTION);
    glPopMatrix();
}

void Context::endPrimitive() {
    if (mode == ModeNone)
        return;
    glEnd();
    glDisable(GL_TEXTURE_2D);
    if (mode == ModeText)
        glDisable(GL_BLEND);
    mode = ModeNone;
}

void Context::drawText(const gui::Point& position, const types::String& text) {
    if (!fontMap)
        return;
    if (mode != ModeText) {
        endPrimitive();
        mode = ModeText;
        graphics3d::Context& context = *graphicsContext;
        graphics3d::Texture2D* texture = fontMap->getTexture();
        if (context.boundTextures[0] != texture) {
            context.boundTextures[0] = texture;
            context.textureTargets[0] = GL_TEXTURE_2D;
            glActiveTextureARB(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, texture->getGLName());
        }
        glEnable(GL_TEXTURE_2D);
        glColor3f(colour[0], colour[1], colour[2]);
        glEnable(GL_BLEND);
        glBegin(GL_QUADS);
    }

    float pen = position.x;
    const float y = position.y;
    const auto* codes = reinterpret_cast<const unsigned char*>(text.getText());
    for (uint32_t i = 0; i < text.getLength(); ++i) {
        const FontMap::Quad& q = fontMap->getQuad(codes[i]);
        const float x0 = std::floor(pen + q.left);
        glTexCoord2f(q.u0, q.v0);
        glVertex2f(x0, y - q.top);
        glTexCoord2f(q.u1, q.v0);
        glVertex2f(x0 + q.width, y - q.top);
        glTexCoord2f(q.u1, q.v1);
        glVertex2f(x0 + q.width, y + q.descent);
        glTexCoord2f(q.u0, q.v1);
        glVertex2f(x0, y + q.descent);
        pen += q.advance;
    }
}

} // namespace korvane::gui3d
