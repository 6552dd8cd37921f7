#pragma once

#include "graphics3d/Appearance.h"
#include "graphics3d/FixedShader.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/IndexMesh.h"
#include "graphics3d/Material.h"
#include "graphics3d/Model.h"

namespace korvane::graphics3d {

// A solid: a sphere (kind 0) of radius `size` with `segments` divisions around it, or a box (kind 1) of
// half-size `size`, facing outwards and drawn with the model-view matrix of its parameter block. The model
// owns its mesh, appearance, material and a lit plain shader; callers may give the appearance their own
// material, shader and textures. Any other kind throws TypeException.
class GeometryModel : public Model {
public:
    GeometryModel(int kind, float size, int segments);
    ~GeometryModel() override;

    types::String getClassPath() const override;

    void draw(const ParameterBuffer* parameters) override;

    // Destroyed in the reverse order: the mesh first, the shader last.
    PlainShader shader{FixedShader::Lighting | FixedShader::LocalViewer | FixedShader::SeparateSpecular};
    Appearance appearance;
    ColourMaterial material;
    IndexMesh mesh;
};

} // namespace korvane::graphics3d
