#pragma once

#include <cstdint>

#include "container/Array.h"
#include "graphics3d/Shader.h"
#include "graphics3d/ShaderProgram.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

class Context;

/// A shader made of a GLSL program object and the compiled shaders attached to it. After link() its
/// `arrays` mask holds the client arrays named by the program's active built-in attributes, and its sampler
/// uniforms are assigned texture units 0, 1, 2, ... in the order in which GL lists the active uniforms,
/// which an Appearance's textures must follow.
/// Used on the thread whose GL context is current; it holds references to the attached shaders.
class ProgrammableShader : public Shader {
public:
    /// A shader with a new, empty program object. Throws UnsupportedFeatureException without the
    /// shading-language entry points and InvalidOperationException when the driver refuses the object. The
    /// caller owns the new shader's reference.
    static ProgrammableShader* create();

    ~ProgrammableShader() override;

    types::String getClassPath() const override;

    /// Attaches a compiled shader once; the shader is kept by a counted reference. False when GL refuses it.
    bool attach(ShaderProgram* shaderProgram);
    /// Links the program, then derives the attribute mask and assigns the sampler units; the program in use
    /// before the call is in use after it. Throws ShaderLinkerException, carrying the linker's log when the
    /// program does not link.
    void link();

    /// Asks the driver whether the program can run in the current GL state.
    bool isValid() const override;

    void bind() override;
    void unbind() override;
    void recordBind(CommandList& list) const override;
    void recordUnbind(CommandList& list) const override;

    uint32_t getProgram() const { return program; }
    uint32_t getProgramCount() const { return programs.getCount(); }

    /// The client-array bit of a built-in attribute name (case-insensitive), 0 for any other name.
    static uint32_t attributeBit(const char* name);

private:
    explicit ProgrammableShader(uint32_t program);

    container::Array<object::Pointer<ShaderProgram>> programs;
    uint32_t program;
    // The rendering context the program belongs to: destruction deletes it there.
    object::Pointer<Context> owner;
};

} // namespace korvane::graphics3d
