#pragma once

#include "container/Array.h"
#include "graphics3d/Appearance.h"
#include "graphics3d/FixedShader.h"
#include "graphics3d/IndexMesh.h"
#include "graphics3d/Material.h"
#include "graphics3d/Model.h"

// The geometry and set-up that the sky and geometry models share.
namespace korvane::graphics3d::detail {

/// Makes `mesh` a sphere of the given radius around the origin: rings of segments + 1 vertices from the
/// south pole to the north pole, drawn as one triangle strip (neighbouring rings joined by repeated
/// indices). Facing outwards, or inwards (normals and winding turned) for a sky. Leaves the mesh without
/// buffers when they cannot be made, with fewer than two segments, and at once, before allocating
/// anything, with more than a 4 GiB buffer can hold (above 16 382 segments).
void buildSphere(IndexMesh& mesh, float radius, int segments, bool inward);
/// The runs of the index list of an outward sphere made by buildSphere that hold every triangle whose
/// front an eye can see: per strip, the quads around the eye's longitude whose plane the eye lies above,
/// with a margin of a quad on either side. Each run is a triangle strip of `getCounts()[k]` indices from
/// index `getFirsts()[k]`, starting on an even index so that its triangles keep their winding; whole strips
/// that follow one another stay one run, joined as in the list. The planes of the strips are worked out
/// once, so that finding the runs for an eye costs little more than an arc cosine per strip.
class FacingRuns {
public:
    FacingRuns() = default;
    FacingRuns(int segments, float radius);

    /// The runs for an eye at `eye`, in the sphere's own coordinates: their number (0 when the eye sees
    /// no front), or -1 when the whole list must be drawn: fewer than four segments, an eye inside or on
    /// the sphere, or values that are not finite.
    int find(const float (&eye)[3]);
    const uint32_t* getFirsts() const { return firsts.getElements(); }
    const int32_t* getCounts() const { return counts.getElements(); }

private:
    // The plane of a strip's quads: the unit normal's parts away from the axis and along it, and its
    // distance from the centre.
    struct Plane {
        double outward = 0, up = 0, offset = 0;
    };

    uint32_t segments = 0;
    float radius = 0;
    container::Array<Plane> planes;
    container::Array<uint32_t> firsts;
    container::Array<int32_t> counts;
};
/// Makes `mesh` a cube of the given half-size around the origin as twelve triangles, wound to face
/// outwards, or inwards for a sky; its normals point at the centre and its three texture coordinates
/// point at the corners. Leaves the mesh without buffers when they cannot be made.
void buildBox(IndexMesh& mesh, float size, bool inward);
/// Gives the mesh the appearance with the material and shader, the parameter format with the model-view
/// matrix, and the model the mesh and the bounds of a sphere of radius `size`.
void finishModel(Model& model, IndexMesh& mesh, Appearance& appearance, ColourMaterial& material,
                 Shader& shader, float size);
/// Loads a row-major matrix as the model-view matrix of the thread's rendering context; false when the
/// thread has none.
bool loadModelview(const float* matrix);

} // namespace korvane::graphics3d::detail
