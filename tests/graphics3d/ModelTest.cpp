#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "graphics3d/Context.h"
#include "graphics3d/GeometryModel.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/MeshBuilder.h"
#include "graphics3d/ModelGeometry.h"
#include "graphics3d/ParameterBuffer.h"
#include "graphics3d/SkyModel.h"
#include "graphics3d/TypeCode.h"
#include "math/Matrix.h"
#include "object/Pointer.h"
#include "support/graphics3d/BufferContents.h"
#include "support/graphics3d/GLTestWindow.h"
#include "support/graphics3d/Queries.h"

namespace korvane::graphics3d {
namespace {

using math::Matrix;
using math::Vector3;
using object::Pointer;
using test::primitives;

constexpr int Size = 256;
constexpr float Near = 1.0f;
constexpr float Far = 5000.0f;

// A parameter block for `model` holding `modelview`.
Pointer<ParameterBuffer> parametersFor(const Model& model, const Matrix& modelview) {
    auto parameters = Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(model.getParameters()));
    EXPECT_TRUE(parameters->set("modelview", modelview.data(), sizeof modelview.elements));
    return parameters;
}

float distanceTo(const std::vector<float>& position) {
    return std::sqrt(position[0] * position[0] + position[1] * position[1] + position[2] * position[2]);
}

class ModelTest : public test::GLTest {
protected:
    // A 90-degree view of the whole window into a cleared, depth-tested frame buffer.
    void beginFrame() {
        glViewport(0, 0, Size, Size);
        context->matrixStack.setMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-0.5 * Near, 0.5 * Near, -0.5 * Near, 0.5 * Near, Near, Far);
        glClearColor(0, 0, 0, 0);
        glClearDepth(1);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    std::vector<uint8_t> readRed() {
        std::vector<uint8_t> pixels(Size * Size);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Size, Size, GL_RED, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
};

TEST_F(ModelTest, SphereIsBuiltFromRingsIntoStaticBufferObjects) {
    for (const bool sky : {false, true}) {
        SCOPED_TRACE(sky ? "sky" : "geometry");
        Pointer<Model> model = sky ? Pointer<Model>::adopt(new SkyModel(0, 50, 75))
                                   : Pointer<Model>::adopt(new GeometryModel(0, 50, 75));
        IndexMesh& mesh =
            sky ? static_cast<SkyModel*>(model.get())->mesh : static_cast<GeometryModel*>(model.get())->mesh;
        ASSERT_EQ(model->getMeshes().getCount(), 1u);
        EXPECT_EQ(model->getMeshes()[0], &mesh);
        VertexBuffer* vertices = mesh.getVertexBuffer(0);
        IndexBuffer* indices = mesh.getIndexBuffer();
        ASSERT_NE(vertices, nullptr);
        ASSERT_NE(indices, nullptr);
        EXPECT_EQ(vertices->getCount(), 2888u);
        EXPECT_EQ(indices->getCount(), 5698u);
        EXPECT_EQ(mesh.getPrimitive(), GLenum(GL_TRIANGLE_STRIP));
        // Drawn straight from GL's memory.
        EXPECT_NE(vertices->getBufferObject(), 0u);
        EXPECT_NE(indices->getBufferObject(), 0u);
        EXPECT_EQ(vertices->getStorage(), uint32_t(StorageStatic));
        EXPECT_EQ(vertices->getStride(), 32u);
        EXPECT_EQ(model->getModelviewOffset(), 0);
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_FLOAT_EQ(math::length(model->getBounds().axes[axis]), 50);

        // Every vertex on the sphere, its normal of unit length and pointing out (in for the sky).
        const auto layout = test::readFloats(*vertices, 0, 8);
        ASSERT_EQ(layout.size(), 2888u);
        for (const std::vector<float>& vertex : layout) {
            ASSERT_NEAR(distanceTo(vertex), 50, 1e-3);
            const float outwards =
                (vertex[0] * vertex[3] + vertex[1] * vertex[4] + vertex[2] * vertex[5]) / 50;
            ASSERT_NEAR(outwards, sky ? -1 : 1, 1e-5);
        }
        // Texture coordinates run one band ahead of the latitude.
        EXPECT_FLOAT_EQ(layout[76][7], 4.0f / 75);
        EXPECT_FLOAT_EQ(layout[76 + 10][6], 10.0f / 75);
        EXPECT_FLOAT_EQ(layout[2887][7], 1.0f);
    }
}

// The ring (0 = bottom) of every vertex of the strips of a sphere of `segments` segments, and whether the
// triangles of the strip each either have no area or lie between two neighbouring rings.
void expectStripsJoinCleanly(IndexMesh& mesh, int segments) {
    const auto indices = test::readIndices(*mesh.getIndexBuffer());
    const auto positions = test::readFloats(*mesh.getVertexBuffer(0), 0, 3);
    const uint32_t ringSize = uint32_t(segments) + 1;
    for (size_t i = 0; i + 2 < indices.size(); ++i) {
        const uint32_t a = indices[i], b = indices[i + 1], c = indices[i + 2];
        ASSERT_LT(std::max({a, b, c}), positions.size());
        const uint32_t lowest = std::min({a, b, c}) / ringSize;
        const uint32_t highest = std::max({a, b, c}) / ringSize;
        if (highest - lowest <= 1)
            continue;
        const Vector3<float> pa{positions[a][0], positions[a][1], positions[a][2]};
        const Vector3<float> pb{positions[b][0], positions[b][1], positions[b][2]};
        const Vector3<float> pc{positions[c][0], positions[c][1], positions[c][2]};
        EXPECT_LT(math::length(math::cross(pb - pa, pc - pa)), 1e-3f)
            << "triangle " << i << " (" << a << ", " << b << ", " << c << ") spans rings " << lowest << " to "
            << highest;
    }
}

TEST_F(ModelTest, SphereStripsJoinWithoutStrayTriangles) {
    GeometryModel smallest(0, 1, 3);
    SkyModel smallestSky(0, 1, 3);
    // Three segments: the two pole rings and one strip between them.
    EXPECT_EQ(smallest.mesh.getVertexBuffer(0)->getCount(), 8u);
    EXPECT_EQ(test::readIndices(*smallest.mesh.getIndexBuffer()),
              (std::vector<uint32_t>{0, 4, 1, 5, 2, 6, 3, 7, 7, 7}));
    EXPECT_EQ(test::readIndices(*smallestSky.mesh.getIndexBuffer()),
              (std::vector<uint32_t>{4, 0, 5, 1, 6, 2, 7, 3, 7, 7}));

    for (const int segments : {4, 9, 20}) {
        SCOPED_TRACE(segments);
        GeometryModel geometry(0, 10, segments);
        SkyModel sky(0, 10, segments);
        expectStripsJoinCleanly(geometry.mesh, segments);
        expectStripsJoinCleanly(sky.mesh, segments);
    }
}

TEST_F(ModelTest, BoxTrianglesFaceOutwardsOrInwardsForTheSky) {
    const std::vector<uint32_t> outwards = {3, 2, 1, 1, 2, 0, 5, 4, 7, 7, 4, 6, 1, 0, 5, 5, 0, 4,
                                            7, 6, 3, 3, 6, 2, 6, 4, 2, 2, 4, 0, 3, 1, 7, 7, 1, 5};
    const std::vector<uint32_t> inwards = {2, 3, 1, 1, 0, 2, 4, 5, 7, 7, 6, 4, 0, 1, 5, 5, 4, 0,
                                           6, 7, 3, 3, 2, 6, 4, 6, 2, 2, 0, 4, 1, 3, 7, 7, 5, 1};
    GeometryModel box(1, 2, 0);
    SkyModel sky(2, 2, 20);
    for (IndexMesh* mesh : {&box.mesh, &sky.mesh}) {
        const bool isSky = mesh == &sky.mesh;
        SCOPED_TRACE(isSky ? "sky" : "geometry");
        ASSERT_NE(mesh->getIndexBuffer(), nullptr);
        EXPECT_EQ(mesh->getIndexBuffer()->getIndexSize(), 2u);
        EXPECT_EQ(mesh->getPrimitive(), GLenum(GL_TRIANGLES));
        const auto indices = test::readIndices(*mesh->getIndexBuffer());
        EXPECT_EQ(indices, isSky ? inwards : outwards);

        const auto vertices = test::readFloats(*mesh->getVertexBuffer(0), 0, 9);
        ASSERT_EQ(vertices.size(), 8u);
        // Vertex 5: x and z positive; normal towards the centre; texture direction with z turned.
        const std::vector<float> fifth = {
            2, -2, 2, -1 / std::sqrt(3.0f), 1 / std::sqrt(3.0f), -1 / std::sqrt(3.0f), 1, -1, -1};
        for (int i = 0; i < 9; ++i)
            EXPECT_FLOAT_EQ(vertices[5][i], fifth[i]) << i;
        // Counter-clockwise seen from outside (geometry) or from inside (sky).
        for (size_t t = 0; t < indices.size(); t += 3) {
            const auto& a = vertices[indices[t]];
            const auto& b = vertices[indices[t + 1]];
            const auto& c = vertices[indices[t + 2]];
            const Vector3<float> normal = math::cross(Vector3<float>{b[0] - a[0], b[1] - a[1], b[2] - a[2]},
                                                      Vector3<float>{c[0] - a[0], c[1] - a[1], c[2] - a[2]});
            const Vector3<float> centroid{a[0] + b[0] + c[0], a[1] + b[1] + c[1], a[2] + b[2] + c[2]};
            EXPECT_EQ(math::dot(normal, centroid) > 0, !isSky) << "triangle " << t / 3;
        }
    }
}

TEST_F(ModelTest, UnknownKindsThrowAndAnEmptySkyIsHarmless) {
    EXPECT_THROW(GeometryModel(2, 1, 10), TypeException);
    EXPECT_THROW(SkyModel(3, 1, 10), TypeException);
    try {
        SkyModel(-1, 1, 10);
        ADD_FAILURE() << "no exception";
    } catch (const TypeException& exception) {
        EXPECT_EQ(exception.getMessage(), "TypeException");
    }

    SkyModel empty(1, 10, 10);
    EXPECT_EQ(empty.mesh.getBufferCount(), 0u);
    EXPECT_EQ(empty.mesh.getIndexBuffer(), nullptr);
    EXPECT_FLOAT_EQ(empty.getBounds().axes[1].y, 10);
    auto parameters = parametersFor(empty, Matrix::translation(0, 0, -20));
    empty.draw(parameters);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_FALSE(empty.createColliders(false)) << "its mesh has nothing to build a collider from";
    Model::Hit hit;
    EXPECT_FALSE(empty.pick(parameters, {{0, 0, 0}, {0, 0, -1}}, &hit));

    // Too few segments for a sphere leave the mesh empty too.
    GeometryModel flat(0, 10, 1);
    EXPECT_EQ(flat.mesh.getIndexBuffer(), nullptr);
    flat.draw(parameters);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelTest, SkyIsDrawnWithoutTheTranslation) {
    SkyModel sky(2, 1000, 20);
    GeometryModel sphere(0, 1, 8);
    Matrix view = Matrix::rotation(0.5f, {0, 1, 0});
    view.setTranslation({10, 0, 0});
    auto skyParameters = parametersFor(sky, view);
    auto sphereParameters = parametersFor(sphere, view);

    Matrix centred = view;
    centred.setTranslation({0, 0, 0});
    Matrix loaded;
    sky.draw(skyParameters);
    glGetFloatv(GL_TRANSPOSE_MODELVIEW_MATRIX, loaded.data());
    EXPECT_EQ(loaded, centred);
    EXPECT_EQ(test::getInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(skyParameters->get("modelview") != nullptr &&
                  Matrix(static_cast<const float*>(skyParameters->get("modelview"))) == view,
              true)
        << "the caller's matrix stays as it was";

    sphere.draw(sphereParameters);
    glGetFloatv(GL_TRANSPOSE_MODELVIEW_MATRIX, loaded.data());
    EXPECT_EQ(loaded, view);

    // A block without room for a matrix draws nothing and loads nothing.
    ParameterFormat small;
    small.add("modelview", type::Float3);
    auto tooSmall = Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(small));
    sky.draw(tooSmall);
    sky.draw(nullptr);
    glGetFloatv(GL_TRANSPOSE_MODELVIEW_MATRIX, loaded.data());
    EXPECT_EQ(loaded, view);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelTest, DrawnModelsCoverTheExpectedPixels) {
    SkyModel sky(2, 1000, 20);
    GeometryModel sphere(0, 50, 75);
    for (ColourMaterial* material : {&sky.material, &sphere.material})
        material->emission[0] = material->emission[1] = material->emission[2] = 1;

    // Seen from inside, the sky fills the view in every direction; back faces are culled.
    for (const float angle : {0.0f, 1.0f, 2.5f}) {
        beginFrame();
        Matrix view = Matrix::rotation(angle, {0.3f, 1, 0.2f});
        view.setTranslation({0, 0, -300}); // removed before drawing
        sky.draw(parametersFor(sky, view));
        const auto pixels = readRed();
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 255), Size * Size) << "angle " << angle;
    }

