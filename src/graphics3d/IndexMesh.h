#pragma once

#include <cstdint>

#include "graphics3d/IndexBuffer.h"
#include "graphics3d/VertexMesh.h"

namespace korvane::graphics3d {

/// A mesh drawn through an index buffer with glDrawElements. The draw range counts indices. An index mesh
/// without an index buffer draws nothing and has no readable geometry; one whose drawn indices name a
/// vertex past the end of its vertex buffers draws nothing either (or leaves out the runs that do), so
/// that GL never reads outside them. The mesh holds a reference to its buffers. Drawn on the thread whose
/// rendering context is current.
class IndexMesh : public VertexMesh {
public:
    IndexMesh() = default;

    types::String getClassPath() const override;

    void draw() override;
    // Draws runs of the index buffer in one call: run k takes `counts[k]` indices from index `firsts[k]`,
    // as a primitive of its own. Runs are cut at the end of the buffer; the mesh's range does not apply.
    void drawPieces(const uint32_t* firsts, const int32_t* counts, uint32_t pieceCount);
    geometry::TriangleMesh3<float>* createTriangleMesh() const override;
    // Measures every vertex of the position buffer, whatever the range.
    bool computeBounds() override;

    void setIndexBuffer(IndexBuffer* buffer) { indexBuffer = buffer; }
    IndexBuffer* getIndexBuffer() const { return indexBuffer; }

    // Whether the range selects part of the index buffer rather than all of it.
    bool hasSubRange() const;

protected:
    // With a sub-range, only the vertices its indices use, renumbered from 0 in order of first use;
    // otherwise every vertex and every index as they are. False also when an index names a vertex past
    // the end of the position buffer.
    bool readGeometry(container::Array<math::Vector3<float>>& vertices,
                      container::Array<unsigned int>& indices) const override;

    object::Pointer<IndexBuffer> indexBuffer;

private:
    // Sets the vertex arrays, binds the index buffer and the appearance; the index buffer's base address
    // (null for a buffer object), or false when there is nothing to draw.
    bool prepareDrawing(const void*& base);
    // Whether the `count` indices from `start` on name vertices that the buffers hold (false also when
    // the indices cannot be read). The largest index of the whole buffer is measured once per revision
    // of its contents, so that a mesh whose indices all fit pays one comparison per draw; only a buffer
    // with indices out of reach has the drawn ones read one by one.
    bool indicesFit(uint32_t start, uint32_t count);

    // The runs' addresses and counts as GL takes them, kept between draws.
    container::Array<const void*> pieceAddresses;
    container::Array<int32_t> pieceCounts;
    // The revision of the index buffer's contents that largestIndex was measured from; revisions start
    // at 1.
    uint64_t measuredRevision = 0;
    uint32_t largestIndex = 0;
};

} // namespace korvane::graphics3d
