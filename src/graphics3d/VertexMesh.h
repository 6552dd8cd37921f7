#pragma once

#include <cstdint>

#include "container/Array.h"
#include "graphics3d/Mesh.h"
#include "graphics3d/VertexBuffer.h"

namespace korvane::graphics3d {

// A mesh of non-indexed vertices in up to sixteen vertex buffers, drawn with glDrawArrays. The draw range
// [first, end) counts vertices; an empty range (first == end) draws every vertex. Ranges reaching past
// the vertices are cut at the smallest buffer's count.
class VertexMesh : public Mesh {
public:
    static constexpr uint32_t MaximumBuffers = 16;

    VertexMesh() = default;

    types::String getClassPath() const override;

    // Points GL's arrays into every buffer, applies the appearance and draws the range.
    void draw() override;
    geometry::TriangleMesh3<float>* createTriangleMesh() const override;
    // Measures the positions of the draw range.
    bool computeBounds() override;
    bool createCollider() override;

    // Holds `buffer` (may be null) in `slot`, releasing the slot's old buffer; slots past 15 are ignored.
    void setVertexBuffer(VertexBuffer* buffer, uint32_t slot);
    VertexBuffer* getVertexBuffer(uint32_t slot) const {
        return slot < MaximumBuffers ? vertexBuffers[slot].get() : nullptr;
    }
    void setRange(uint32_t newFirst, uint32_t newEnd) {
        first = newFirst;
        end = newEnd;
    }
    uint32_t getFirst() const { return first; }
    uint32_t getEnd() const { return end; }
    // One more than the last slot that holds a buffer.
    uint32_t getBufferCount() const { return bufferCount; }
    // The smallest vertex count among the buffers held.
    uint32_t getVertexCount() const { return vertexCount; }
    // The attributes the buffers held provide together.
    uint32_t getAttributes() const { return attributes; }

protected:
    // The model-space positions that colliders and triangle meshes are made of, and the index values
    // naming them (none for a vertex mesh); false when they cannot be read.
    virtual bool readGeometry(container::Array<math::Vector3<float>>& vertices,
                              container::Array<unsigned int>& indices) const;
    // Sets the bounds from `count` positions starting at vertex `start` (cut at the buffer's end).
    bool measure(uint32_t start, uint32_t count);
    // Points GL's arrays into every buffer held.
    void setPointers() const;

    object::Pointer<VertexBuffer> vertexBuffers[MaximumBuffers];
    uint32_t bufferCount = 0;
    uint32_t vertexCount = 0;
    uint32_t attributes = 0;
    uint32_t first = 0;
    uint32_t end = 0;
};

} // namespace korvane::graphics3d
