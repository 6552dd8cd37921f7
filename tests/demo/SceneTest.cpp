#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "demo/Scene.h"
#include "demo/SphereRenderer.h"
#include "graphics3d/Context.h"
#include "graphics3d/GeometryModel.h"
#include "graphics3d/Material.h"
#include "graphics3d/SkyModel.h"
#include "support/demo/RunDirectory.h"
#include "support/graphics3d/GLTestWindow.h"
#include "support/graphics3d/Queries.h"

using korvane::demo::CubeSize;
using korvane::demo::DetailCount;
using korvane::demo::Scene;
using korvane::demo::SphereCount;
using korvane::demo::SphereSegments;
using korvane::graphics3d::test::GLTest;
using korvane::graphics3d::test::primitives;
using korvane::math::Matrix;

namespace {

// Runs a test in the program's run directory, where the data files are.
class SceneTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        previous = ::get_current_dir_name();
        ASSERT_EQ(::chdir(korvane::demo::test::runDirectory().c_str()), 0);
    }
    void TearDown() override {
        scene.release();
        if (previous) {
            EXPECT_EQ(::chdir(previous), 0);
            ::free(previous);
        }
        GLTest::TearDown();
    }

    char* previous = nullptr;
    korvane::demo::Scene scene;
};

// The generator of the scene, written out independently: each draw is the low 31 bits of the next state
// over 2^31 - 1.
struct Draws {
    uint32_t state = 0;
    float next() {
        state = state * 214013u + 2531011u;
        return float(state & 0x7FFFFFFF) / 2147483647.0f;
    }
};

struct Sphere {
    float radius;
    float colour[3];
    float position[3];
    float axis[3];
};

std::vector<Sphere> currentScene(const korvane::demo::Scene& scene) {
    std::vector<Sphere> spheres;
    for (int i = 0; i < SphereCount; ++i) {
        Sphere sphere{};
        sphere.radius = std::sqrt(scene.spheres[i].model->getBounds().squaredLengths[0]);
        auto* material = dynamic_cast<korvane::graphics3d::ColourMaterial*>(
            scene.spheres[i].model->appearance.material.get());
        EXPECT_NE(material, nullptr);
        for (int c = 0; c < 3; ++c) {
            sphere.colour[c] = material ? material->diffuse[c] : -1.0f;
            sphere.axis[c] = scene.spheres[i].axis[c];
        }
        const auto position = scene.spheres[i].transform.getTranslation();
        sphere.position[0] = position.x;
        sphere.position[1] = position.y;
        sphere.position[2] = position.z;
        spheres.push_back(sphere);
    }
    return spheres;
}

} // namespace

TEST_F(SceneTest, SeedZeroBuildsTheSameSceneEveryTime) {
    scene.build();
    const std::vector<Sphere> first = currentScene(scene);

    Draws draws;
    for (int i = 0; i < SphereCount; ++i) {
        const Sphere& sphere = first[i];
        EXPECT_NEAR(sphere.radius, draws.next() * 60.0f + 50.0f, 1e-3f) << i;
        // Blue, green and red in this order, positions z, y, x.
        for (int c = 2; c >= 0; --c)
            EXPECT_FLOAT_EQ(sphere.colour[c], draws.next()) << i;
        for (int c = 2; c >= 0; --c)
            EXPECT_NEAR(sphere.position[c], draws.next() * 400.0f - 200.0f, 1e-3f) << i;
        for (int c = 0; c < 3; ++c)
            EXPECT_FLOAT_EQ(sphere.axis[c], draws.next()) << i;
    }

    scene.release();
    EXPECT_FALSE(scene.isBuilt());
    scene.build();
    const std::vector<Sphere> second = currentScene(scene);
    for (int i = 0; i < SphereCount; ++i)
        EXPECT_EQ(std::memcmp(&first[i], &second[i], sizeof(Sphere)), 0) << i;
}

