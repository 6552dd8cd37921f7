#pragma once

#include "graphics3d/Appearance.h"
#include "graphics3d/FixedShader.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/IndexMesh.h"
#include "graphics3d/Material.h"
#include "graphics3d/Model.h"
#include "graphics3d/ModelGeometry.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

/// A solid: a sphere (kind 0) of radius `size` with `segments` divisions around it, or a box (kind 1) of
/// half-size `size`, facing outwards and drawn with the model-view matrix of its parameter block. The
/// model owns its mesh, appearance, material and a lit plain shader; callers may give the appearance their
/// own material, shader and textures. Any other kind throws TypeException. A sphere whose buffers could not
/// hold its segments (fewer than two, or more than about 16 000) has an empty mesh and draws nothing.
/// Built, drawn and released on the thread whose rendering context is current.
class GeometryModel : public Model {
public:
    GeometryModel(int kind, float size, int segments);
    ~GeometryModel() override;

    types::String getClassPath() const override;

    void draw(const ParameterBuffer* parameters) override;
    // Draws what draw() draws, leaving out the parts of a sphere that turn their backs to an eye at the
    // origin of view space: the same pixels under a perspective view whenever back faces are culled or
    // hidden by the depth test, for about half the triangles. A box, an eye inside the sphere, a mesh
    // given other buffers or a range, and a model-view matrix that mirrors or projects draw everything.
    void drawFacing(const ParameterBuffer* parameters);

    // Destroyed in the reverse order: the mesh first, the shader last.
    PlainShader shader{FixedShader::Lighting | FixedShader::LocalViewer | FixedShader::SeparateSpecular};
    Appearance appearance;
    ColourMaterial material;
    IndexMesh mesh;

private:
    // The eye of view space in the model's own coordinates; false when `matrix` (row-major) is not an
    // affine map that keeps the winding of triangles.
    static bool eyeInModel(const float* matrix, float (&eye)[3]);

    // The sphere's buffers as built, whose layout drawFacing knows. Held so that no other buffer can
    // take their place at the same address; let go for good once the mesh has others.
    object::Pointer<IndexBuffer> sphereIndices;
    object::Pointer<VertexBuffer> sphereVertices;
    detail::FacingRuns facing;
};

} // namespace korvane::graphics3d
