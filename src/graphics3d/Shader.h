#pragma once

#include <cstdint>

#include "graphics3d/ConstantList.h"
#include "graphics3d/Resource.h"

namespace korvane::graphics3d {

class CommandList;

// Puts OpenGL into the state needed to draw one kind of surface and names the client vertex arrays the
// surface reads (`arrays`, the bits of VertexFormat.h's attribute namespace). A shader becomes current
// only through Context::activateShader, usually from an Appearance, which skips an unchanged shader.
class Shader : public Resource {
public:
    types::String getClassPath() const override;

    virtual void bind() = 0;
    virtual void unbind() = 0;
    // Append to `list` the GL calls that bind() and unbind() make, in the same order.
    virtual void recordBind(CommandList& list) const = 0;
    virtual void recordUnbind(CommandList& list) const = 0;

    uint32_t getArrays() const { return arrays; }

    ConstantList constants;
    uint32_t arrays = 0;

protected:
    Shader() = default;
};

} // namespace korvane::graphics3d
