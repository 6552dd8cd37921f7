#pragma once

#include <cstdint>

#include "graphics3d/Shader.h"

namespace korvane::graphics3d {

/// A shader of the fixed-function pipeline, configuring its lighting. Without Lighting in its flags, bind
/// and unbind leave the lighting state as they find it.
class FixedShader : public Shader {
public:
    static constexpr uint32_t Lighting = 0x1;
    static constexpr uint32_t TwoSided = 0x2;
    static constexpr uint32_t LocalViewer = 0x4;
    static constexpr uint32_t SeparateSpecular = 0x8;

    explicit FixedShader(uint32_t flags) : flags(flags) {}
    ~FixedShader() override;

    types::String getClassPath() const override;

    void bind() override;
    void unbind() override;
    void recordBind(CommandList& list) const override;
    void recordUnbind(CommandList& list) const override;

    uint32_t getFlags() const { return flags; }

protected:
    uint32_t flags;
};

/// A fixed shader for untextured geometry: positions, and normals when lit.
class PlainShader : public FixedShader {
public:
    explicit PlainShader(uint32_t flags);

    types::String getClassPath() const override;
};

/// A fixed shader that draws with the cube map bound on texture unit 0, modulated by the lit colour.
class CubeTextureShader : public FixedShader {
public:
    explicit CubeTextureShader(uint32_t flags);
    ~CubeTextureShader() override;

    types::String getClassPath() const override;

    void bind() override;
    void unbind() override;
    void recordBind(CommandList& list) const override;
    void recordUnbind(CommandList& list) const override;
};

} // namespace korvane::graphics3d