TEST_F(SceneTest, AFaceOfASphereShowsTheSkyAndTheOtherSpheresButNeverItself) {
    // Four spheres: the one whose faces are drawn, and one each behind, beside and grazing the face.
    scene.build(4);
    const Matrix view;
    const GLuint sky = primitives([&] {
        scene.skyParameters->set("modelview", view.data(), sizeof view.elements);
        scene.sky->draw(scene.skyParameters);
    });
    // What sphere j costs where it stands: a face draws the side of it that faces the eye, with the
    // segments its size there asks for.
    auto sphereAt = [&](int j) {
        const Matrix modelView = view * scene.spheres[j].transform;
        scene.spheres[j].parameters->set("modelview", modelView.data(), sizeof modelView.elements);
        const int level = korvane::demo::sphereDetailFor(korvane::demo::sphereRadiusInFace(
            modelView.getTranslation(), scene.spheres[j].radius, float(CubeSize)));
        auto* model = level == 0 ? scene.spheres[j].model.get() : scene.spheres[j].coarser[level - 1].get();
        return primitives([&] { model->drawFacing(scene.spheres[j].parameters); });
    };
    ASSERT_GT(sky, 0u);

    // Every sphere straight ahead of the eye (down -Z, where the view matrix passed to renderFace
    // looks), the one whose cube map it is among them: that one is never drawn. The sky of a direction
    // is drawn by the first face that looks that way and copied into the others.
    for (int i = 0; i < SphereCount; ++i) {
        for (int j = 0; j < SphereCount; ++j)
            scene.spheres[j].transform = Matrix::translation(0.0f, 0.0f, -300.0f - 200.0f * float(j));
        GLuint expected = i == 0 ? sky : 0;
        for (int j = 0; j < SphereCount; ++j)
            expected += j == i ? 0 : sphereAt(j);
        EXPECT_EQ(
            primitives([&] { scene.spheres[i].renderer->renderFace(view, GL_TEXTURE_CUBE_MAP_POSITIVE_X); }),
            expected)
            << "sphere " << i;

        // A sphere behind the eye, or beside the face's 90-degree frustum, is left out; one that reaches
        // into it from beside is drawn.
        const int behind = (i + 1) % SphereCount, beside = (i + 2) % SphereCount,
                  grazing = (i + 3) % SphereCount;
        scene.spheres[behind].transform = Matrix::translation(0.0f, 0.0f, 300.0f);
        const float radius = scene.spheres[beside].radius;
        // At depth 300 the frustum's side reaches x = 300; the sphere's centre lies farther out than its
        // radius, measured across the side plane.
        scene.spheres[beside].transform = Matrix::translation(300.0f + radius * 1.5f, 0.0f, -300.0f);
        scene.spheres[grazing].transform =
            Matrix::translation(0.0f, 300.0f + scene.spheres[grazing].radius * 1.3f, -300.0f);
        EXPECT_EQ(
            primitives([&] { scene.spheres[i].renderer->renderFace(view, GL_TEXTURE_CUBE_MAP_POSITIVE_X); }),
            sphereAt(grazing))
            << "sphere " << i;
    }
}

// Faces that show no other sphere take the sky alone, also once the sky is copied rather than drawn; the
// face that shows the others still gets them. The same in a crowd, whose faces are smaller.
TEST_F(SceneTest, FacesWithoutSpheresHoldTheSkyOfTheirDirection) {
    for (const int count : {SphereCount, 16}) {
        SCOPED_TRACE(std::to_string(count) + " spheres");
        scene.build(count);
        korvane::demo::SphereRenderer& renderer = *scene.spheres[0].renderer;
        if (renderer.getMode() != korvane::graphics3d::CubemapGenerator::RenderTargetMode)
            GTEST_SKIP() << "no frame-buffer objects";
        const int size = Scene::cubeSizeFor(count);
        ASSERT_EQ(renderer.getTexture()->getWidth(), size);
        ASSERT_EQ(scene.skyFaces->getWidth(), size);
        // Sphere 0 at the origin, the others along -Z from it: only its -Z face shows them.
        for (int j = 0; j < count; ++j)
            scene.spheres[j].transform = Matrix::translation(0.0f, 0.0f, j == 0 ? 0.0f : -300.0f * float(j));
        const GLuint cube = renderer.getTexture()->getGLName();
        auto face = [size](GLuint texture, int face) {
            std::vector<uint8_t> texels(size_t(size * size * 3));
            glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
            // Bound behind the state cache's back: let the next draw bind its texture again.
            korvane::graphics3d::Context::getThreadContext()->boundTextures[0] = nullptr;
            return texels;
        };
        // The first generation draws the sky of each direction and keeps it; the second copies it, into
        // faces blackened in between.
        for (int round = 0; round < 2; ++round) {
            const std::vector<uint8_t> black(size_t(size * size * 3), 0);
            glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            for (int f = 0; f < 6; ++f)
                glTexSubImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, 0, 0, size, size, GL_RGB,
                                GL_UNSIGNED_BYTE, black.data());
            korvane::graphics3d::Context::getThreadContext()->boundTextures[0] = nullptr;
            renderer.generate(Matrix());
            for (int f = 0; f < 6; ++f) {
                const std::vector<uint8_t> texels = face(cube, f), sky = face(scene.skyFaces->getGLName(), f);
                EXPECT_NE(texels, black) << "round " << round << ", face " << f;
                // Face 5 looks down -Z, at the other spheres.
                if (f == 5)
                    EXPECT_NE(texels, sky) << "round " << round;
                else
                    EXPECT_EQ(texels, sky) << "round " << round << ", face " << f;
            }
        }
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}

