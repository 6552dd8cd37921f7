#include "graphics3d/VertexMesh.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "geometry/MeshCollider3.h"
#include "graphics3d/GL.h"
#include "graphics3d/MeshReader.h"

namespace korvane::graphics3d {

namespace {

// The part [start, start + count) of a range clipped to `limit` items, given as (start, count).
std::pair<uint32_t, uint32_t> clip(uint32_t start, uint32_t count, uint32_t limit) {
    start = std::min(start, limit);
    return {start, std::min(count, limit - start)};
}

} // namespace

types::String VertexMesh::getClassPath() const {
    return types::String::concat(Mesh::getClassPath(), ":VertexMesh");
}

void VertexMesh::setVertexBuffer(VertexBuffer* buffer, uint32_t slot) {
    if (slot >= MaximumBuffers)
        return;
    vertexBuffers[slot] = buffer;
    bufferCount = 0;
    vertexCount = std::numeric_limits<uint32_t>::max();
    attributes = 0;
    for (uint32_t index = 0; index < MaximumBuffers; ++index) {
        if (!vertexBuffers[index])
            continue;
        bufferCount = index + 1;
        vertexCount = std::min(vertexCount, vertexBuffers[index]->getCount());
        attributes |= vertexBuffers[index]->getAttributes();
    }
    if (bufferCount == 0)
        vertexCount = 0;
}

void VertexMesh::setPointers() const {
    for (uint32_t slot = 0; slot < bufferCount; ++slot) {
        if (vertexBuffers[slot])
            vertexBuffers[slot]->setPointers(0xFFFFFFFFu);
    }
}

void VertexMesh::draw() {
    setPointers();
    if (appearance)
        appearance->bind();
    // Every buffer must hold the vertices drawn: the range is cut at the smallest one.
    const auto [start, count] = first == end ? std::pair<uint32_t, uint32_t>(0, vertexCount)
                                             : clip(first, end > first ? end - first : 0, vertexCount);
    if (count != 0)
        glDrawArrays(primitive, GLint(start), GLsizei(count));
}

bool VertexMesh::measure(uint32_t start, uint32_t count) {
    detail::PositionReader positions(vertexBuffers, MaximumBuffers, detail::PositionReader::UnsignedBytes);
    if (!positions.isReady())
        return false;
    const auto [from, number] = clip(start, count, positions.getCount());
    if (number == 0)
        return false;
    math::Vector3<float> minimum = positions[from];
    math::Vector3<float> maximum = minimum;
    for (uint32_t vertex = from + 1; vertex < from + number; ++vertex) {
        const math::Vector3<float> position = positions[vertex];
        for (int axis = 0; axis < 3; ++axis) {
            minimum[axis] = std::min(minimum[axis], position[axis]);
            maximum[axis] = std::max(maximum[axis], position[axis]);
        }
    }
    bounds = BoundingBox::fromRange(minimum, maximum);
    return true;
}

bool VertexMesh::computeBounds() {
    if (first == end)
        return measure(0, std::numeric_limits<uint32_t>::max());
    return measure(first, end > first ? end - first : 0);
}

bool VertexMesh::readGeometry(container::Array<math::Vector3<float>>& vertices,
                              container::Array<unsigned int>& indices) const {
    detail::PositionReader positions(vertexBuffers, MaximumBuffers);
    if (!positions.isReady())
        return false;
    const auto [from, number] = first == end
                                    ? std::pair<uint32_t, uint32_t>(0, positions.getCount())
                                    : clip(first, end > first ? end - first : 0, positions.getCount());
    vertices.setSize(number);
    for (uint32_t vertex = 0; vertex < number; ++vertex)
        vertices[vertex] = positions[from + vertex];
    indices.clear();
    return true;
}

bool VertexMesh::createCollider() {
    container::Array<math::Vector3<float>> vertices;
    container::Array<unsigned int> indices;
    if (!readGeometry(vertices, indices))
        return false;
    collider = object::Pointer<Collider>::adopt(
        new geometry::MeshCollider3<float>(std::move(vertices), std::move(indices), primitive));
    return true;
}

geometry::TriangleMesh3<float>* VertexMesh::createTriangleMesh() const {
    auto* mesh = new geometry::TriangleMesh3<float>;
    container::Array<unsigned int> unused;
    if (!readGeometry(mesh->vertices, unused)) {
        mesh->release();
        return nullptr;
    }
    const uint32_t n = mesh->vertices.getCount();
    uint32_t triangle = 0;
    switch (primitive) {
    case geometry::primitive::Triangles:
        for (uint32_t i = 0; i + 3 <= n; i += 3)
            mesh->setTriangle(triangle++, i, i + 1, i + 2);
        break;
    case geometry::primitive::TriangleStrip:
        // In drawing order: every odd triangle swaps its first two vertices.
        for (uint32_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0)
                mesh->setTriangle(triangle++, i, i + 1, i + 2);
            else
                mesh->setTriangle(triangle++, i + 1, i, i + 2);
        }
        break;
    case geometry::primitive::TriangleFan:
        for (uint32_t i = 0; i + 2 < n; ++i)
            mesh->setTriangle(triangle++, 0, i + 1, i + 2);
        break;
    case geometry::primitive::Quads:
        for (uint32_t i = 0; i + 4 <= n; i += 4) {
            mesh->setTriangle(triangle++, i, i + 1, i + 2);
            mesh->setTriangle(triangle++, i, i + 2, i + 3);
        }
        break;
    default:
        break; // the vertices alone
    }
    return mesh;
}

} // namespace korvane::graphics3d
