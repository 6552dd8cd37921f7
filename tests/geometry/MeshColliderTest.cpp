#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "geometry/MeshCollider3.h"
#include "geometry/TriangleMesh.h"
#include "object/Pointer.h"

namespace korvane::geometry {
namespace {

using Collider3 = MeshCollider3<float>;
using Line = Collider3::Line;
using Hit = Collider3::Hit;
using Vertex = math::Vector3<float>;

Collider3 makeCollider(std::initializer_list<Vertex> vertices,
                       std::initializer_list<unsigned int> indices = {},
                       uint32_t type = primitive::Triangles) {
    return Collider3(container::Array<Vertex>(vertices), container::Array<unsigned int>(indices), type);
}

void expectVector(const Vertex& actual, const Vertex& expected) {
    EXPECT_FLOAT_EQ(actual.x, expected.x);
    EXPECT_FLOAT_EQ(actual.y, expected.y);
    EXPECT_FLOAT_EQ(actual.z, expected.z);
}

// The triangle (-1, -1, 0), (1, -1, 0), (0, 1, 0) in the plane z = 0.
Collider3 facing() {
    return makeCollider({{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}});
}

TEST(MeshCollider, RaySegmentAndLineAcceptTheirOwnRanges) {
    const Collider3 collider = facing();
    Hit hit;
    ASSERT_TRUE(collider.intersectRay({{0, 0, 5}, {0, 0, -1}}, &hit));
    EXPECT_FLOAT_EQ(hit.distance, 5);
    expectVector(hit.point, {0, 0, 0});
    expectVector(hit.normal, {0, 0, 4}); // e1 x e2, not normalised

    Hit untouched;
    untouched.distance = -7;
    EXPECT_FALSE(collider.intersectSegment({{0, 0, 5}, {0, 0, -1}}, &untouched)) << "t = 5 lies past the end";
    EXPECT_EQ(untouched.distance, -7) << "a miss leaves the record alone";
    ASSERT_TRUE(collider.intersectSegment({{0, 0, 5}, {0, 0, -10}}, &hit));
    EXPECT_FLOAT_EQ(hit.distance, 0.5f);
    EXPECT_TRUE(collider.intersectSegment({{0, 0, 1}, {0, 0, -1}}, nullptr)) << "t = 1 is inside a segment";

    // Behind the origin: only a line reaches back.
    EXPECT_FALSE(collider.intersectRay({{0, 0, -5}, {0, 0, -1}}, &hit));
    ASSERT_TRUE(collider.intersectLine({{0, 0, -5}, {0, 0, -1}}, &hit));
    EXPECT_FLOAT_EQ(hit.distance, -5);
    expectVector(hit.point, {0, 0, 0});
}

TEST(MeshCollider, EdgesAndVerticesCountParallelRaysMiss) {
    const Collider3 collider = facing();
    Hit hit;
    EXPECT_TRUE(collider.intersectRay({{-1, -1, 5}, {0, 0, -1}}, &hit)) << "through the first corner";
    EXPECT_TRUE(collider.intersectRay({{0, 1, 5}, {0, 0, -1}}, &hit)) << "through the apex";
    EXPECT_TRUE(collider.intersectRay({{0, -1, 5}, {0, 0, -1}}, &hit)) << "on the bottom edge";
    EXPECT_FALSE(collider.intersectRay({{0, -1.01f, 5}, {0, 0, -1}}, &hit)) << "just outside";
    EXPECT_FALSE(collider.intersectLine({{-5, 0, 0}, {1, 0, 0}}, &hit)) << "in the triangle's plane";
    EXPECT_FALSE(collider.intersectLine({{-5, 0, 1}, {1, 0.5f, 0}}, &hit)) << "parallel to the plane";
    EXPECT_FALSE(collider.intersectRay({{0, 0, 5}, {0, 0, 0}}, &hit)) << "no direction";
}

TEST(MeshCollider, NearestHitWinsAndTiesGoToTheLaterTriangle) {
    // Two triangles at z = 0 and z = -2, the far one first; then a copy of the near one wound the other way.
    const Collider3 collider = makeCollider({{-1, -1, -2},
                                             {1, -1, -2},
                                             {0, 1, -2},
                                             {-1, -1, 0},
                                             {1, -1, 0},
                                             {0, 1, 0},
                                             {1, -1, 0},
                                             {-1, -1, 0},
                                             {0, 1, 0}});
    Hit hit;
    ASSERT_TRUE(collider.intersectRay({{0, 0, 5}, {0, 0, -1}}, &hit));
    EXPECT_FLOAT_EQ(hit.distance, 5);
    expectVector(hit.normal, {0, 0, -4}); // the later of the two triangles at t = 5
    ASSERT_TRUE(collider.intersectRay({{0, 0, -1}, {0, 0, -1}}, &hit));
    EXPECT_FLOAT_EQ(hit.distance, 1) << "only the far triangle lies ahead";
}

TEST(MeshCollider, StripsFansAndQuadsEnumerateTheirTriangles) {
    // A unit square in z = 0 as a strip: its second triangle is wound the other way.
    const Collider3 strip =
        makeCollider({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {}, primitive::TriangleStrip);
    Hit hit;
    ASSERT_TRUE(strip.intersectRay({{0.25f, 0.25f, 1}, {0, 0, -1}}, &hit));
    EXPECT_GT(hit.normal.z, 0);
    ASSERT_TRUE(strip.intersectRay({{0.75f, 0.75f, 1}, {0, 0, -1}}, &hit));
    EXPECT_LT(hit.normal.z, 0) << "odd strip triangles keep their vertex order";

    // The same square through indices as a fan, as quads and as a quad strip.
    for (uint32_t type : {primitive::TriangleFan, primitive::Quads, primitive::QuadStrip}) {
        const Collider3 collider =
            type == primitive::QuadStrip
                ? makeCollider({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 2, 3}, type)
                : makeCollider({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 3, 2}, type);
        for (const Vertex origin : {Vertex{0.2f, 0.7f, 1}, Vertex{0.8f, 0.3f, 1}, Vertex{0.9f, 0.9f, 1}})
            EXPECT_TRUE(collider.intersectRay({origin, {0, 0, -1}}, nullptr)) << "type " << type;
        EXPECT_FALSE(collider.intersectRay({{1.1f, 0.5f, 1}, {0, 0, -1}}, nullptr)) << "type " << type;
    }

    EXPECT_FALSE(makeCollider({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}, 0x0001)
                     .intersectLine({{0.1f, 0.1f, 1}, {0, 0, -1}}, nullptr))
        << "lines are not triangles";
    EXPECT_FALSE(makeCollider({{0, 0, 0}, {1, 0, 0}}).intersectLine({{0.1f, 0.1f, 1}, {0, 0, -1}}, nullptr));
    EXPECT_FALSE(Collider3().intersectLine({{0, 0, 1}, {0, 0, -1}}, nullptr));
}

TEST(MeshCollider, IndicesPastTheVerticesAreSkipped) {
    const Collider3 collider =
        makeCollider({{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}}, {0, 1, 7, 0, 1, 2, 0, 4000000000u, 2});
    Hit hit;
    ASSERT_TRUE(collider.intersectRay({{0, 0, 5}, {0, 0, -1}}, &hit));
    expectVector(hit.normal, {0, 0, 4});
    EXPECT_FALSE(makeCollider({{-1, -1, 0}}, {0, 1, 2}).intersectRay({{0, 0, 5}, {0, 0, -1}}, &hit));
}

TEST(MeshCollider, AnswersAlikeWithAndWithoutAHitRecord) {
    // A closed octahedron: every ray through the inside hits it twice as a line.
    const Collider3 octahedron =
        makeCollider({{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}},
                     {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5});
    uint32_t state = 12345;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24) * 4.0f - 2.0f;
    };
    int hits = 0;
    for (int i = 0; i < 500; ++i) {
        const Line line{{next(), next(), next()}, {next(), next(), next()}};
        Hit hit;
        EXPECT_EQ(octahedron.intersectRay(line, nullptr), octahedron.intersectRay(line, &hit));
        EXPECT_EQ(octahedron.intersectSegment(line, nullptr), octahedron.intersectSegment(line, &hit));
        const bool onLine = octahedron.intersectLine(line, &hit);
        EXPECT_EQ(octahedron.intersectLine(line, nullptr), onLine);
        if (onLine) {
            ++hits;
            // The point reported lies on the octahedron's surface |x| + |y| + |z| = 1.
            EXPECT_NEAR(std::fabs(hit.point.x) + std::fabs(hit.point.y) + std::fabs(hit.point.z), 1.0f,
                        1e-4f);
        }
    }
    EXPECT_GT(hits, 50);
}

TEST(TriangleMesh, SetTriangleGrowsTheIndices) {
    auto mesh = object::Pointer<TriangleMesh3<float>>::adopt(new TriangleMesh3<float>);
    EXPECT_TRUE(mesh->setTriangle(2, 7, 8, 9));
    ASSERT_EQ(mesh->indices.getCount(), 9u);
    EXPECT_EQ(mesh->indices[0], 0u) << "triangles skipped over are zero";
    EXPECT_EQ(mesh->indices[8], 9u);
    EXPECT_TRUE(mesh->setTriangle(0, 1, 2, 3));
    EXPECT_EQ(mesh->getTriangleCount(), 3u);
    EXPECT_FALSE(mesh->setTriangle(0x60000000u, 1, 2, 3)) << "cannot be numbered in 32 bits";
}

} // namespace
} // namespace korvane::geometry
