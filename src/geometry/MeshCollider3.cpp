#include "geometry/MeshCollider3.h"

#include <limits>
#include <utility>

namespace korvane::geometry {

namespace {

// Calls visit(a, b, c) for every triangle of `count` vertex numbers drawn as `type`, where at(i) is the
// i-th vertex number, until visit returns true.
template <typename At, typename Visit>
void forEachTriangle(uint32_t type, uint32_t count, At at, Visit visit) {
    if (count < 3)
        return;
    switch (type) {
    case primitive::Triangles:
        for (uint32_t i = 0; count - i >= 3; i += 3)
            if (visit(at(i), at(i + 1), at(i + 2)))
                return;
        break;
    case primitive::TriangleStrip:
        for (uint32_t i = 0; i + 2 < count; ++i)
            if (visit(at(i), at(i + 1), at(i + 2)))
                return;
        break;
    case primitive::TriangleFan:
        for (uint32_t i = 1; i + 1 < count; ++i)
            if (visit(at(0), at(i), at(i + 1)))
                return;
        break;
    case primitive::Quads:
        for (uint32_t i = 0; count - i >= 4; i += 4)
            if (visit(at(i), at(i + 1), at(i + 2)) || visit(at(i), at(i + 2), at(i + 3)))
                return;
        break;
    case primitive::QuadStrip:
        // Quad q has the corners 2q, 2q + 1, 2q + 3, 2q + 2 in drawing order.
        for (uint32_t i = 0; count - i >= 4; i += 2)
            if (visit(at(i), at(i + 1), at(i + 3)) || visit(at(i), at(i + 3), at(i + 2)))
                return;
        break;
    default:
        break;
    }
}

} // namespace

template <typename T>
MeshCollider3<T>::MeshCollider3(container::Array<Vertex> vertices, container::Array<unsigned int> indices,
                                uint32_t primitive)
    : vertices(std::move(vertices)), indices(std::move(indices)), primitive(primitive) {}

template <typename T> bool MeshCollider3<T>::intersectRay(const Line& line, Hit* hit) const {
    return intersect(line, hit, T(0), std::numeric_limits<T>::max());
}

template <typename T> bool MeshCollider3<T>::intersectSegment(const Line& line, Hit* hit) const {
    return intersect(line, hit, T(0), T(1));
}

template <typename T> bool MeshCollider3<T>::intersectLine(const Line& line, Hit* hit) const {
    return intersect(line, hit, std::numeric_limits<T>::lowest(), std::numeric_limits<T>::max());
}

// Möller-Trumbore against each triangle.
template <typename T> bool MeshCollider3<T>::intersect(const Line& line, Hit* hit, T minimum, T best) const {
    const T epsilon = std::numeric_limits<float>::epsilon();
    const Vertex& origin = line.origin;
    const Vertex& direction = line.direction;
    const uint32_t vertexCount = vertices.getCount();
    bool found = false;
    Vertex normal;

    auto test = [&](uint32_t a, uint32_t b, uint32_t c) {
        if (a >= vertexCount || b >= vertexCount || c >= vertexCount)
            return false;
        const Vertex& corner = vertices[a];
        const Vertex e1 = vertices[b] - corner;
        const Vertex e2 = vertices[c] - corner;
        const Vertex p = math::cross(direction, e2);
        const T det = math::dot(e1, p);
        if (det > -epsilon && det < epsilon)
            return false; // parallel to the triangle's plane
        const Vertex s = origin - corner;
        const T u = math::dot(s, p) / det;
        if (!(u >= T(0) && u <= T(1)))
            return false;
        const Vertex q = math::cross(s, e1);
        const T v = math::dot(direction, q) / det;
        if (!(v >= T(0) && u + v <= T(1)))
            return false;
        const T t = math::dot(e2, q) / det;
        if (!(t >= minimum && t <= best))
            return false;
        found = true;
        if (!hit)
            return true; // any hit will do
        best = t;
        normal = math::cross(e1, e2);
        return false;
    };

    if (indices.isEmpty())
        forEachTriangle(
            primitive, vertexCount, [](uint32_t i) { return i; }, test);
    else
        forEachTriangle(
            primitive, indices.getCount(), [this](uint32_t i) { return indices[i]; }, test);

    if (found && hit) {
        hit->point = origin + direction * best;
        hit->normal = normal;
        hit->distance = best;
    }
    return found;
}

template class MeshCollider3<float>;

} // namespace korvane::geometry
