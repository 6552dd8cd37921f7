#pragma once

#include "graphics3d/FixedShader.h"

namespace korvane::demo {

// Draws the sky box unlit with its cube map on texture unit 0, the texels replacing the vertex colour, so
// that the sky file's pixels reach the screen as they are whatever material the sky carries.
class SkyShader : public graphics3d::CubeTextureShader {
public:
    SkyShader() : CubeTextureShader(0) {}
    ~SkyShader() override;

    void bind() override;
    void unbind() override;
    void recordBind(graphics3d::CommandList& list) const override;
    void recordUnbind(graphics3d::CommandList& list) const override;

    types::String getClassPath() const override;
};

} // namespace korvane::demo
