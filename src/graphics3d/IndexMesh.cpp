#include "graphics3d/IndexMesh.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "container/Map.h"
#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/MeshReader.h"

namespace korvane::graphics3d {

types::String IndexMesh::getClassPath() const {
    return types::String::concat(VertexMesh::getClassPath(), ":IndexMesh");
}

bool IndexMesh::hasSubRange() const {
    return indexBuffer && first != end && (first != 0 || end != indexBuffer->getCount());
}

bool IndexMesh::prepareDrawing(const void*& base) {
    if (!indexBuffer || bufferCount == 0)
        return false;
    setPointers();
    base = indexBuffer->bind();
    if (Context* context = Context::getThreadContext()) {
        context->indexPointer = base;
        context->indexType = indexBuffer->getGLType();
        context->indexSize = indexBuffer->getIndexSize();
    }
    if (appearance)
        appearance->bind();
    return true;
}

bool IndexMesh::indicesFit(uint32_t start, uint32_t count) {
    if (measuredRevision != indexBuffer->getRevision()) {
        detail::IndexReader reader(indexBuffer);
        if (!reader.isReady())
            return false;
        uint32_t largest = 0;
        for (uint32_t index = 0; index < reader.getCount(); ++index)
            largest = std::max(largest, reader[index]);
        largestIndex = largest;
        measuredRevision = indexBuffer->getRevision();
    }
    if (largestIndex < vertexCount)
        return true;
    detail::IndexReader reader(indexBuffer);
    if (!reader.isReady())
        return false;
    for (uint32_t index = start; index < start + count; ++index)
        if (reader[index] >= vertexCount)
            return false;
    return true;
}

void IndexMesh::draw() {
    if (!indexBuffer || bufferCount == 0)
        return;
    const uint32_t total = indexBuffer->getCount();
    uint32_t start = 0;
    uint32_t count = total;
    if (first != end) {
        // Cut at the end of the index buffer.
        start = std::min(first, total);
        count = end > start ? std::min(end, total) - start : 0;
    }
    // An index past the vertices would make GL read outside the vertex arrays.
    if (count != 0 && !indicesFit(start, count))
        return;
    const void* base = nullptr;
    if (!prepareDrawing(base) || count == 0)
        return;
    // A buffer object takes a byte offset in place of an address.
    const uint32_t size = indexBuffer->getIndexSize();
    const auto indices =
        reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(base) + uintptr_t(start) * size);
    glDrawElements(primitive, GLsizei(count), indexBuffer->getGLType(), indices);
}

void IndexMesh::drawPieces(const uint32_t* firsts, const int32_t* counts, uint32_t pieceCount) {
    if (pieceCount == 0 || !indexBuffer || bufferCount == 0)
        return;
    const uint32_t total = indexBuffer->getCount();
    pieceAddresses.setSize(pieceCount);
    pieceCounts.setSize(pieceCount);
    uint32_t kept = 0;
    for (uint32_t k = 0; k < pieceCount; ++k) {
        const uint32_t start = std::min(firsts[k], total);
        const uint32_t count = std::min(uint32_t(std::max(counts[k], 0)), total - start);
        // Runs whose indices name vertices past the buffers' are left out.
        if (count == 0 || !indicesFit(start, count))
            continue;
        // The offset of the run for now; the base address is added once the buffer is bound.
        pieceAddresses[kept] = reinterpret_cast<const void*>(uintptr_t(start));
        pieceCounts[kept] = int32_t(count);
        ++kept;
    }
    const void* base = nullptr;
    if (!prepareDrawing(base) || kept == 0)
        return;
    const uint32_t size = indexBuffer->getIndexSize();
    for (uint32_t k = 0; k < kept; ++k)
        pieceAddresses[k] = reinterpret_cast<const void*>(
            reinterpret_cast<uintptr_t>(base) + reinterpret_cast<uintptr_t>(pieceAddresses[k]) * size);
    const uint32_t type = indexBuffer->getGLType();
    if (glMultiDrawElements) {
        static_assert(std::is_same_v<GLsizei, int32_t>);
        glMultiDrawElements(primitive, pieceCounts.getElements(), type, pieceAddresses.getElements(),
                            GLsizei(kept));
        return;
    }
    for (uint32_t k = 0; k < kept; ++k)
        glDrawElements(primitive, pieceCounts[k], type, pieceAddresses[k]);
}

