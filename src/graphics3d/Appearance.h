#pragma once

#include "graphics3d/Material.h"
#include "graphics3d/RenderState.h"
#include "graphics3d/Shader.h"
#include "graphics3d/Texture.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

/// Everything that decides how a mesh looks: a shader, a material, the four render states and a texture
/// per unit. bind() applies only the parts that differ from what the thread's rendering context has in
/// force, so consecutive meshes that share parts cost no GL calls for them; a null part leaves the one in
/// force as it is. Build, change and bind it on the thread of the GL context it draws in.
///
/// Each part is an Appearance::Entry: it holds its own counted reference, taken by set() and given back
/// by set(), reset() or the appearance's destruction. Callers never add or release references for it.
class Appearance : public Resource {
public:
    static constexpr int TextureUnits = 8;

    /// A counted reference to one part. It is read like a pointer but changed only through set() and
    /// reset(): assigning to it does not compile, so code that counts the references itself (add one to
    /// the new part, release the old one, store the pointer) cannot release a part twice.
    template <typename T> class Entry {
    public:
        Entry() = default;
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        template <typename U> Entry& operator=(U&&) = delete;

        /// Holds `object` (adding a reference to it) and releases the part held before.
        void set(T* object) { held = object; }
        void reset() { held = nullptr; }

        T* get() const { return held.get(); }
        T* operator->() const { return held.get(); }
        T& operator*() const { return *held; }
        operator T*() const { return held.get(); }

    private:
        object::Pointer<T> held;
    };

    // Starts with the default material, shader and blend mode of the thread's current rendering context
    // (none when the thread has no context).
    Appearance();

    types::String getClassPath() const override;

    // Applies, in this order and each only when set and not already in force: shader, material, blend,
    // stencil, depth and polygon modes, then the textures of units 0 to 7.
    void bind();

    Entry<Material> material;
    Entry<Shader> shader;
    Entry<BlendMode> blendMode;
    Entry<StencilMode> stencilMode;
    Entry<DepthMode> depthMode;
    Entry<PolygonMode> polygonMode;
    Entry<Texture> textures[TextureUnits];
};

} // namespace korvane::graphics3d
