#pragma once

#include "graphics3d/Material.h"
#include "graphics3d/RenderState.h"
#include "graphics3d/Shader.h"
#include "graphics3d/Texture.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

// Everything that decides how a mesh looks: a shader, a material, the four render states and a texture
// per unit, each held by a counted reference (assign a new object to replace one). bind() applies only
// the parts that differ from what the thread's rendering context has in force, so consecutive meshes that
// share parts cost no GL calls for them. A null part leaves the one in force as it is.
class Appearance : public Resource {
public:
    static constexpr int TextureUnits = 8;

    // Starts with the default material, shader and blend mode of the thread's current rendering context
    // (none when the thread has no context).
    Appearance();

    types::String getClassPath() const override;

    // Applies, in this order and each only when set and not already in force: shader, material, blend,
    // stencil, depth and polygon modes, then the textures of units 0 to 7.
    void bind();

    object::Pointer<Material> material;
    object::Pointer<Shader> shader;
    object::Pointer<BlendMode> blendMode;
    object::Pointer<StencilMode> stencilMode;
    object::Pointer<DepthMode> depthMode;
    object::Pointer<PolygonMode> polygonMode;
    object::Pointer<Texture> textures[TextureUnits];
};

} // namespace korvane::graphics3d
