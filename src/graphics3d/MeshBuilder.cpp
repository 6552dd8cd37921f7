#include "graphics3d/MeshBuilder.h"

#include <cstring>

#include "graphics3d/IndexBuffer.h"
#include "graphics3d/IndexMesh.h"
#include "graphics3d/TypeCode.h"
#include "graphics3d/VertexBuffer.h"
#include "graphics3d/VertexMesh.h"

namespace korvane::graphics3d {

MeshBuilder::MeshBuilder() {
    reset();
}

types::String MeshBuilder::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":MeshBuilder");
}

void MeshBuilder::setAttributes(uint32_t mask) {
    attributes = mask & Attributes;
    format = VertexFormat();
    if (attributes & attribute::Position)
        format.add(type::Float3, attribute::Position);
    if (attributes & attribute::Normal)
        format.add(type::Float3, attribute::Normal);
    if (attributes & attribute::Colour)
        format.add(type::Float3, attribute::Colour);
    if (attributes & attribute::TextureCoordinate0)
        format.add(type::Float2, attribute::TextureCoordinate0);
}

void MeshBuilder::reset() {
    primitive = geometry::primitive::Triangles;
    maximumIndex = 0;
    vertex = Vertex{{0, 0, 0}, {1, 0, 0}, {1, 1, 1, 0}, {0, 0}};
    indices = container::Array<uint32_t>();
    vertices = container::Array<Vertex>();
    setAttributes(attribute::Position);
}

Mesh* MeshBuilder::build() {
    if (vertices.isEmpty() || format.stride == 0)
        return nullptr;
    // An index past the vertices would make GL read outside the vertex buffer.
    if (!indices.isEmpty() && maximumIndex >= vertices.getCount())
        return nullptr;
    auto buffer = object::Pointer<VertexBuffer>::adopt(
        VertexBuffer::create(format, vertices.getCount(), StorageStatic));
    if (!buffer || !buffer->map(MapWriteOnly))
        return nullptr;
    if (!buffer->getData()) {
        buffer->unmap();
        return nullptr;
    }
    auto* out = static_cast<uint8_t*>(buffer->getData());
    auto write = [&out](const float* values, size_t count) {
        std::memcpy(out, values, count * sizeof(float));
        out += count * sizeof(float);
    };
    for (const Vertex& source : vertices) {
        if (attributes & attribute::Position)
            write(source.position, 3);
        if (attributes & attribute::Normal)
            write(source.normal, 3);
        if (attributes & attribute::Colour)
            write(source.colour, 3);
        if (attributes & attribute::TextureCoordinate0)
            write(source.texCoord, 2);
    }
    buffer->unmap();

    VertexMesh* mesh = nullptr;
    if (!indices.isEmpty()) {
        auto indexBuffer =
            object::Pointer<IndexBuffer>::adopt(IndexBuffer::create(4, indices.getCount(), StorageStatic));
        if (indexBuffer && indexBuffer->update(0, indices.getElements(), indices.getCount())) {
            auto* indexMesh = new IndexMesh;
            indexMesh->setIndexBuffer(indexBuffer);
            mesh = indexMesh;
        }
    }
    if (!mesh)
        mesh = new VertexMesh;
    mesh->setVertexBuffer(buffer, 0);
    mesh->setPrimitive(primitive);
    mesh->computeBounds();
    if (appearance)
        mesh->setAppearance(appearance);
    return mesh;
}

} // namespace korvane::graphics3d
