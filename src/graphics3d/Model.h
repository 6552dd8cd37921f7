#pragma once

#include <cstdint>

#include "container/Array.h"
#include "container/List.h"
#include "geometry/Collider.h"
#include "graphics3d/BoundingBox.h"
#include "graphics3d/Mesh.h"
#include "graphics3d/ParameterFormat.h"
#include "graphics3d/Resource.h"
#include "math/Matrix.h"
#include "object/Noncopyable.h"

namespace korvane::graphics3d {

class ParameterBuffer;

/// A time-dependent change a model may carry; models hold them by counted reference.
class Animation : public Resource {
public:
    types::String getClassPath() const override;
};

/// A drawable object made of meshes, with a bounding box and the format of the parameter block it is drawn
/// with: the named per-draw values a caller supplies in a ParameterBuffer, which the caller keeps. The
/// model-view matrix (16 floats, row-major) sits at modelviewOffset in that block, the offset of the
/// component "modelview", else of "model", else -1. The model holds a counted reference to each mesh and
/// animation it is given and releases them when it goes. Models are made, drawn, picked and released on
/// the rendering thread.
class Model : public Resource, public object::Noncopyable {
public:
    using Line = geometry::Collider<float, 3>::Line;
    // The nearest hit of a pick, in view space, with the model and mesh hit.
    struct Hit : geometry::Collider<float, 3>::Hit {
        Model* model = nullptr;
        Mesh* mesh = nullptr;
    };
    // A joint of a skeleton: its transform relative to its parent.
    struct Joint {
        math::Matrix transform;
    };

    // Releases the meshes and animations.
    ~Model() override;

    types::String getClassPath() const override;

    virtual void draw(const ParameterBuffer* parameters) = 0;
    virtual void update(uint32_t a, uint32_t b, uint32_t c);
    // Intersects a view-space ray with the meshes' colliders, through the inverse of the model-view
    // matrix in `parameters`. Without a hit record, true at the first mesh hit; with one, the nearest hit
    // goes into it (point and normal back in view space) and the result says whether anything was hit.
    // False, the record untouched, when the model has no model-view matrix, the block is too small to
    // hold it or the matrix cannot be inverted.
    virtual bool pick(const ParameterBuffer* parameters, const Line& ray, Hit* hit);
    // The axis-aligned box around every mesh's box, after asking each mesh to measure itself again when
    // `recompute` is true. A model without meshes gets the zero box.
    virtual bool computeBounds(bool recompute);
    // Builds a collider for every mesh without one (for every mesh when `force` is true); false when a
    // mesh is left without a collider.
    virtual bool createColliders(bool force);
    // Empties the model: no parameters, no joints, no meshes, no animations, a zero box.
    virtual void clear();

    // Takes the components of `format` (dropping those of type 0) and finds the model-view matrix in them.
    void setParameters(const ParameterFormat& format);
    // Holds a counted reference to the mesh, after the meshes already held.
    void addMesh(Mesh* mesh);
    void setBounds(const BoundingBox& box) { bounds = box; }

    uint32_t getFlags() const { return flags; }
    const ParameterFormat& getParameters() const { return parameters; }
    int32_t getModelviewOffset() const { return modelviewOffset; }
    const container::Array<Mesh*>& getMeshes() const { return meshes; }
    const BoundingBox& getBounds() const { return bounds; }

protected:
    Model() = default;

    // Releases every mesh and empties the list.
    void releaseMeshes();
    // Copies the 16 floats at `offset` of the block into `matrix`; false when the block does not hold them.
    static bool readMatrix(const ParameterBuffer* parameters, int32_t offset, float* matrix);

    uint32_t flags = 0;
    ParameterFormat parameters;
    int32_t modelviewOffset = -1;
    container::List<Joint, container::ListAllocator<Joint, 8>> joints;
    container::Array<Mesh*> meshes;
    container::Array<Animation*> animations;
    BoundingBox bounds;
};

} // namespace korvane::graphics3d
