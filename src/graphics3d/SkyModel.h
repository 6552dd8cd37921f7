#pragma once

#include "graphics3d/Appearance.h"
#include "graphics3d/FixedShader.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/IndexMesh.h"
#include "graphics3d/Material.h"
#include "graphics3d/Model.h"

namespace korvane::graphics3d {

/// The surroundings of the viewer: a sphere (kind 0) or a box (kind 2) seen from inside, or nothing (kind 1),
/// of radius or half-size `size`, with `segments` divisions around a sphere. It is drawn with the model-view
/// matrix of its parameter block stripped of its translation, so that it stays centred on the viewer. The
/// model owns its mesh, appearance, material and a lit plain shader; callers may give the appearance their
/// own material, shader and textures. Any other kind throws TypeException.
/// Used on the thread whose GL context is current.
class SkyModel : public Model {
public:
    SkyModel(int kind, float size, int segments);
    ~SkyModel() override;

    types::String getClassPath() const override;

    void draw(const ParameterBuffer* parameters) override;

    /// Destroyed in the reverse order: the mesh first, the shader last.
    PlainShader shader{FixedShader::Lighting | FixedShader::LocalViewer | FixedShader::SeparateSpecular};
    Appearance appearance;
    ColourMaterial material;
    IndexMesh mesh;
};

} // namespace korvane::graphics3d
