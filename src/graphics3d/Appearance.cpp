#include "graphics3d/Appearance.h"

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"

namespace korvane::graphics3d {

namespace {

// Makes `state` the context's current one of its kind and applies it, unless it is unset or already so.
template <typename T> void applyState(T*& current, T* state) {
    if (state && state != current) {
        current = state;
        state->apply();
    }
}

} // namespace

Appearance::Appearance() {
    if (Context* context = Context::getThreadContext()) {
        material.set(&context->defaultMaterial);
        shader.set(&context->defaultShader);
        blendMode.set(&context->defaultBlendMode);
    }
}

types::String Appearance::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Appearance");
}

void Appearance::bind() {
    Context* context = Context::getThreadContext();
    if (!context)
        return;
    if (shader && shader.get() != context->currentShader)
        context->activateShader(shader);
    if (material && material.get() != context->currentMaterial) {
        context->currentMaterial = material;
        material->apply();
    }
    applyState(context->currentBlendMode, blendMode.get());
    applyState(context->currentStencilMode, stencilMode.get());
    applyState(context->currentDepthMode, depthMode.get());
    applyState(context->currentPolygonMode, polygonMode.get());
    for (int unit = 0; unit < TextureUnits; ++unit) {
        Texture* texture = textures[unit];
        if (!texture)
            continue;
        // Levels that level 0 left behind are made before anything samples them.
        if (texture->areLevelsDirty())
            texture->updateLevels();
        if (texture == context->boundTextures[unit])
            continue;
        context->boundTextures[unit] = texture;
        context->textureTargets[unit] = texture->getTarget();
        // Through the matrix stack, whose texture-matrix mode depends on the active unit.
        context->matrixStack.selectTexture(GL_TEXTURE0 + unit);
        glBindTexture(texture->getTarget(), texture->getGLName());
    }
}

} // namespace korvane::graphics3d
