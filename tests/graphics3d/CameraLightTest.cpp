#include <gtest/gtest.h>

#include <cmath>

#include "graphics3d/Appearance.h"
#include "graphics3d/Camera.h"
#include "graphics3d/FixedShader.h"
#include "graphics3d/Light.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"
#include "support/graphics3d/TestTextures.h"

namespace korvane::graphics3d {
namespace {

using object::Pointer;
using test::getInteger;
using test::isEnabled;

class CameraLightTest : public test::GLTest {};

// GL returns column-major matrices: element (row, column) at 4 * column + row.
float projectionElement(int row, int column) {
    GLfloat matrix[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    return matrix[4 * column + row];
}

TEST_F(CameraLightTest, DefaultCameraLoadsANinetyDegreeFrustumAndKeepsTheMatrixMode) {
    context->matrixStack.setMode(GL_MODELVIEW);
    PerspectiveCamera camera;
    camera.apply();
    EXPECT_EQ(getInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    const float expected[4][4] = {
        {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -110.0f / 90.0f, -2000.0f / 90.0f}, {0, 0, -1, 0}};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_NEAR(projectionElement(row, column), expected[row][column], 1e-5f) << row << "," << column;
    }
    EXPECT_EQ(camera.getClassPath(), "Object:Resource:Camera:PerspectiveCamera");
}

TEST_F(CameraLightTest, OffCentreWindowShiftsTheFrustum) {
    glMatrixMode(GL_TEXTURE);
    PerspectiveCamera camera;
    camera.window[0] = -5;
    camera.window[1] = -5;
    camera.window[2] = 10;
    camera.window[3] = 10;
    camera.near = 15;
    camera.far = 2500;
    camera.apply();
    EXPECT_EQ(getInteger(GL_MATRIX_MODE), GL_TEXTURE);
    EXPECT_FLOAT_EQ(projectionElement(0, 0), 2.0f);
    EXPECT_FLOAT_EQ(projectionElement(0, 2), 0.0f);

    camera.window[0] = 0; // right half only: the centre moves
    camera.apply();
    EXPECT_FLOAT_EQ(projectionElement(0, 2), 1.0f);
}

TEST_F(CameraLightTest, RaysRunThroughTheWindowCorners) {
    PerspectiveCamera camera;
    camera.window[0] = -4;
    camera.window[1] = -3;
    camera.window[2] = 8;
    camera.window[3] = 6;
    camera.near = 2;
    const Ray topLeft = camera.ray(-1, -1);
    EXPECT_FLOAT_EQ(topLeft.origin.x, 0);
    EXPECT_FLOAT_EQ(topLeft.direction.x, -4);
    EXPECT_FLOAT_EQ(topLeft.direction.y, 3);
    EXPECT_FLOAT_EQ(topLeft.direction.z, -2);
    const Ray bottomRight = camera.ray(1, 1);
    EXPECT_FLOAT_EQ(bottomRight.direction.x, 4);
    EXPECT_FLOAT_EQ(bottomRight.direction.y, -3);
    EXPECT_FLOAT_EQ(bottomRight.direction.z, -2);
}

TEST(CameraFrustumTest, SpheresAreSeenUnlessWhollyOutsideOnePlane) {
    // An off-centre window: sides at x = -2 and 6, y = -3 and 1 at distance 4; depth 10 to 100.
    PerspectiveCamera camera;
    camera.focal = 4.0f;
    camera.near = 10.0f;
    camera.far = 100.0f;
    camera.window[0] = -2.0f;
    camera.window[1] = -3.0f;
    camera.window[2] = 8.0f;
    camera.window[3] = 4.0f;
    EXPECT_TRUE(camera.canSee({0.0f, 0.0f, -50.0f}, 1.0f));
    // At depth 40 the sides are at x = -20 and 60, y = -30 and 10. Each unit normal's x or y part is
    // 4 / sqrt(16 + e^2) for the edge e, so a centre that far outside by r / that factor just touches.
    struct Case {
        float x, y, z, radius;
        bool seen;
    };
    const float left = std::sqrt(16.0f + 4.0f) / 4.0f, right = std::sqrt(16.0f + 36.0f) / 4.0f;
    const float bottom = std::sqrt(16.0f + 9.0f) / 4.0f, top = std::sqrt(16.0f + 1.0f) / 4.0f;
    for (const Case& c : {Case{-20.0f - 2.0f * left * 0.99f, 0, -40, 2, true},
                          Case{-20.0f - 2.0f * left * 1.01f, 0, -40, 2, false},
                          Case{60.0f + 2.0f * right * 0.99f, 0, -40, 2, true},
                          Case{60.0f + 2.0f * right * 1.01f, 0, -40, 2, false},
                          Case{0, -30.0f - 2.0f * bottom * 0.99f, -40, 2, true},
                          Case{0, -30.0f - 2.0f * bottom * 1.01f, -40, 2, false},
                          Case{0, 10.0f + 2.0f * top * 0.99f, -40, 2, true},
                          Case{0, 10.0f + 2.0f * top * 1.01f, -40, 2, false}, Case{0, 0, -8.5f, 2, true},
                          Case{0, 0, -7.5f, 2, false}, Case{0, 0, 5, 2, false}, Case{0, 0, -101.5f, 2, true},
                          Case{0, 0, -102.5f, 2, false}})
        EXPECT_EQ(camera.canSee({c.x, c.y, c.z}, c.radius), c.seen) << c.x << ", " << c.y << ", " << c.z;
}

TEST_F(CameraLightTest, PointLightIsPositionalWithoutSpotCone) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightf(GL_LIGHT2, GL_SPOT_CUTOFF, 45.0f);
    PointLight light;
    light.position[0] = 1;
    light.position[1] = 2;
    light.position[2] = 3;
    light.diffuse[1] = 0.5f;
    light.linearAttenuation = 0.25f;
    light.apply(2);
    GLfloat values[4] = {};
    glGetLightfv(GL_LIGHT2, GL_POSITION, values);
    EXPECT_FLOAT_EQ(values[0], 1);
    EXPECT_FLOAT_EQ(values[2], 3);
    EXPECT_FLOAT_EQ(values[3], 1) << "always a positional light";
    glGetLightfv(GL_LIGHT2, GL_SPOT_CUTOFF, values);
    EXPECT_FLOAT_EQ(values[0], 180);
    glGetLightfv(GL_LIGHT2, GL_DIFFUSE, values);
    EXPECT_FLOAT_EQ(values[1], 0.5f);
    glGetLightfv(GL_LIGHT2, GL_AMBIENT, values);
    EXPECT_FLOAT_EQ(values[0], 0.1f);
    glGetLightfv(GL_LIGHT2, GL_LINEAR_ATTENUATION, values);
    EXPECT_FLOAT_EQ(values[0], 0.25f);
}

TEST_F(CameraLightTest, DestroyedLightLeavesEveryLightItOccupied) {
    Pointer<PointLight> light = Pointer<PointLight>::adopt(new PointLight);
    PointLight other;
    for (int index : {0, 3}) {
        context->lightStack.lights[index] = light;
        glEnable(GL_LIGHT0 + index);
        light->apply(index);
    }
    context->lightStack.lights[1] = &other;
    glEnable(GL_LIGHT1);
    light = nullptr;
    EXPECT_EQ(context->lightStack.lights[0], nullptr);
    EXPECT_EQ(context->lightStack.lights[3], nullptr);
    EXPECT_EQ(context->lightStack.lights[1], &other);
    EXPECT_FALSE(isEnabled(GL_LIGHT0));
    EXPECT_FALSE(isEnabled(GL_LIGHT3));
    EXPECT_TRUE(isEnabled(GL_LIGHT1));
    context->lightStack.lights[1] = nullptr;
}

TEST_F(CameraLightTest, MatrixStackSelectsOnlyChangedModes) {
    MatrixStack& stack = context->matrixStack;
    stack.setMode(GL_PROJECTION);
    EXPECT_EQ(getInteger(GL_MATRIX_MODE), GL_PROJECTION);
    glMatrixMode(GL_MODELVIEW); // behind the stack's back: the same mode is not selected again
    stack.setMode(GL_PROJECTION);
    EXPECT_EQ(getInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    stack.setMode(GL_TEXTURE0 + 2);
    EXPECT_EQ(getInteger(GL_MATRIX_MODE), GL_TEXTURE);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    EXPECT_EQ(stack.getMode(), GLenum(GL_TEXTURE2));
}

// The (0, 0) element of a texture unit's matrix.
float textureScale(GLenum unit) {
    const GLint active = getInteger(GL_ACTIVE_TEXTURE);
    glActiveTexture(unit);
    GLfloat matrix[16] = {};
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    glActiveTexture(GLenum(active));
    return matrix[0];
}

TEST_F(CameraLightTest, TextureMatrixModesFollowTheActiveUnitThatAppearancesAndShadersChange) {
    MatrixStack& stack = context->matrixStack;
    glActiveTexture(GL_TEXTURE1);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(3, 3, 3);
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_MODELVIEW);

    // An appearance binds a texture on unit 1; unit 0's matrix must still be the one loaded afterwards.
    auto texture = Pointer<test::TestTexture>::adopt(test::TestTexture::create2D(4));
    stack.setMode(GL_TEXTURE0);
    Appearance appearance;
    appearance.textures[1].set(texture);
    appearance.bind();
    EXPECT_EQ(stack.getMode(), GLenum(GL_TEXTURE1)) << "the record names the matrix GL now addresses";
    stack.setMode(GL_TEXTURE0);
    glLoadIdentity();
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(textureScale(GL_TEXTURE1), 3.0f) << "unit 1's matrix was overwritten";

    // The cube-map shader works on unit 0: a later selection of unit 2's matrix must reach unit 2.
    CubeTextureShader cubeShader(0);
    stack.setMode(GL_TEXTURE0 + 2);
    context->activateShader(&cubeShader);
    stack.setMode(GL_TEXTURE0 + 2);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    EXPECT_EQ(getInteger(GL_MATRIX_MODE), GL_TEXTURE);
    Context::releaseShader();
    glActiveTexture(GL_TEXTURE1);
    glLoadIdentity();
    glActiveTexture(GL_TEXTURE0);
}

} // namespace
} // namespace korvane::graphics3d
