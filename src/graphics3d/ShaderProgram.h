#pragma once

#include <cstdint>

#include "graphics3d/Resource.h"
#include "object/Noncopyable.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

class Context;

/// One compiled GLSL shader object, owned: destruction deletes it in the rendering context it was made in.
/// Used on the thread whose GL context is current.
class ShaderProgram : public Resource, public object::Noncopyable {
public:
    ~ShaderProgram() override;

    types::String getClassPath() const override;

    uint32_t getHandle() const { return handle; }

protected:
    explicit ShaderProgram(uint32_t handle);

    /// Compiles `source` as a shader of `type` and returns the shader object. Throws
    /// UnsupportedFeatureException without the shading-language entry points, InvalidOperationException when
    /// the driver refuses the object or the source, and ShaderCompilerException carrying the compiler's log
    /// (at most 1023 characters) when the source does not compile. Nothing is left behind on a throw.
    static uint32_t compile(uint32_t type, const char* source);

    uint32_t handle;
    object::Pointer<Context> owner;
};

/// A compiled vertex shader.
class VertexProgram : public ShaderProgram {
public:
    /// Compiles the source into a new vertex shader owned by the caller. Throws ShaderCompilerException
    /// with the driver's log when it does not compile, UnsupportedFeatureException without the
    /// shading-language entry points and InvalidOperationException for no source.
    static VertexProgram* create(const char* source);

    types::String getClassPath() const override;

private:
    using ShaderProgram::ShaderProgram;
};

/// A compiled fragment shader.
class PixelProgram : public ShaderProgram {
public:
    /// Compiles the source into a new fragment shader owned by the caller; throws as VertexProgram::create.
    static PixelProgram* create(const char* source);

    types::String getClassPath() const override;

private:
    using ShaderProgram::ShaderProgram;
};

} // namespace korvane::graphics3d
