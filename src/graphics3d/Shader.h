#pragma once

#include <cstdint>

#include "graphics3d/ConstantList.h"
#include "graphics3d/Resource.h"

namespace korvane::graphics3d {

class CommandList;

/// Puts OpenGL into the state needed to draw one kind of surface and names the client vertex arrays the
/// surface reads (`arrays`, the bits of VertexFormat.h's attribute namespace). A shader becomes current
/// only through Context::activateShader, usually from an Appearance, which skips an unchanged shader.
/// Used on the thread whose GL context is current.
class Shader : public Resource {
public:
    /// Clears the thread's rendering-context record when it still names this shader.
    ~Shader() override;

    types::String getClassPath() const override;

    virtual void bind() = 0;
    virtual void unbind() = 0;
    /// Append to `list` the GL calls that bind() and unbind() make, in the same order.
    virtual void recordBind(CommandList& list) const = 0;
    virtual void recordUnbind(CommandList& list) const = 0;

    uint32_t getArrays() const { return arrays; }

    ConstantList constants;
    uint32_t arrays = 0;

protected:
    Shader() = default;

    /// For the destructors of shaders that implement unbind(): a shader destroyed while it is the thread's
    /// current one is unbound and the record cleared, so that the next activation neither calls into it nor
    /// leaves its GL state (a deleted program in use, lighting on) behind.
    void unbindIfCurrent();
};

} // namespace korvane::graphics3d