    // A sphere of radius 50 at 200 in front of the viewer, seen from outside: a disk whose radius is the
    // tangent of its angular radius in units of the 256-pixel-wide near plane.
    beginFrame();
    sphere.draw(parametersFor(sphere, Matrix::translation(0, 0, -200)));
    const auto pixels = readRed();
    const double radius = std::tan(std::asin(50.0 / 200.0)) * Size;
    int covered = 0;
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double fromCentre = std::hypot(x + 0.5 - Size / 2.0, y + 0.5 - Size / 2.0);
            const bool lit = pixels[y * Size + x] == 255;
            covered += lit;
            if (fromCentre < radius - 1.5) {
                ASSERT_TRUE(lit) << x << ", " << y;
            }
            if (fromCentre > radius + 1) {
                ASSERT_FALSE(lit) << x << ", " << y;
            }
        }
    }
    EXPECT_NEAR(covered, M_PI * radius * radius, 0.02 * M_PI * radius * radius);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The triangles of a strip list from index `first` on, `count` indices, each as GL orders its corners:
// every second triangle of a strip has its first two corners swapped. Keyed by the position of its first
// index in the whole list.
std::map<uint32_t, std::array<uint32_t, 3>> stripTriangles(const std::vector<uint32_t>& indices,
                                                           uint32_t first, uint32_t count) {
    std::map<uint32_t, std::array<uint32_t, 3>> triangles;
    for (uint32_t k = 0; k + 2 < count; ++k) {
        const uint32_t p = first + k;
        triangles[p] = k % 2 == 0 ? std::array{indices[p], indices[p + 1], indices[p + 2]}
                                  : std::array{indices[p + 1], indices[p], indices[p + 2]};
    }
    return triangles;
}

