#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <set>
#include <vector>

#include "geometry/MeshCollider3.h"
#include "graphics3d/Context.h"
#include "graphics3d/IndexMesh.h"
#include "graphics3d/MeshBuilder.h"
#include "graphics3d/TypeCode.h"
#include "graphics3d/VertexMesh.h"
#include "object/Pointer.h"
#include "support/graphics3d/BufferContents.h"
#include "support/graphics3d/GLTestWindow.h"

namespace korvane::graphics3d {
namespace {

using math::Vector3;
using object::Pointer;

constexpr int Size = 256;

// A buffer of `count` vertices of one position entry of type `code`, filled with `bytes`.
Pointer<VertexBuffer> positionBuffer(uint32_t code, uint32_t count, const void* bytes,
                                     uint32_t storage = StorageStatic) {
    VertexFormat format;
    format.add(code, attribute::Position);
    auto buffer = Pointer<VertexBuffer>::adopt(VertexBuffer::create(format, count, storage));
    EXPECT_TRUE(buffer && buffer->map(MapWriteOnly));
    std::memcpy(buffer->getData(), bytes, buffer->getByteSize());
    buffer->unmap();
    return buffer;
}

Pointer<IndexBuffer> indexBuffer(const std::vector<uint16_t>& values) {
    auto buffer = Pointer<IndexBuffer>::adopt(IndexBuffer::create(2, uint32_t(values.size()), StorageStatic));
    EXPECT_TRUE(buffer && buffer->update(0, values.data(), uint32_t(values.size())));
    return buffer;
}

// Points on row 128 of the window, point i at column 5 + 14 i, in normalised device coordinates.
Pointer<VertexBuffer> pointRow(uint32_t count) {
    std::vector<float> positions;
    for (uint32_t i = 0; i < count; ++i)
        positions.insert(positions.end(), {(5 + 14.0f * i + 0.5f) / (Size / 2) - 1, 0.5f / (Size / 2), 0});
    return positionBuffer(type::Float3, count, positions.data());
}

class MeshTest : public test::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        glViewport(0, 0, Size, Size);
        for (const uint32_t mode : {GL_PROJECTION, GL_MODELVIEW}) {
            context->matrixStack.setMode(mode);
            glLoadIdentity();
        }
        plain = Pointer<Appearance>::adopt(new Appearance); // white, unlit, positions only
    }
    // The appearance holds the context's default states: it goes before the context does.
    void TearDown() override {
        plain = nullptr;
        GLTest::TearDown();
    }

    // The points of pointRow() that a draw of `mesh` lights.
    std::set<int> drawnPoints(Mesh& mesh) {
        return drawnPointsOf([&] { mesh.draw(); });
    }
    template <typename Draw> std::set<int> drawnPointsOf(Draw draw) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        draw();
        std::vector<uint8_t> row(Size);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, Size / 2, Size, 1, GL_RED, GL_UNSIGNED_BYTE, row.data());
        std::set<int> lit;
        for (int x = 0; x < Size; ++x) {
            if (row[x] == 0)
                continue;
            EXPECT_EQ((x - 5) % 14, 0) << "a pixel between the points at " << x;
            lit.insert((x - 5) / 14);
        }
        return lit;
    }

    static std::set<int> points(int from, int to) {
        std::set<int> all;
        for (int i = from; i < to; ++i)
            all.insert(i);
        return all;
    }

    Pointer<Appearance> plain;
};

