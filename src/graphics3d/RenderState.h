#pragma once

#include <cstdint>

#include "graphics3d/Resource.h"

// The four fixed-function state groups. Fields hold raw OpenGL enumerants; -1 in a test-function field
// switches that test off. apply() sends the whole group unconditionally: skipping an unchanged group is
// the caller's business, by comparing the rendering context's current pointer of that kind first.
// Destroying an instance that the thread's rendering context records as current clears that record, so
// the next instance named by an appearance is applied again.
namespace korvane::graphics3d {

/// Blending (off for the factors GL_ONE, GL_ZERO) and the alpha test: the blend factors, equation and
/// constant colour, the alpha function and its reference. One of the four fixed-function state groups (with
/// DepthMode, StencilMode and PolygonMode): fields hold raw OpenGL enumerants, -1 in a test-function field
/// switches that test off, and apply() sends the whole group unconditionally; skipping an unchanged group is
/// the caller's business (an Appearance compares the rendering context's current pointer of that kind first).
/// Used on the thread whose GL context is current; destroying the instance the context records as current
/// clears the record.
class BlendMode : public Resource {
public:
    BlendMode() = default;
    ~BlendMode() override;

    types::String getClassPath() const override;

    void apply() const;

    uint32_t sourceFactor = 1;      // GL_ONE
    uint32_t destinationFactor = 0; // GL_ZERO
    uint32_t equation = 0x8006;     // GL_FUNC_ADD
    float colour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    int32_t alphaFunction = -1;
    float alphaReference = 0.0f;
};

/// The depth range, the depth test (function -1: off) and whether depth is written. A state group with the
/// rules of BlendMode.
class DepthMode : public Resource {
public:
    DepthMode() = default;
    ~DepthMode() override;

    types::String getClassPath() const override;

    void apply() const;

    float near = 0.0f;
    float far = 1.0f;
    int32_t function = 0x0203; // GL_LEQUAL
    bool writeMask = true;
};

/// The stencil operations, the stencil test (function -1: off) with its reference and mask, and the
/// write mask. A state group with the rules of BlendMode.
class StencilMode : public Resource {
public:
    StencilMode() = default;
    ~StencilMode() override;

    types::String getClassPath() const override;

    void apply() const;

    uint32_t failOperation = 0x1E00; // GL_KEEP
    uint32_t depthFailOperation = 0x1E00;
    uint32_t passOperation = 0x1E00;
    int32_t function = -1;
    int32_t reference = 0;
    uint32_t mask = 0xFFFFFFFFu;
    uint32_t writeMask = 0; // no stencil bits written unless asked for
};

/// Fill modes of front and back faces, face culling and polygon offset. A state group with the rules of
/// BlendMode.
class PolygonMode : public Resource {
public:
    /// Values of cullMode; any other value culls nothing.
    ///@{
    static constexpr int32_t CullFront = 1;
    static constexpr int32_t CullBack = 2;
    ///@}

    PolygonMode() = default;
    ~PolygonMode() override;

    types::String getClassPath() const override;

    void apply() const;

    uint32_t frontMode = 0x1B02; // GL_FILL
    uint32_t backMode = 0x1B02;
    int32_t cullMode = CullBack;
    float offsetUnits = 0.0f;
    float offsetFactor = 0.0f;
};

} // namespace korvane::graphics3d