// The draw order puts the sphere whose near side is closest to the eye first, from any direction.
TEST_F(SceneTest, SpheresAreOrderedByTheDistanceOfTheirNearSideFromTheEye) {
    scene.build(4);
    scene.spheres[0].radius = 10.0f;
    scene.spheres[1].radius = 50.0f;
    scene.spheres[2].radius = 10.0f;
    scene.spheres[3].radius = 10.0f;
    // Straight ahead along -Z at 100, 120 (but large: its near side at 70), 300 and behind the eye.
    scene.spheres[0].transform = Matrix::translation(0.0f, 0.0f, -100.0f);
    scene.spheres[1].transform = Matrix::translation(5.0f, 0.0f, -120.0f);
    scene.spheres[2].transform = Matrix::translation(0.0f, 8.0f, -300.0f);
    scene.spheres[3].transform = Matrix::translation(0.0f, 0.0f, 50.0f);
    std::vector<int> order;
    scene.orderFrontToBack(Matrix(), order);
    EXPECT_EQ(order, (std::vector<int>{3, 1, 0, 2}));

    // The same world seen from the far side (eye at z = -400 looking towards +Z).
    const Matrix turned =
        Matrix(-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1) * Matrix::translation(0.0f, 0.0f, 400.0f);
    scene.orderFrontToBack(turned, order);
    EXPECT_EQ(order, (std::vector<int>{2, 1, 0, 3}));
}