TEST_F(MeshTest, VertexMeshDrawsItsRangeCutAtTheSmallestBuffer) {
    VertexMesh mesh;
    mesh.setPrimitive(GL_POINTS);
    mesh.setAppearance(plain);
    EXPECT_TRUE(drawnPoints(mesh).empty()) << "no buffers";
    mesh.setVertexBuffer(pointRow(10), 0);
    EXPECT_EQ(drawnPoints(mesh), points(0, 10));
    mesh.setRange(3, 9);
    EXPECT_EQ(drawnPoints(mesh), points(3, 9));
    mesh.setRange(3, 100);
    EXPECT_EQ(drawnPoints(mesh), points(3, 10));
    mesh.setRange(9, 3);
    EXPECT_TRUE(drawnPoints(mesh).empty());
    mesh.setRange(0, 0);

    // A second buffer of 8 vertices in slot 5: no vertex past its end is drawn.
    VertexFormat colourFormat;
    colourFormat.add(type::Float3, attribute::Colour);
    auto shorter = Pointer<VertexBuffer>::adopt(VertexBuffer::create(colourFormat, 8, StorageStatic));
    mesh.setVertexBuffer(shorter, 5);
    EXPECT_EQ(mesh.getBufferCount(), 6u);
    EXPECT_EQ(mesh.getVertexCount(), 8u);
    EXPECT_EQ(mesh.getAttributes(), attribute::Position | attribute::Colour);
    EXPECT_EQ(shorter->getReferenceCount(), 2);
    EXPECT_EQ(drawnPoints(mesh), points(0, 8));
    mesh.setVertexBuffer(nullptr, 5);
    EXPECT_EQ(shorter->getReferenceCount(), 1);
    EXPECT_EQ(mesh.getBufferCount(), 1u);
    EXPECT_EQ(mesh.getVertexCount(), 10u);
    mesh.setVertexBuffer(shorter, 16); // no such slot
    EXPECT_EQ(mesh.getBufferCount(), 1u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Takes the buffer-object entry points away for its lifetime when asked, so that meshes draw from client
// memory.
struct ClientMemoryOnly {
    explicit ClientMemoryOnly(bool asked) {
        if (asked) {
            noCore.emplace(__glewBindBuffer);
            noARB.emplace(__glewBindBufferARB);
        }
    }
    std::optional<test::MissingEntryPoint<PFNGLBINDBUFFERPROC>> noCore;
    std::optional<test::MissingEntryPoint<PFNGLBINDBUFFERARBPROC>> noARB;
};

TEST_F(MeshTest, IndexMeshDrawsItsRangeFromTheIndexBuffer) {
    // Index i names point 17 - i.
    std::vector<uint16_t> reversed(18);
    for (uint16_t i = 0; i < 18; ++i)
        reversed[i] = 17 - i;
    for (const bool bufferObjects : {true, false}) {
        SCOPED_TRACE(bufferObjects ? "buffer objects" : "client memory");
        const ClientMemoryOnly clientMemory(!bufferObjects);
        IndexMesh mesh;
        mesh.setPrimitive(GL_POINTS);
        mesh.setAppearance(plain);
        mesh.setVertexBuffer(pointRow(18), 0);
        EXPECT_TRUE(drawnPoints(mesh).empty()) << "no index buffer";
        mesh.setIndexBuffer(indexBuffer(reversed));
        ASSERT_EQ(mesh.getIndexBuffer()->getBufferObject() != 0, bufferObjects);
        EXPECT_EQ(drawnPoints(mesh), points(0, 18));
        EXPECT_EQ(context->indexType, GLenum(GL_UNSIGNED_SHORT));
        EXPECT_EQ(context->indexSize, 2u);
        // Indices 6 to 11 start 12 bytes in.
        mesh.setRange(6, 12);
        EXPECT_EQ(drawnPoints(mesh), points(6, 12));
        mesh.setRange(6, 1000);
        EXPECT_EQ(drawnPoints(mesh), points(0, 12));
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// Indices set by hand that name vertices past the buffers' end are never handed to GL, whose reads would
// run past the vertex arrays: whole draws refuse them, ranges and runs that avoid them still draw, and a
// mended buffer draws again.
TEST_F(MeshTest, IndexMeshNeverDrawsIndicesPastItsVertices) {
    const std::vector<uint32_t> values = {0, 1, 2, 0x7ffffff0u, 3, 4};
    for (const bool bufferObjects : {true, false}) {
        SCOPED_TRACE(bufferObjects ? "buffer objects" : "client memory");
        const ClientMemoryOnly clientMemory(!bufferObjects);
        IndexMesh mesh;
        mesh.setPrimitive(GL_POINTS);
        mesh.setAppearance(plain);
        mesh.setVertexBuffer(pointRow(18), 0);
        auto indices =
            Pointer<IndexBuffer>::adopt(IndexBuffer::create(4, uint32_t(values.size()), StorageStatic));
        ASSERT_TRUE(indices->update(0, values.data(), uint32_t(values.size())));
        mesh.setIndexBuffer(indices);
        EXPECT_TRUE(drawnPoints(mesh).empty());
        mesh.setRange(0, 3);
        EXPECT_EQ(drawnPoints(mesh), points(0, 3));
        mesh.setRange(4, 6);
        EXPECT_EQ(drawnPoints(mesh), points(3, 5));
        const uint32_t firsts[] = {0, 2, 4};
        const int32_t counts[] = {2, 2, 2};
        EXPECT_EQ(drawnPointsOf([&] { mesh.drawPieces(firsts, counts, 3); }), (std::set<int>{0, 1, 3, 4}));

        mesh.setRange(0, 0);
        const uint32_t five = 5;
        ASSERT_TRUE(indices->update(3, &five, 1));
        EXPECT_EQ(drawnPoints(mesh), points(0, 6));
        // Fewer vertices than the indices name.
        mesh.setVertexBuffer(pointRow(5), 0);
        EXPECT_TRUE(drawnPoints(mesh).empty());
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(MeshTest, BuilderPacksTheAttributesAskedFor) {
    MeshBuilder builder;
    EXPECT_EQ(builder.build(), nullptr) << "no vertices";
    builder.setAttributes(0x1005 | 0x8000);
    EXPECT_EQ(builder.getAttributes(), 0x1005u);
    EXPECT_EQ(builder.getFormat().stride, 32u);
    builder.setPosition(-1, 0, 2);
    builder.setNormal(0, 1, 0);
    builder.setTexCoord(0.25f, 0.75f);
    builder.addVertex();
    builder.setPosition(3, 4, 2);
    builder.addVertex();
    builder.setAppearance(plain);

    auto mesh = Pointer<Mesh>::adopt(builder.build());
    ASSERT_NE(mesh, nullptr);
    auto* vertexMesh = dynamic_cast<VertexMesh*>(mesh.get());
    ASSERT_NE(vertexMesh, nullptr);
    EXPECT_EQ(dynamic_cast<IndexMesh*>(mesh.get()), nullptr) << "no indices, no index mesh";
    EXPECT_EQ(mesh->getAppearance(), plain.get());
    VertexBuffer* buffer = vertexMesh->getVertexBuffer(0);
    EXPECT_EQ(buffer->getReferenceCount(), 1) << "the builder kept no reference";
    EXPECT_NE(buffer->getBufferObject(), 0u);
    EXPECT_EQ(test::readFloats(*buffer, 0, 8),
              (std::vector<std::vector<float>>{{-1, 0, 2, 0, 1, 0, 0.25f, 0.75f},
                                               {3, 4, 2, 0, 1, 0, 0.25f, 0.75f}}));
    // Bounds measured on the way.
    const BoundingBox& bounds = mesh->getBounds();
    EXPECT_EQ(bounds.center, (Vector3<float>{1, 2, 2}));
    EXPECT_EQ(bounds.axes[0], (Vector3<float>{2, 0, 0}));
    EXPECT_EQ(bounds.axes[1], (Vector3<float>{0, 2, 0}));
    EXPECT_EQ(bounds.axes[2], (Vector3<float>{0, 0, 0}));
    EXPECT_EQ((std::vector<float>(bounds.squaredLengths, bounds.squaredLengths + 3)),
              (std::vector<float>{4, 4, 0}));

    // Colours go without alpha; indices make an index mesh of 32-bit indices.
    builder.setAttributes(attribute::Position | attribute::Colour);
    builder.setColour(0.5f, 0.25f, 0.125f, 0.9f);
    builder.addVertex();
    builder.addIndex(2);
    builder.addIndex(0);
    builder.setPrimitive(GL_LINES);
    auto indexed = Pointer<Mesh>::adopt(builder.build());
    auto* indexMesh = dynamic_cast<IndexMesh*>(indexed.get());
    ASSERT_NE(indexMesh, nullptr);
    EXPECT_EQ(indexMesh->getPrimitive(), GLenum(GL_LINES));
    EXPECT_EQ(indexMesh->getVertexBuffer(0)->getStride(), 24u);
    EXPECT_EQ(test::readFloats(*indexMesh->getVertexBuffer(0), 12, 3)[2],
              (std::vector<float>{0.5f, 0.25f, 0.125f}));
    EXPECT_EQ(indexMesh->getIndexBuffer()->getIndexSize(), 4u);
    EXPECT_EQ(test::readIndices(*indexMesh->getIndexBuffer()), (std::vector<uint32_t>{2, 0}));
    EXPECT_EQ(builder.getVertices().getCount(), 3u) << "building keeps the builder's contents";

    // An index naming a vertex that was never appended would let GL read past the buffer.
    builder.addIndex(3);
    EXPECT_EQ(builder.build(), nullptr);

    builder.reset();
    EXPECT_TRUE(builder.getVertices().isEmpty());
    EXPECT_EQ(builder.getIndices().getCapacity(), 0u);
    EXPECT_EQ(builder.getMaximumIndex(), 0u);
    EXPECT_EQ(builder.getAttributes(), attribute::Position);
    EXPECT_EQ(builder.vertex.normal[0], 1.0f);
    EXPECT_EQ(builder.vertex.colour[3], 0.0f);
}

TEST_F(MeshTest, BoundsReadBytePositionsUnsignedAndWiderTypesSigned) {
    // Byte positions measure as 0 to 255, while colliders read the same bytes as -128 to 127.
    const uint8_t unsignedBytes[6] = {200, 0, 2, 3, 4, 2};
    VertexMesh byteMesh;
    byteMesh.setVertexBuffer(positionBuffer(0x00030301, 2, unsignedBytes), 0);
    ASSERT_TRUE(byteMesh.computeBounds());
    EXPECT_EQ(byteMesh.getBounds().center, (Vector3<float>{101.5f, 2, 2}));
    EXPECT_EQ(byteMesh.getBounds().axes[0], (Vector3<float>{98.5f, 0, 0}));
    IndexMesh byteIndexed;
    byteIndexed.setVertexBuffer(byteMesh.getVertexBuffer(0), 0);
    ASSERT_TRUE(byteIndexed.computeBounds());
    EXPECT_EQ(byteIndexed.getBounds().center, (Vector3<float>{101.5f, 2, 2}));
    ASSERT_TRUE(byteMesh.createCollider());
    auto* byteCollider = dynamic_cast<geometry::MeshCollider3<float>*>(byteMesh.getCollider());
    ASSERT_NE(byteCollider, nullptr);
    EXPECT_EQ(byteCollider->getVertices()[0], (Vector3<float>{-56, 0, 2}));

    const int16_t shorts[8] = {-1, 0, 2, 99, 3, 4, 2, -99}; // the fourth component is ignored
    const int32_t ints[6] = {-1, 0, 2, 3, 4, 2};
    const double doubles[6] = {-1, 0, 2, 3, 4, 2};
    for (const auto& [code, data] :
         {std::pair<uint32_t, const void*>{0x00080402, shorts}, {0x000C0304, ints}, {0x00180328, doubles}}) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        VertexMesh mesh;
        mesh.setVertexBuffer(positionBuffer(code, 2, data), 0);
        ASSERT_TRUE(mesh.computeBounds());
        EXPECT_EQ(mesh.getBounds().center, (Vector3<float>{1, 2, 2}));
        EXPECT_EQ(mesh.getBounds().axes[0], (Vector3<float>{2, 0, 0}));
        ASSERT_TRUE(mesh.createCollider());
        auto* collider = dynamic_cast<geometry::MeshCollider3<float>*>(mesh.getCollider());
        ASSERT_NE(collider, nullptr);
        EXPECT_EQ(collider->getVertices()[0], (Vector3<float>{-1, 0, 2})) << "colliders read alike";
    }

    // The range limits a vertex mesh's bounds, never an index mesh's.
    const float floats[9] = {0, 0, 0, 1, 1, 1, 5, 5, 5};
    IndexMesh indexed;
    indexed.setVertexBuffer(positionBuffer(type::Float3, 3, floats), 0);
    indexed.setRange(0, 2);
    ASSERT_TRUE(indexed.computeBounds());
    EXPECT_EQ(indexed.getBounds().center, (Vector3<float>{2.5f, 2.5f, 2.5f}));
    VertexMesh ranged;
    ranged.setVertexBuffer(indexed.getVertexBuffer(0), 0);
    ranged.setRange(0, 2);
    ASSERT_TRUE(ranged.computeBounds());
    EXPECT_EQ(ranged.getBounds().center, (Vector3<float>{0.5f, 0.5f, 0.5f}));

    // Positions of two components cannot be measured; the old box stays.
    VertexMesh flat;
    flat.setVertexBuffer(positionBuffer(type::Float2, 3, floats), 0);
    EXPECT_FALSE(flat.computeBounds());
    EXPECT_FALSE(flat.createCollider());
    EXPECT_EQ(flat.createTriangleMesh(), nullptr);
    EXPECT_EQ(flat.getBounds().axes[0].x, 0);
    EXPECT_FALSE(VertexMesh().computeBounds()) << "no positions at all";
}

TEST_F(MeshTest, CollidersOfASubRangeRenumberTheirVertices) {
    std::vector<float> positions;
    for (int i = 0; i < 10; ++i)
        positions.insert(positions.end(), {float(i), float(i * i), 0});
    IndexMesh mesh;
    mesh.setVertexBuffer(positionBuffer(type::Float3, 10, positions.data()), 0);
    mesh.setIndexBuffer(indexBuffer({0, 1, 2, 3, 4, 5, 7, 3, 9, 9, 3, 8, 0, 0, 0}));

    mesh.setRange(6, 12);
    EXPECT_TRUE(mesh.hasSubRange());
    ASSERT_TRUE(mesh.createCollider());
    auto* collider = dynamic_cast<geometry::MeshCollider3<float>*>(mesh.getCollider());
    ASSERT_NE(collider, nullptr);
    EXPECT_EQ(std::vector<unsigned int>(collider->getIndices().begin(), collider->getIndices().end()),
              (std::vector<unsigned int>{0, 1, 2, 2, 1, 3}));
    ASSERT_EQ(collider->getVertices().getCount(), 4u);
    for (const auto& [number, vertex] : {std::pair{0, 7}, {1, 3}, {2, 9}, {3, 8}})
        EXPECT_EQ(collider->getVertices()[number],
                  (Vector3<float>{float(vertex), float(vertex * vertex), 0}));
    EXPECT_EQ(collider->getPrimitive(), GLenum(GL_TRIANGLES));
    auto triangles = Pointer<geometry::TriangleMesh3<float>>::adopt(mesh.createTriangleMesh());
    ASSERT_NE(triangles, nullptr);
    EXPECT_EQ(triangles->vertices.getCount(), 4u);
    EXPECT_EQ(triangles->getTriangleCount(), 2u);

    // The whole buffer, as a range or as no range, keeps every vertex and index.
    for (const auto& [first, end] : {std::pair{0u, 15u}, {4u, 4u}}) {
        mesh.setRange(first, end);
        EXPECT_FALSE(mesh.hasSubRange());
        ASSERT_TRUE(mesh.createCollider());
        collider = dynamic_cast<geometry::MeshCollider3<float>*>(mesh.getCollider());
        EXPECT_EQ(collider->getVertices().getCount(), 10u);
        EXPECT_EQ(collider->getIndices().getCount(), 15u);
        EXPECT_EQ(collider->getIndices()[8], 9u);
    }

    // An index past the vertices: nothing is built and the old collider stays.
    const Pointer<Mesh::Collider> kept = mesh.getCollider();
    mesh.setIndexBuffer(indexBuffer({0, 1, 10}));
    EXPECT_FALSE(mesh.createCollider());
    EXPECT_EQ(mesh.getCollider(), kept.get());
    EXPECT_EQ(mesh.createTriangleMesh(), nullptr);
    mesh.setRange(0, 2);
    EXPECT_TRUE(mesh.createCollider()) << "the range leaves the bad index out";
    mesh.setRange(2, 3);
    EXPECT_FALSE(mesh.createCollider());
    EXPECT_FALSE(IndexMesh().createCollider()) << "no buffers";
}

TEST_F(MeshTest, TriangleExportFollowsTheDrawingOrder) {
    std::vector<float> positions(3 * 8);
    for (int i = 0; i < 8; ++i)
        positions[3 * i] = float(i);
    auto vertices = positionBuffer(type::Float3, 8, positions.data());
    auto exported = [](const Mesh& mesh) {
        auto triangles = Pointer<geometry::TriangleMesh3<float>>::adopt(mesh.createTriangleMesh());
        EXPECT_NE(triangles, nullptr);
        return triangles ? std::vector<unsigned int>(triangles->indices.begin(), triangles->indices.end())
                         : std::vector<unsigned int>{};
    };

    // Five vertices as a strip, drawn with and without indices: the same triangles, wound as GL winds them.
    VertexMesh strip;
    strip.setVertexBuffer(vertices, 0);
    strip.setRange(0, 5);
    strip.setPrimitive(GL_TRIANGLE_STRIP);
    IndexMesh indexedStrip;
    indexedStrip.setVertexBuffer(vertices, 0);
    indexedStrip.setIndexBuffer(indexBuffer({0, 1, 2, 3, 4}));
    indexedStrip.setPrimitive(GL_TRIANGLE_STRIP);
    const std::vector<unsigned int> expected = {0, 1, 2, 2, 1, 3, 2, 3, 4};
    EXPECT_EQ(exported(strip), expected);
    EXPECT_EQ(exported(indexedStrip), expected);
    // Strips joined by a repeated index lose the triangles without area.
    indexedStrip.setIndexBuffer(indexBuffer({0, 1, 2, 2, 3, 4}));
    EXPECT_EQ(exported(indexedStrip), (std::vector<unsigned int>{0, 1, 2, 3, 2, 4}));

    strip.setPrimitive(GL_TRIANGLE_FAN);
    EXPECT_EQ(exported(strip), (std::vector<unsigned int>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
    strip.setRange(0, 0);
    strip.setPrimitive(GL_QUADS);
    EXPECT_EQ(exported(strip), (std::vector<unsigned int>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
    strip.setPrimitive(GL_LINES);
    EXPECT_TRUE(exported(strip).empty());
    auto linesOnly = Pointer<geometry::TriangleMesh3<float>>::adopt(strip.createTriangleMesh());
    EXPECT_EQ(linesOnly->vertices.getCount(), 8u) << "the vertices without triangles";
    indexedStrip.setPrimitive(GL_TRIANGLE_FAN);
    indexedStrip.setIndexBuffer(indexBuffer({4, 1, 2, 3}));
    EXPECT_EQ(exported(indexedStrip), (std::vector<unsigned int>{4, 1, 2, 4, 2, 3}));
}

} // namespace
} // namespace korvane::graphics3d
