#pragma once

#include <cstdint>

#include "geometry/Collider.h"
#include "geometry/TriangleMesh.h"
#include "graphics3d/Appearance.h"
#include "graphics3d/BoundingBox.h"
#include "graphics3d/Resource.h"
#include "object/Noncopyable.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

// One drawable piece of geometry: vertex data, one primitive type, an optional appearance applied before
// drawing, a bounding box and, once built, a collider over its positions for picking. Meshes are drawn,
// measured and exported on the rendering thread; they never throw. Destroying a mesh releases its
// buffers (its GL context must be current), then its appearance and collider.
class Mesh : public Resource, public object::Noncopyable {
public:
    using Collider = geometry::Collider<float, 3>;

    types::String getClassPath() const override;

    virtual void draw() = 0;
    // A new triangle soup of the positions drawn, owned by the caller; null when the positions cannot be
    // read.
    virtual geometry::TriangleMesh3<float>* createTriangleMesh() const = 0;
    // Measures the positions into the bounding box; false, leaving the box, when they cannot be read.
    virtual bool computeBounds() { return false; }
    // Replaces the collider by one built from the positions; false, keeping the old one, when they cannot
    // be read.
    virtual bool createCollider() { return false; }

    void setAppearance(Appearance* newAppearance) { appearance = newAppearance; }
    Appearance* getAppearance() const { return appearance; }
    void setPrimitive(uint32_t newPrimitive) { primitive = newPrimitive; }
    uint32_t getPrimitive() const { return primitive; }
    void setCollider(Collider* newCollider) { collider = newCollider; }
    Collider* getCollider() const { return collider; }
    const BoundingBox& getBounds() const { return bounds; }

protected:
    Mesh() = default;

    // Declared first so that they go last.
    object::Pointer<Collider> collider;
    object::Pointer<Appearance> appearance;
    uint32_t primitive = geometry::primitive::Triangles;
    BoundingBox bounds;
};

} // namespace korvane::graphics3d