// Runs of the strips that hold every triangle whose front the eye sees, and only triangles of the list
// with their winding unchanged; far enough out they leave out a good part of the sphere.
TEST_F(ModelTest, FacingRunsHoldEveryTriangleTheEyeSeesFromTheFront) {
    uint32_t state = 7;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    };
    for (const int segments : {4, 5, 18, 42, 75}) {
        constexpr float Radius = 50;
        GeometryModel sphere(0, Radius, segments);
        const auto indices = test::readIndices(*sphere.mesh.getIndexBuffer());
        const auto positions = test::readFloats(*sphere.mesh.getVertexBuffer(0), 0, 3);
        const auto all = stripTriangles(indices, 0, uint32_t(indices.size()));
        detail::FacingRuns runs(segments, Radius);

        std::vector<Vector3<float>> eyes = {{0, 200, 0},       {0, -200, 0},     {200, 0, 0}, {-200, 0, 0},
                                            {-200, 0, -1e-4f}, {-200, 0, 1e-4f}, {0, 0, 52},  {30, 30, 30}};
        for (int k = 0; k < 60; ++k) {
            const Vector3<float> direction =
                math::normalize(Vector3<float>{next() - 0.5f, next() - 0.5f, next() - 0.5f});
            eyes.push_back(direction * (Radius * (1.02f + 30 * next() * next())));
        }
        for (const Vector3<float>& eye : eyes) {
            SCOPED_TRACE(testing::Message()
                         << segments << " segments, eye " << eye.x << ", " << eye.y << ", " << eye.z);
            const float at[3] = {eye.x, eye.y, eye.z};
            const int pieces = runs.find(at);
            ASSERT_GE(pieces, 0);
            ASSERT_LE(pieces, 2 * (segments / 2)) << "two runs a strip at most";
            const uint32_t* firsts = runs.getFirsts();
            const int32_t* counts = runs.getCounts();
            std::map<uint32_t, std::array<uint32_t, 3>> drawn;
            uint32_t previousEnd = 0;
            for (int k = 0; k < pieces; ++k) {
                ASSERT_EQ(firsts[k] % 2, 0u) << "a run starting on an odd index turns its triangles";
                ASSERT_GE(firsts[k], previousEnd) << "runs in the list's order, none twice";
                ASSERT_GE(counts[k], 3);
                ASSERT_LE(firsts[k] + uint32_t(counts[k]), indices.size());
                previousEnd = firsts[k] + uint32_t(counts[k]);
                drawn.merge(stripTriangles(indices, firsts[k], uint32_t(counts[k])));
            }
            int seen = 0, kept = 0;
            for (const auto& [position, corners] : all) {
                const auto corner = [&](int c) {
                    const std::vector<float>& p = positions[corners[c]];
                    return Vector3<double>{p[0], p[1], p[2]};
                };
                // The joins between strips, and the poles, put two corners on one point (up to the
                // rounding of the seam's longitude 2 pi): no pixel lies inside such a triangle.
                const double shortest =
                    std::min({math::length(corner(1) - corner(0)), math::length(corner(2) - corner(1)),
                              math::length(corner(0) - corner(2))});
                if (shortest < 1e-3)
                    continue;
                const Vector3<double> normal = math::cross(corner(1) - corner(0), corner(2) - corner(0));
                const auto found = drawn.find(position);
                if (found != drawn.end()) {
                    ASSERT_EQ(found->second, corners) << "triangle at " << position;
                    ++kept;
                }
                const Vector3<double> toEye = Vector3<double>{eye.x, eye.y, eye.z} - corner(0);
                if (math::dot(normal, toEye) > 0) {
                    ++seen;
                    ASSERT_NE(found, drawn.end()) << "a triangle facing the eye is left out: " << position;
                }
            }
            if (segments >= 18 && math::length(eye) >= 3 * Radius) {
                EXPECT_LT(kept, int(0.7 * double(all.size()))) << seen << " seen";
            }
        }

        // From inside or on the sphere, and from nowhere, the whole list is drawn.
        for (const std::array<float, 3>& eye :
             {std::array<float, 3>{0, 0, 0}, std::array<float, 3>{Radius, 0, 0},
              std::array<float, 3>{std::numeric_limits<float>::quiet_NaN(), 300, 0},
              std::array<float, 3>{std::numeric_limits<float>::infinity(), 0, 0}}) {
            const float at[3] = {eye[0], eye[1], eye[2]};
            EXPECT_EQ(runs.find(at), -1);
        }
    }
}