// A sphere drawn into a face with fewer segments keeps its outline within a tenth of a pixel: the level
// chosen is the coarsest that does, and the radius it is chosen by is never smaller than the outline's
// longest semi-axis as the face's projection shows it, wherever the sphere lies in the face.
TEST(SphereDetail, CoarserSpheresOnlyWhereTheOutlineStaysPut) {
    using korvane::demo::sphereDetailFor;
    const double pi = std::acos(-1.0);
    auto gap = [&](float radius, int level) { return radius * (1.0 - std::cos(pi / SphereSegments[level])); };
    for (float radius = 0.0f; radius < 400.0f; radius += 0.25f) {
        const int level = sphereDetailFor(radius);
        ASSERT_GE(level, 0);
        ASSERT_LT(level, DetailCount);
        if (level > 0) {
            EXPECT_LE(gap(radius, level), 0.1) << radius;
        }
        if (level + 1 < DetailCount) {
            EXPECT_GT(gap(radius, level + 1), 0.1) << radius;
        }
    }
    EXPECT_EQ(sphereDetailFor(0.5f), DetailCount - 1);
    EXPECT_EQ(sphereDetailFor(std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(sphereDetailFor(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(sphereDetailFor(-1.0f), 0);

    using korvane::demo::sphereRadiusInFace;
    using Vector = korvane::math::Vector3<float>;
    const float size = float(CubeSize);
    // Straight ahead: the tangent of the outline's half angle, in pixels.
    EXPECT_NEAR(sphereRadiusInFace(Vector{0, 0, -500}, 100, size), size / 2 * 100.0f / std::sqrt(240000.0f),
                1e-3f);
    // The eye inside it, or the sphere beside or behind the eye: no limit.
    EXPECT_TRUE(std::isinf(sphereRadiusInFace(Vector{0, 0, -50}, 100, size)));
    EXPECT_TRUE(std::isinf(sphereRadiusInFace(Vector{300, 0, 0}, 100, size)));
    EXPECT_TRUE(std::isinf(sphereRadiusInFace(Vector{0, 0, 300}, 100, size)));

    // The projected outline, from points of the circle where the lines from the eye touch the sphere.
    Draws draws;
    for (int trial = 0; trial < 500; ++trial) {
        const float radius = 50.0f + 60.0f * draws.next();
        const float depth = 150.0f + 400.0f * draws.next();
        const Vector centre{(2.0f * draws.next() - 1.0f) * depth, (2.0f * draws.next() - 1.0f) * depth,
                            -depth};
        const double d2 =
            double(centre.x) * centre.x + double(centre.y) * centre.y + double(centre.z) * centre.z;
        const double d = std::sqrt(d2);
        const double ring = radius * std::sqrt(d2 - double(radius) * radius) / d;
        const double middle[3] = {centre.x * (1 - radius * radius / d2),
                                  centre.y * (1 - radius * radius / d2),
                                  centre.z * (1 - radius * radius / d2)};
        // Two unit vectors across the centre's direction.
        double u[3] = {-double(centre.y), double(centre.x), 0.0};
        const double lu = std::hypot(u[0], u[1]);
        u[0] /= lu;
        u[1] /= lu;
        const double v[3] = {(centre.y * u[2] - centre.z * u[1]) / d, (centre.z * u[0] - centre.x * u[2]) / d,
                             (centre.x * u[1] - centre.y * u[0]) / d};
        auto project = [&](double angle, double out[2]) {
            double p[3];
            for (int k = 0; k < 3; ++k)
                p[k] = middle[k] + ring * (std::cos(angle) * u[k] + std::sin(angle) * v[k]);
            out[0] = size / 2 * p[0] / -p[2];
            out[1] = size / 2 * p[1] / -p[2];
        };
        double longest = 0.0;
        for (int step = 0; step < 180; ++step) {
            double a[2], b[2];
            project(pi * step / 180.0, a);
            project(pi * step / 180.0 + pi, b);
            longest = std::max(longest, std::hypot(a[0] - b[0], a[1] - b[1]) / 2);
        }
        EXPECT_GE(sphereRadiusInFace(centre, radius, size), longest * 0.999)
            << centre.x << ", " << centre.y << ", " << centre.z << " radius " << radius;
    }
}

// Every sphere has its coarser models, each with fewer triangles than the one before, looking the same.
TEST_F(SceneTest, CoarserSpheresShareTheSphereAppearance) {
    scene.build();
    for (int i = 0; i < SphereCount; ++i) {
        GLuint before = primitives([&] { scene.spheres[i].model->draw(scene.spheres[i].parameters); });
        for (const auto& coarser : scene.spheres[i].coarser) {
            ASSERT_NE(coarser, nullptr);
            EXPECT_EQ(coarser->appearance.material, scene.spheres[i].model->appearance.material);
            EXPECT_EQ(coarser->appearance.textures[0], scene.spheres[i].model->appearance.textures[0]);
            EXPECT_EQ(coarser->appearance.shader, scene.spheres[i].model->appearance.shader);
            const GLuint count = primitives([&] { coarser->draw(scene.spheres[i].parameters); });
            EXPECT_LT(count, before) << i;
            EXPECT_GT(count, 0u) << i;
            before = count;
        }
    }
    scene.release();
    EXPECT_TRUE(scene.spheres.empty());
}

// Four hours of frames at 71 a second: the spheres go on turning about their axes and keep their sizes
// and their distances from the centre.
TEST_F(SceneTest, SpheresKeepTheirSizesAndDistancesHoweverLongTheyTurn) {
    scene.build();
    std::vector<Matrix> built;
    for (const korvane::demo::Sphere& sphere : scene.spheres)
        built.push_back(sphere.transform);
    constexpr int frames = 4 * 3600 * 71;
    for (int frame = 0; frame < frames; ++frame)
        scene.spin(1000.0f / 71.0f);
    for (int i = 0; i < SphereCount; ++i) {
        const Matrix& now = scene.spheres[i].transform;
        for (int c = 0; c < 3; ++c) {
            const korvane::math::Vector3<float> column{now(0, c), now(1, c), now(2, c)};
            EXPECT_NEAR(korvane::math::length(column), 1.0f, 1e-3f) << i << " column " << c;
        }
        const float distance = korvane::math::length(built[i].getTranslation());
        EXPECT_NEAR(korvane::math::length(now.getTranslation()), distance, distance * 1e-3f) << i;
        EXPECT_GT(korvane::math::length(now.getTranslation() - built[i].getTranslation()), 1.0f)
            << i << " has not moved";
    }
}

// Scenes of any size from the generator: the demonstration's four keep their draws; larger ones
// keep the generator's colours and axes, with smaller spheres that stay apart as placed and wholly in the
// start camera's view (400 before the centre, 600 x 500: half-angles atan(1/2) and atan(5/12)) however far
// they turn.
TEST(SceneGenerator, LargerScenesStayApartAndInViewWhileTheFourKeepTheirDraws) {
    EXPECT_TRUE(Scene::generateSpheres(0).empty());
    for (const int count : {4, 5, 8, 16, 32, 100}) {
        const auto spheres = Scene::generateSpheres(count);
        ASSERT_EQ(spheres.size(), size_t(count));
        Draws draws;
        const float crowdSize = std::sqrt(float(SphereCount) / float(count));
        for (int i = 0; i < count; ++i) {
            const korvane::demo::SphereLook& sphere = spheres[size_t(i)];
            const float radius = draws.next() * 60.0f + 50.0f;
            float colour[3], position[3];
            for (int c = 2; c >= 0; --c)
                colour[c] = draws.next();
            for (int c = 2; c >= 0; --c)
                position[c] = draws.next() * 400.0f - 200.0f;
            const korvane::math::Vector3<float> drawn{position[0], position[1], position[2]};
            for (int c = 0; c < 3; ++c) {
                EXPECT_FLOAT_EQ(sphere.colour[c], colour[c]) << count << " spheres, " << i;
                EXPECT_FLOAT_EQ(sphere.axis[c], draws.next()) << count << " spheres, " << i;
            }
            if (count <= SphereCount) {
                EXPECT_EQ(Scene::cubeSizeFor(count), CubeSize);
                EXPECT_FLOAT_EQ(sphere.radius, radius) << i;
                EXPECT_FLOAT_EQ(sphere.position.x, drawn.x) << i;
                EXPECT_FLOAT_EQ(sphere.position.y, drawn.y) << i;
                EXPECT_FLOAT_EQ(sphere.position.z, drawn.z) << i;
                continue;
            }
            // Smaller, and in the direction the generator drew; its reflection no coarser on screen than a
            // power of two's rounding (a factor sqrt(2)) makes it.
            EXPECT_GT(sphere.radius, 0.0f) << count << " spheres, " << i;
            EXPECT_GE(float(Scene::cubeSizeFor(count)) * std::numbers::sqrt2_v<float>,
                      float(CubeSize) * sphere.radius / radius * 0.9999f)
                << count << " spheres, " << i;
            EXPECT_LE(sphere.radius, radius * crowdSize * 1.0001f) << count << " spheres, " << i;
            EXPECT_NEAR(korvane::math::dot(korvane::math::normalize(sphere.position),
                                           korvane::math::normalize(drawn)),
                        1.0f, 1e-5f)
                << count << " spheres, " << i;
            for (int j = 0; j < i; ++j) {
                const float distance = korvane::math::length(sphere.position - spheres[size_t(j)].position);
                EXPECT_LE(sphere.radius + spheres[size_t(j)].radius, 0.9001f * distance)
                    << count << " spheres: " << j << " and " << i << " touch";
            }
            // Wholly inside the four side planes of the view, at every turn about its axis.
            for (int step = 0; step < 16; ++step) {
                Matrix turned;
                turned.setTranslation(sphere.position);
                korvane::math::rotate(turned, float(step) * std::numbers::pi_v<float> / 8.0f,
                                      {sphere.axis[0], sphere.axis[1], sphere.axis[2]});
                const korvane::math::Vector3<float> at = turned.getTranslation();
                const float depth = 400.0f - at.z;
                for (const auto& [offset, slope] : {std::pair{at.x, 0.5f}, std::pair{at.y, 5.0f / 12.0f}})
                    EXPECT_LE(std::abs(offset) + sphere.radius * std::sqrt(1.0f + slope * slope),
                              slope * depth)
                        << count << " spheres: " << i << " leaves the view at turn " << step;
            }
        }
    }
}