bool IndexMesh::computeBounds() {
    return measure(0, std::numeric_limits<uint32_t>::max());
}

bool IndexMesh::readGeometry(container::Array<math::Vector3<float>>& vertices,
                             container::Array<unsigned int>& indices) const {
    if (!indexBuffer)
        return false;
    detail::IndexReader reader(indexBuffer);
    if (!reader.isReady())
        return false;
    detail::PositionReader positions(vertexBuffers, MaximumBuffers);
    if (!positions.isReady())
        return false;
    const uint32_t limit = positions.getCount();
    vertices.clear();
    indices.clear();

    if (!hasSubRange()) {
        const uint32_t count = reader.getCount();
        indices.setSize(count);
        for (uint32_t index = 0; index < count; ++index) {
            indices[index] = reader[index];
            if (indices[index] >= limit)
                return false;
        }
        // Without indices nothing is drawn, so no vertex belongs to the geometry either.
        if (count != 0) {
            vertices.setSize(limit);
            for (uint32_t vertex = 0; vertex < limit; ++vertex)
                vertices[vertex] = positions[vertex];
        }
        return true;
    }

    // Only the vertices the range uses, numbered in order of first use.
    const uint32_t total = reader.getCount();
    const uint32_t start = std::min(first, total);
    const uint32_t stop = end > start ? std::min(end, total) : start;
    container::Map<unsigned int, unsigned int> numbers;
    container::Array<unsigned int> used;
    for (uint32_t index = start; index < stop; ++index) {
        const uint32_t vertex = reader[index];
        if (vertex >= limit)
            return false;
        auto* node = numbers.find(vertex);
        if (!node) {
            node = numbers.insert(vertex, used.getCount());
            used.append(vertex);
        }
        indices.append(node->value);
    }
    vertices.setSize(used.getCount());
    for (uint32_t number = 0; number < used.getCount(); ++number)
        vertices[number] = positions[used[number]];
    return true;
}

geometry::TriangleMesh3<float>* IndexMesh::createTriangleMesh() const {
    auto* mesh = new geometry::TriangleMesh3<float>;
    container::Array<unsigned int> indices;
    if (!readGeometry(mesh->vertices, indices)) {
        mesh->release();
        return nullptr;
    }
    const uint32_t n = indices.getCount();
    uint32_t triangle = 0;
    switch (primitive) {
    case geometry::primitive::Triangles:
        for (uint32_t i = 0; i + 3 <= n; i += 3)
            mesh->setTriangle(triangle++, indices[i], indices[i + 1], indices[i + 2]);
        break;
    case geometry::primitive::TriangleStrip: {
        if (n < 3)
            break;
        // (a, b) is the edge the next index completes; strips joined by repeated indices leave
        // degenerate triangles, which are dropped.
        uint32_t a = indices[0];
        uint32_t b = indices[1];
        for (uint32_t i = 2; i < n; ++i) {
            const uint32_t e = indices[i];
            if (a != b && b != e && a != e)
                mesh->setTriangle(triangle++, a, b, e);
            if (i % 2 == 0)
                a = e;
            else
                b = e;
        }
        break;
    }
    case geometry::primitive::TriangleFan:
        for (uint32_t i = 0; i + 2 < n; ++i)
            mesh->setTriangle(triangle++, indices[0], indices[i + 1], indices[i + 2]);
        break;
    case geometry::primitive::Quads:
        for (uint32_t i = 0; i + 4 <= n; i += 4) {
            mesh->setTriangle(triangle++, indices[i], indices[i + 1], indices[i + 2]);
            mesh->setTriangle(triangle++, indices[i], indices[i + 2], indices[i + 3]);
        }
        break;
    default:
        break; // the vertices alone
    }
    return mesh;
}

} // namespace korvane::graphics3d
