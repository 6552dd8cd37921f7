#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "demo/Scene.h"
#include "demo/SphereRenderer.h"
#include "graphics3d/GeometryModel.h"
#include "graphics3d/Material.h"
#include "graphics3d/SkyModel.h"
#include "support/demo/Program.h"
#include "support/graphics3d/GLTestWindow.h"

using korvane::demo::scene;
using korvane::demo::Scene;
using korvane::graphics3d::test::GLTest;
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
        korvane::demo::releaseScene();
        if (previous) {
            EXPECT_EQ(::chdir(previous), 0);
            ::free(previous);
        }
        GLTest::TearDown();
    }

    char* previous = nullptr;
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

std::vector<Sphere> currentScene() {
    std::vector<Sphere> spheres;
    for (int i = 0; i < Scene::SphereCount; ++i) {
        Sphere sphere{};
        sphere.radius = std::sqrt(scene.sphereModels[i]->getBounds().squaredLengths[0]);
        auto* material = dynamic_cast<korvane::graphics3d::ColourMaterial*>(
            scene.sphereModels[i]->appearance.material.get());
        EXPECT_NE(material, nullptr);
        for (int c = 0; c < 3; ++c) {
            sphere.colour[c] = material ? material->diffuse[c] : -1.0f;
            sphere.axis[c] = scene.rotationAxes[i][c];
        }
        const auto position = scene.sphereTransforms[i].getTranslation();
        sphere.position[0] = position.x;
        sphere.position[1] = position.y;
        sphere.position[2] = position.z;
        spheres.push_back(sphere);
    }
    return spheres;
}

// Primitives GL assembles while `draw` runs.
template <typename Draw> GLuint primitives(Draw draw) {
    GLuint query = 0, count = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

} // namespace

TEST_F(SceneTest, SeedZeroBuildsTheSameSceneEveryTime) {
    korvane::demo::buildScene();
    const std::vector<Sphere> first = currentScene();

    Draws draws;
    for (int i = 0; i < Scene::SphereCount; ++i) {
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

    korvane::demo::releaseScene();
    EXPECT_EQ(scene.sky, nullptr);
    korvane::demo::buildScene();
    const std::vector<Sphere> second = currentScene();
    for (int i = 0; i < Scene::SphereCount; ++i)
        EXPECT_EQ(std::memcmp(&first[i], &second[i], sizeof(Sphere)), 0) << i;
}

TEST_F(SceneTest, AFaceOfASphereShowsTheSkyAndTheOtherSpheresButNeverItself) {
    korvane::demo::buildScene();
    const Matrix view;
    const GLuint sky = primitives([&] {
        scene.skyParameters->set("modelview", view.data(), sizeof view.elements);
        scene.sky->draw(scene.skyParameters);
    });
    GLuint spheres[Scene::SphereCount];
    for (int j = 0; j < Scene::SphereCount; ++j)
        spheres[j] = primitives([&] { scene.sphereModels[j]->draw(scene.sphereParameters[j]); });
    ASSERT_GT(sky, 0u);
    ASSERT_GT(spheres[0], 0u);

    // Every sphere straight ahead of the eye (down -Z, where the view matrix passed to renderFace
    // looks), the one whose cube map it is among them: that one is never drawn. The sky of a direction
    // is drawn by the first face that looks that way and copied into the others.
    for (int i = 0; i < Scene::SphereCount; ++i) {
        for (int j = 0; j < Scene::SphereCount; ++j)
            scene.sphereTransforms[j] = Matrix::translation(0.0f, 0.0f, -300.0f - 200.0f * float(j));
        GLuint expected = i == 0 ? sky : 0;
        for (int j = 0; j < Scene::SphereCount; ++j)
            expected += j == i ? 0 : spheres[j];
        EXPECT_EQ(primitives([&] { scene.renderers[i]->renderFace(view, GL_TEXTURE_CUBE_MAP_POSITIVE_X); }),
                  expected)
            << "sphere " << i;

        // A sphere behind the eye, or beside the face's 90-degree frustum, is left out; one that reaches
        // into it from beside is drawn.
        const int behind = (i + 1) % Scene::SphereCount, beside = (i + 2) % Scene::SphereCount,
                  grazing = (i + 3) % Scene::SphereCount;
        scene.sphereTransforms[behind] = Matrix::translation(0.0f, 0.0f, 300.0f);
        const float radius = scene.sphereRadii[beside];
        // At depth 300 the frustum's side reaches x = 300; the sphere's centre lies farther out than its
        // radius, measured across the side plane.
        scene.sphereTransforms[beside] = Matrix::translation(300.0f + radius * 1.5f, 0.0f, -300.0f);
        scene.sphereTransforms[grazing] =
            Matrix::translation(0.0f, 300.0f + scene.sphereRadii[grazing] * 1.3f, -300.0f);
        EXPECT_EQ(primitives([&] { scene.renderers[i]->renderFace(view, GL_TEXTURE_CUBE_MAP_POSITIVE_X); }),
                  spheres[grazing])
            << "sphere " << i;
    }
}

// The draw order puts the sphere whose near side is closest to the eye first, from any direction.
TEST_F(SceneTest, SpheresAreOrderedByTheDistanceOfTheirNearSideFromTheEye) {
    korvane::demo::buildScene();
    scene.sphereRadii[0] = 10.0f;
    scene.sphereRadii[1] = 50.0f;
    scene.sphereRadii[2] = 10.0f;
    scene.sphereRadii[3] = 10.0f;
    // Straight ahead along -Z at 100, 120 (but large: its near side at 70), 300 and behind the eye.
    scene.sphereTransforms[0] = Matrix::translation(0.0f, 0.0f, -100.0f);
    scene.sphereTransforms[1] = Matrix::translation(5.0f, 0.0f, -120.0f);
    scene.sphereTransforms[2] = Matrix::translation(0.0f, 8.0f, -300.0f);
    scene.sphereTransforms[3] = Matrix::translation(0.0f, 0.0f, 50.0f);
    int order[Scene::SphereCount];
    korvane::demo::orderFrontToBack(Matrix(), order);
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{3, 1, 0, 2}));

    // The same world seen from the far side (eye at z = -400 looking towards +Z).
    const Matrix turned =
        Matrix(-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1) * Matrix::translation(0.0f, 0.0f, 400.0f);
    korvane::demo::orderFrontToBack(turned, order);
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{2, 1, 0, 3}));
}