// Leaving out the far side changes no pixel, with back faces culled or only depth-tested, and a view that
// mirrors or an eye inside the sphere gets the whole sphere.
TEST_F(ModelTest, DrawingTheFacingSideGivesThePixelsOfTheWholeSphere) {
    GeometryModel sphere(0, 50, 75);
    const GLuint whole =
        primitives([&] { sphere.draw(parametersFor(sphere, Matrix::translation(0, 0, -200))); });
    const std::vector<Matrix> views = {
        Matrix::translation(0, 0, -200) * Matrix::rotation(0.7f, {1, 1, 0}),
        Matrix::translation(0, 0, -200) * Matrix::rotation(1.5707964f, {1, 0, 0}),
        Matrix::translation(30, -20, -62) * Matrix::rotation(2.0f, {0.2f, 1, 0.3f}),
        Matrix::translation(95, 80, -160) * Matrix::rotation(-1.0f, {1, 0.5f, 0}),
        Matrix::translation(0, 0, -4000)};
    for (const bool culled : {true, false}) {
        for (const Matrix& view : views) {
            SCOPED_TRACE(testing::Message() << (culled ? "culled " : "depth-tested ")
                                            << view.getTranslation().x << ", " << view.getTranslation().z);
            auto parameters = parametersFor(sphere, view);
            beginFrame();
            if (!culled)
                glDisable(GL_CULL_FACE);
            sphere.draw(parameters);
            const auto expected = readRed();
            beginFrame();
            if (!culled)
                glDisable(GL_CULL_FACE);
            const GLuint drawn = primitives([&] { sphere.drawFacing(parameters); });
            EXPECT_EQ(readRed(), expected);
            EXPECT_LT(drawn, whole * 7 / 10);
            EXPECT_GT(drawn, 0u);
        }
    }

    // A mirrored view turns fronts into backs, and from inside every triangle is a back: both draw all.
    Matrix mirrored = Matrix::translation(0, 0, -200);
    mirrored.elements[0] = -1;
    EXPECT_EQ(primitives([&] { sphere.drawFacing(parametersFor(sphere, mirrored)); }), whole);
    EXPECT_EQ(primitives([&] { sphere.drawFacing(parametersFor(sphere, Matrix::translation(0, 10, -20))); }),
              whole);
    // With a range, or with buffers of its own, the mesh is no longer the sphere as built.
    sphere.mesh.setRange(0, 300);
    const GLuint ranged = primitives([&] { sphere.draw(parametersFor(sphere, views[0])); });
    EXPECT_EQ(primitives([&] { sphere.drawFacing(parametersFor(sphere, views[0])); }), ranged);
    sphere.mesh.setRange(0, 0);
    GeometryModel other(0, 50, 75);
    sphere.mesh.setIndexBuffer(other.mesh.getIndexBuffer());
    EXPECT_EQ(primitives([&] { sphere.drawFacing(parametersFor(sphere, views[0])); }), whole);
    // A box has no strips to choose from.
    GeometryModel box(1, 10, 0);
    EXPECT_EQ(primitives([&] { box.drawFacing(parametersFor(box, Matrix::translation(0, 0, -50))); }), 12u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Buffers that replace the built ones, made after those were freed so that the allocator may hand their
// blocks back: strips in another order, or the sphere turned upside down. A facing draw draws them whole.
TEST_F(ModelTest, ReplacementBuffersAreNeverTakenForTheSphereAsBuilt) {
    constexpr int segments = 75;
    const Matrix view = Matrix::translation(0, 0, -200) * Matrix::rotation(0.7f, {1, 1, 0});
    for (const bool indices : {true, false}) {
        SCOPED_TRACE(indices ? "indices" : "vertices");
        GeometryModel sphere(0, 50, segments);
        auto parameters = parametersFor(sphere, view);
        const GLuint whole = primitives([&] { sphere.draw(parameters); });
        ASSERT_LT(primitives([&] { sphere.drawFacing(parameters); }), whole);
        if (indices) {
            const std::vector<uint32_t> built = test::readIndices(*sphere.mesh.getIndexBuffer());
            const size_t strip = 2 * segments + 4;
            std::vector<uint32_t> reversed;
            for (size_t end = built.size(); end >= strip; end -= strip)
                reversed.insert(reversed.end(), built.begin() + long(end - strip), built.begin() + long(end));
            ASSERT_EQ(reversed.size(), built.size());
            sphere.mesh.setIndexBuffer(nullptr);
            auto replacement =
                Pointer<IndexBuffer>::adopt(IndexBuffer::create(4, uint32_t(reversed.size()), StorageStatic));
            ASSERT_TRUE(replacement->update(0, reversed.data(), uint32_t(reversed.size())));
            sphere.mesh.setIndexBuffer(replacement);
        } else {
            VertexBuffer& original = *sphere.mesh.getVertexBuffer(0);
            const VertexFormat format = original.getFormat();
            const uint32_t floats = original.getStride() / sizeof(float);
            const auto built = test::readFloats(original, 0, floats);
            sphere.mesh.setVertexBuffer(nullptr, 0);
            auto replacement = Pointer<VertexBuffer>::adopt(
                VertexBuffer::create(format, uint32_t(built.size()), StorageStatic));
            ASSERT_TRUE(replacement->map(MapWriteOnly));
            auto* out = static_cast<float*>(replacement->getData());
            for (const std::vector<float>& vertex : built) {
                // Position and normal turned half a turn about x.
                const float turned[6] = {vertex[0], -vertex[1], -vertex[2],
                                         vertex[3], -vertex[4], -vertex[5]};
                std::copy(turned, turned + 6, out);
                std::copy(vertex.begin() + 6, vertex.end(), out + 6);
                out += floats;
            }
            replacement->unmap();
            sphere.mesh.setVertexBuffer(replacement, 0);
        }
        beginFrame();
        sphere.draw(parameters);
        const auto expected = readRed();
        beginFrame();
        EXPECT_EQ(primitives([&] { sphere.drawFacing(parameters); }), whole);
        EXPECT_EQ(readRed(), expected);
    }
}

// Segment counts whose buffers would pass 4 GiB leave the sphere empty at once, without trying to
// allocate them (a sphere of 20 000 segments would take gigabytes in the builder first).
TEST_F(ModelTest, ImpossibleSegmentCountsGiveAnEmptySphereAtOnce) {
    for (const int segments : {std::numeric_limits<int>::max(), 1 << 20, 20000, 16383}) {
        SCOPED_TRACE(segments);
        const auto start = std::chrono::steady_clock::now();
        GeometryModel sphere(0, 1, segments);
        SkyModel sky(0, 1, segments);
        EXPECT_EQ(sphere.mesh.getIndexBuffer(), nullptr);
        EXPECT_EQ(sky.mesh.getIndexBuffer(), nullptr);
        sphere.drawFacing(parametersFor(sphere, Matrix::translation(0, 0, -20)));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelTest, PickingARenderedSphereMeetsItsDepth) {
    GeometryModel sphere(0, 50, 75);
    const Matrix modelview = Matrix::translation(-20, 10, -200) * Matrix::rotation(0.7f, {1, 1, 0});
    auto parameters = parametersFor(sphere, modelview);
    beginFrame();
    sphere.draw(parameters);
    ASSERT_TRUE(sphere.createColliders(false));

    for (const auto& [px, py] : {std::pair{100, 140}, std::pair{80, 110}, std::pair{120, 170}}) {
        SCOPED_TRACE(testing::Message() << px << ", " << py);
        float depth = 1;
        glReadPixels(px, py, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        ASSERT_LT(depth, 1.0f) << "the sphere covers this pixel";
        const float ndc = 2 * depth - 1;
        const float eyeZ = -2 * Far * Near / ((Far + Near) - ndc * (Far - Near));

        // The ray from the eye through the pixel's centre on the near plane.
        const Model::Line ray{{0, 0, 0}, {(px + 0.5f) / Size - 0.5f, (py + 0.5f) / Size - 0.5f, -1}};
        Model::Hit hit;
        ASSERT_TRUE(sphere.pick(parameters, ray, &hit));
        EXPECT_NEAR(hit.point.z, eyeZ, 0.05);
        EXPECT_NEAR(hit.distance, -eyeZ, 0.05) << "the direction has z = -1";
        EXPECT_EQ(hit.model, &sphere);
        EXPECT_EQ(hit.mesh, &sphere.mesh);
        // The normal, back in view space, points out of the sphere at the point hit.
        const Vector3<float> centre{-20, 10, -200};
        EXPECT_GT(math::dot(math::normalize(hit.normal), math::normalize(hit.point - centre)), 0.99f);
        EXPECT_TRUE(sphere.pick(parameters, ray, nullptr));
    }

    Model::Hit miss;
    EXPECT_FALSE(sphere.pick(parameters, {{0, 0, 0}, {0.5f, 0.5f, -1}}, &miss));
    EXPECT_FALSE(sphere.pick(parameters, {{0, 0, 0}, {0.5f, 0.5f, -1}}, nullptr));
    EXPECT_FALSE(sphere.pick(parameters, {{0, 0, 0}, {0, 0, 1}}, nullptr)) << "behind the viewer";

    // Without a model-view matrix, or with one that cannot be inverted, nothing is picked or touched.
    Model::Hit untouched;
    untouched.distance = 42;
    EXPECT_FALSE(sphere.pick(parametersFor(sphere, Matrix::zero()), {{0, 0, 0}, {0, 0, -1}}, &untouched));
    ParameterFormat other;
    other.add("colour", type::Float4);
    sphere.setParameters(other);
    EXPECT_EQ(sphere.getModelviewOffset(), -1);
    EXPECT_FALSE(sphere.pick(parameters, {{0, 0, 0}, {0, 0, -1}}, &untouched));
    EXPECT_EQ(untouched.distance, 42);
    EXPECT_EQ(untouched.model, nullptr);
}

TEST_F(ModelTest, CollidersAreBuiltOnceUnlessForced) {
    GeometryModel box(1, 1, 0);
    EXPECT_EQ(box.mesh.getCollider(), nullptr);
    ASSERT_TRUE(box.createColliders(false));
    const Pointer<Mesh::Collider> first = box.mesh.getCollider();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(box.createColliders(false));
    EXPECT_EQ(box.mesh.getCollider(), first.get());
    EXPECT_TRUE(box.createColliders(true));
    EXPECT_NE(box.mesh.getCollider(), first.get());
}

TEST_F(ModelTest, BoundsCoverEveryMesh) {
    GeometryModel box(1, 10, 0);
    MeshBuilder builder;
    for (const Vector3<float> corner : {Vector3<float>{20, 0, 0}, Vector3<float>{30, 5, 5}}) {
        builder.setPosition(corner.x, corner.y, corner.z);
        builder.addVertex();
    }
    auto extra = Pointer<Mesh>::adopt(builder.build());
    ASSERT_NE(extra, nullptr);
    box.addMesh(extra);
    EXPECT_EQ(extra->getReferenceCount(), 2);

    ASSERT_TRUE(box.computeBounds(false));
    const BoundingBox& bounds = box.getBounds();
    EXPECT_EQ(bounds.center, (Vector3<float>{10, 0, 0}));
    EXPECT_EQ(bounds.axes[0], (Vector3<float>{20, 0, 0}));
    EXPECT_EQ(bounds.axes[1], (Vector3<float>{0, 10, 0}));
    EXPECT_FLOAT_EQ(bounds.squaredLengths[2], 100);

    box.clear();
    EXPECT_EQ(extra->getReferenceCount(), 1) << "the model let go of the mesh";
    EXPECT_TRUE(box.getMeshes().isEmpty());
    EXPECT_EQ(box.getModelviewOffset(), -1);
    EXPECT_EQ(box.getParameters().getCount(), 0u);
    EXPECT_EQ(box.getBounds().axes[0].x, 0);
    ASSERT_TRUE(box.computeBounds(true));
    EXPECT_EQ(box.getBounds().axes[0].x, 0) << "nothing to bound";
    box.draw(nullptr);
}

} // namespace
} // namespace korvane::graphics3d
