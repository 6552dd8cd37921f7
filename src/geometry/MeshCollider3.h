#pragma once

#include <cstdint>

#include "container/Array.h"
#include "geometry/Collider.h"

namespace korvane::geometry {

/// A collider over a copy of a mesh's positions (and indices) in model space, drawn as triangles,
/// triangle strips, fans, quads or quad strips. Intersection tests every triangle in turn (no spatial
/// structure); among equally near hits the later triangle wins. Immutable once built.
///
/// Without indices the vertices are taken in order; with indices, the index values name the vertices.
/// Triangles naming a vertex past the end of `vertices` are skipped. Strip triangles keep the order of
/// their three vertices, so the sign of the reported normal alternates along a strip.
template <typename T> class MeshCollider3 : public Collider<T, 3> {
public:
    using Line = typename Collider<T, 3>::Line;
    using Hit = typename Collider<T, 3>::Hit;
    using Vertex = math::Vector3<T>;

    /// An empty collider of triangles; it hits nothing.
    MeshCollider3() = default;
    MeshCollider3(container::Array<Vertex> vertices, container::Array<unsigned int> indices,
                  uint32_t primitive);

    bool intersectRay(const Line& line, Hit* hit) const override;
    bool intersectSegment(const Line& line, Hit* hit) const override;
    bool intersectLine(const Line& line, Hit* hit) const override;

    const container::Array<Vertex>& getVertices() const { return vertices; }
    const container::Array<unsigned int>& getIndices() const { return indices; }
    uint32_t getPrimitive() const { return primitive; }

private:
    // Accepts hits with minimum <= t <= best, best shrinking to each hit counted.
    bool intersect(const Line& line, Hit* hit, T minimum, T best) const;

    container::Array<Vertex> vertices;
    container::Array<unsigned int> indices;
    uint32_t primitive = primitive::Triangles;
};

extern template class MeshCollider3<float>;

} // namespace korvane::geometry
