#pragma once

#include <cstdint>

#include "container/Array.h"
#include "graphics3d/Appearance.h"
#include "graphics3d/Mesh.h"
#include "graphics3d/VertexFormat.h"
#include "object/Noncopyable.h"
#include "object/Object.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

/// Builds a mesh procedurally: fill the current-vertex template `vertex`, append it with addVertex(),
/// append indices with addIndex(), then build() packs the vertices into a static vertex buffer in the
/// layout of the attributes asked for (position, normal, colour without alpha, texture coordinates of
/// unit 0, in that order, all floats) and the indices into a static buffer of 32-bit indices. Vertices are
/// neither welded nor reordered. build() leaves the builder as it is; reset() starts over.
/// build() runs on the thread whose GL context is current, since it makes the buffers there.
class MeshBuilder : public object::Object, public object::Noncopyable {
public:
    struct Vertex {
        float position[3];
        float normal[3];
        float colour[4];
        float texCoord[2];
    };

    /// The attributes a builder can write.
    static constexpr uint32_t Attributes =
        attribute::Position | attribute::Normal | attribute::Colour | attribute::TextureCoordinate0;

    MeshBuilder();

    types::String getClassPath() const override;

    /// Chooses the attributes written (those of `mask` that a builder can write) and the vertex layout.
    void setAttributes(uint32_t mask);
    /// Back to triangles, positions only, no vertices or indices (their storage freed) and the template
    /// at position (0, 0, 0), normal (1, 0, 0), colour (1, 1, 1, 0), texture coordinates (0, 0).
    void reset();

    void setPosition(float x, float y, float z) {
        vertex.position[0] = x;
        vertex.position[1] = y;
        vertex.position[2] = z;
    }
    void setNormal(float x, float y, float z) {
        vertex.normal[0] = x;
        vertex.normal[1] = y;
        vertex.normal[2] = z;
    }
    void setColour(float red, float green, float blue, float alpha) {
        vertex.colour[0] = red;
        vertex.colour[1] = green;
        vertex.colour[2] = blue;
        vertex.colour[3] = alpha;
    }
    void setTexCoord(float s, float t) {
        vertex.texCoord[0] = s;
        vertex.texCoord[1] = t;
    }
    /// Appends a copy of the template.
    void addVertex() { vertices.append(vertex); }
    void addIndex(uint32_t index) {
        indices.append(index);
        if (index > maximumIndex)
            maximumIndex = index;
    }

    /// A new mesh owned by the caller: an IndexMesh when there are indices and their buffer could be made,
    /// else a VertexMesh, with the primitive, the appearance and measured bounds. Null when there are no
    /// vertices or no attributes, an index names a vertex that was not appended, or the vertex buffer cannot
    /// be made or filled.
    Mesh* build();

    void setPrimitive(uint32_t newPrimitive) { primitive = newPrimitive; }
    uint32_t getPrimitive() const { return primitive; }
    void setAppearance(Appearance* newAppearance) { appearance = newAppearance; }
    Appearance* getAppearance() const { return appearance; }
    uint32_t getAttributes() const { return attributes; }
    const VertexFormat& getFormat() const { return format; }
    const container::Array<Vertex>& getVertices() const { return vertices; }
    const container::Array<uint32_t>& getIndices() const { return indices; }
    uint32_t getMaximumIndex() const { return maximumIndex; }

    /// The current-vertex template.
    Vertex vertex{};

private:
    uint32_t primitive = 0;
    object::Pointer<Appearance> appearance;
    uint32_t attributes = 0;
    VertexFormat format;
    container::Array<uint32_t> indices;
    container::Array<Vertex> vertices;
    uint32_t maximumIndex = 0;
};

} // namespace korvane::graphics3d
