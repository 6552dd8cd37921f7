#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics3d/Appearance.h"
#include "graphics3d/Context.h"
#include "graphics3d/CubemapGenerator.h"
#include "graphics3d/FrameBuffer.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/RenderTarget.h"
#include "math/Matrix.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"

namespace korvane::graphics3d {
namespace {

using graphics::PixelFormat;
using object::Pointer;
using test::getInteger;

const GLfloat faceColours[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {0, 1, 1}, {1, 0, 1}};

// Clears every face to its own colour and records what it was called with.
class ColourGenerator : public CubemapGenerator {
public:
    using CubemapGenerator::CubemapGenerator;

    void renderFace(const math::Matrix& viewMatrix, uint32_t face) override {
        faces.push_back(face);
        views.push_back(viewMatrix);
        frameBuffers.push_back(Context::getThreadContext()->currentFrameBuffer);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        viewportSizes.push_back(viewport[2]);
        const GLfloat* colour = faceColours[face - GL_TEXTURE_CUBE_MAP_POSITIVE_X];
        // Clear like drawing: only inside the viewport.
        glScissor(viewport[0], viewport[1], viewport[2], viewport[3]);
        glEnable(GL_SCISSOR_TEST);
        glClearColor(colour[0], colour[1], colour[2], 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }

    std::vector<uint32_t> faces;
    std::vector<math::Matrix> views;
    std::vector<FrameBuffer*> frameBuffers;
    std::vector<GLint> viewportSizes;
};

// Whether every pixel of every face has its face's colour.
::testing::AssertionResult facesHaveTheirColours(const CubeTexture& cube) {
    const int size = cube.getWidth();
    std::vector<uint8_t> pixels(size_t(size) * size * 4);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube.getGLName());
    for (int face = 0; face < 6; ++face) {
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        for (size_t i = 0; i < pixels.size(); i += 4) {
            for (int c = 0; c < 3; ++c) {
                if (pixels[i + c] != uint8_t(faceColours[face][c] * 255))
                    return ::testing::AssertionFailure() << "face " << face << ", pixel " << i / 4;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

int countFrameBufferNames() {
    int count = 0;
    for (GLuint name = 1; name <= 200; ++name)
        count += glIsFramebufferEXT(name) ? 1 : 0;
    return count;
}

class CubemapGeneratorTest : public test::GLTest {
protected:
    Pointer<CubeTexture> makeCube(int size = 64, PixelFormat format = PixelFormat::RGB8) {
        return Pointer<CubeTexture>::adopt(createCubeTexture(format, size, size, -2));
    }

    // Generates with a view matrix that only moves, and checks every face against what the generator
    // promises.
    void generateAndCheck(ColourGenerator& generator) {
        glViewport(10, 20, 100, 110);
        const math::Matrix view = math::Matrix::translation(1, 2, 3);
        generator.generate(view);

        ASSERT_EQ(generator.faces.size(), 6u);
        for (int face = 0; face < 6; ++face) {
            EXPECT_EQ(generator.faces[face], GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face));
            EXPECT_EQ(generator.views[face], generator.getFaceMatrix(face) * view);
            EXPECT_EQ(generator.viewportSizes[face], generator.getTexture()->getWidth());
        }
        EXPECT_TRUE(facesHaveTheirColours(*generator.getTexture()));
        EXPECT_EQ(context->currentFrameBuffer, &context->defaultFrameBuffer);
        EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING_EXT), 0);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 10);
        EXPECT_EQ(viewport[1], 20);
        EXPECT_EQ(viewport[2], 100);
        EXPECT_EQ(viewport[3], 110);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
};

TEST_F(CubemapGeneratorTest, RenderTargetModeDrawsEveryFaceIntoItsOwnFrameBuffer) {
    ColourGenerator generator(makeCube(), CubemapGenerator::RenderTargetMode);
    EXPECT_EQ(generator.getClassPath(), "Object:Resource:CubemapGenerator");
    EXPECT_EQ(generator.getMode(), CubemapGenerator::RenderTargetMode);
    for (int face = 0; face < 6; ++face) {
        FrameBuffer* frameBuffer = generator.getFrameBuffer(face);
        ASSERT_NE(frameBuffer, nullptr);
        EXPECT_TRUE(frameBuffer->isValid());
        EXPECT_EQ(frameBuffer->getBindings().getCount(), 2u);
        // All six share one depth buffer.
        EXPECT_EQ(frameBuffer->getBindings()[1].target.get(),
                  generator.getFrameBuffer(0)->getBindings()[1].target.get());
    }
    generateAndCheck(generator);
    for (int face = 0; face < 6; ++face)
        EXPECT_EQ(generator.frameBuffers[face], generator.getFrameBuffer(face));

    // The projection is the square 90-degree frustum of the face camera.
    GLfloat projection[16] = {};
    glGetFloatv(GL_TRANSPOSE_PROJECTION_MATRIX, projection);
    EXPECT_EQ(math::Matrix(projection), generator.getCamera().getProjection());
    EXPECT_FLOAT_EQ(projection[0], 1.0f);
    EXPECT_FLOAT_EQ(projection[5], 1.0f);
}

TEST_F(CubemapGeneratorTest, CopyModeDrawsIntoTheWindowsCornerAndCopies) {
    const int frameBuffers = countFrameBufferNames();
    ColourGenerator generator(makeCube(), CubemapGenerator::CopyMode);
    EXPECT_EQ(generator.getMode(), CubemapGenerator::CopyMode);
    generateAndCheck(generator);
    for (int face = 0; face < 6; ++face) {
        EXPECT_EQ(generator.getFrameBuffer(face), nullptr);
        EXPECT_EQ(generator.frameBuffers[face], &context->defaultFrameBuffer);
    }
    EXPECT_EQ(countFrameBufferNames(), frameBuffers);
}

TEST_F(CubemapGeneratorTest, AutomaticModeWithoutFrameBufferObjectsCopies) {
    const int frameBuffers = countFrameBufferNames();
    test::MissingEntryPoint missingBind(__glewBindFramebufferEXT);
    test::MissingEntryPoint missingGenerate(__glewGenFramebuffersEXT);
    ColourGenerator generator(makeCube(), CubemapGenerator::AutomaticMode);
    EXPECT_EQ(generator.getMode(), CubemapGenerator::CopyMode);
    generateAndCheck(generator);
    for (int face = 0; face < 6; ++face)
        EXPECT_EQ(generator.getFrameBuffer(face), nullptr);
    EXPECT_EQ(countFrameBufferNames(), frameBuffers);

    EXPECT_THROW(ColourGenerator(makeCube(), CubemapGenerator::RenderTargetMode),
                 UnsupportedFeatureException);
}

// The colour of one pixel of a level of a face, and whether the level has storage at all.
std::vector<uint8_t> levelPixel(const CubeTexture& cube, int face, int level) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube.getGLName());
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, level, GL_TEXTURE_WIDTH, &size);
    if (size <= 0)
        return {};
    std::vector<uint8_t> pixels(size_t(size) * size * 4);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, level, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return {pixels[0], pixels[1], pixels[2]};
}

TEST_F(CubemapGeneratorTest, BothModesBringTheLevelsInLineWhenTheyAreSampled) {
    for (int mode : {int(CubemapGenerator::CopyMode), int(CubemapGenerator::RenderTargetMode)}) {
        SCOPED_TRACE(mode);
        // GL's own generation on, a mipmapped filter: every level shows the face's colour.
        auto sampled = makeCube(16);
        sampled->setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
        ColourGenerator generator(sampled, mode);
        generator.generate(math::Matrix::identity());
        EXPECT_FALSE(sampled->areLevelsDirty());
        for (int face = 0; face < 6; ++face) {
            const std::vector<uint8_t> expected = {uint8_t(faceColours[face][0] * 255),
                                                   uint8_t(faceColours[face][1] * 255),
                                                   uint8_t(faceColours[face][2] * 255)};
            for (int level : {1, 4})
                EXPECT_EQ(levelPixel(*sampled, face, level), expected) << face << " level " << level;
        }

        // One level and a plain filter: nothing samples the levels, so none are made.
        auto single = Pointer<CubeTexture>::adopt(createCubeTexture(PixelFormat::RGB8, 16, 16, -1));
        ASSERT_FALSE(single->hasLevelsInUse());
        generator.setTexture(single, mode);
        generator.generate(math::Matrix::identity());
        EXPECT_TRUE(levelPixel(*single, 0, 1).empty()) << "levels made that nobody samples";
        // ... until a filter samples them.
        single->setFilter(GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST);
        generator.generate(math::Matrix::identity());
        EXPECT_EQ(levelPixel(*single, 2, 3), (std::vector<uint8_t>{0, 0, 255}));
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(CubemapGeneratorTest, GeneratedLevelsWaitUntilSomethingSamplesThem) {
    for (int mode : {int(CubemapGenerator::CopyMode), int(CubemapGenerator::RenderTargetMode)}) {
        SCOPED_TRACE(mode);
        // Mode -2 with the plain filter a fresh cube map has: no mode makes levels nobody reads.
        auto cube = makeCube(16);
        ColourGenerator generator(cube, mode);
        generator.generate(math::Matrix::identity());
        generator.generate(math::Matrix::identity());
        EXPECT_TRUE(levelPixel(*cube, 0, 1).empty()) << "levels made that nobody samples";
        GLint automatic = -1;
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube->getGLName());
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_GENERATE_MIPMAP, &automatic);
        EXPECT_EQ(automatic, GL_FALSE) << "GL's own generation would pay on every copy";

        // A mipmapped filter makes them at once, from what level 0 holds.
        cube->setFilter(GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST);
        EXPECT_FALSE(cube->areLevelsDirty());
        EXPECT_EQ(levelPixel(*cube, 1, 2), (std::vector<uint8_t>{0, 255, 0}));

        // Level 0 changed behind the generator's back: the next appearance that samples it brings the
        // levels in line before drawing.
        auto frameBuffer = Pointer<FrameBuffer>::adopt(createFrameBuffer());
        frameBuffer->attach(
            Pointer<RenderTarget>::adopt(createRenderTarget(cube, GL_TEXTURE_CUBE_MAP_POSITIVE_X)),
            GL_COLOR_ATTACHMENT0_EXT);
        frameBuffer->bind();
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        Context::bindDefaultFrameBuffer();
        cube->markLevelsDirty();
        Appearance appearance;
        appearance.textures[0].set(cube);
        appearance.bind();
        EXPECT_FALSE(cube->areLevelsDirty());
        EXPECT_EQ(levelPixel(*cube, 0, 3), (std::vector<uint8_t>{255, 255, 255}));
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(CubemapGeneratorTest, AFailedSetTextureLeavesTheGeneratorWorking) {
    auto cube = makeCube(32);
    ColourGenerator generator(cube, CubemapGenerator::AutomaticMode);
    ASSERT_EQ(generator.getMode(), CubemapGenerator::RenderTargetMode);
    FrameBuffer* first = generator.getFrameBuffer(0);

    EXPECT_THROW(generator.setTexture(makeCube(), 4), InvalidModeException);
    EXPECT_THROW(generator.setTexture(makeCube(16, PixelFormat::A8), CubemapGenerator::RenderTargetMode),
                 UnsupportedFormatException);
    EXPECT_THROW(generator.setTexture(nullptr, CubemapGenerator::CopyMode), InvalidOperationException);
    EXPECT_EQ(generator.getTexture(), cube.get());
    EXPECT_EQ(generator.getFrameBuffer(0), first);
    generator.setTexture(cube, CubemapGenerator::RenderTargetMode);
    EXPECT_EQ(generator.getFrameBuffer(0), first) << "the texture and mode in force change nothing";
    generateAndCheck(generator);

    // Switching to copy mode drops the frame buffers.
    generator.faces.clear();
    generator.views.clear();
    generator.viewportSizes.clear();
    generator.setTexture(makeCube(16), CubemapGenerator::CopyMode);
    EXPECT_EQ(generator.getFrameBuffer(0), nullptr);
    EXPECT_EQ(cube->getReferenceCount(), 1);
    generateAndCheck(generator);
}

TEST_F(CubemapGeneratorTest, FacesLookAlongTheirAxes) {
    ColourGenerator generator(makeCube(8), CubemapGenerator::CopyMode);
    // Each face's view direction (-z in eye space) is its own axis.
    const math::Vector3<float> axes[6] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                          {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    for (int face = 0; face < 6; ++face) {
        const math::Vector3<float> eye = math::transformVector(generator.getFaceMatrix(face), axes[face]);
        EXPECT_EQ(eye, (math::Vector3<float>{0, 0, -1})) << face;
    }
    // +Z has world -Y as up in the image.
    EXPECT_EQ(math::transformVector(generator.getFaceMatrix(4), {0, -1, 0}), (math::Vector3<float>{0, 1, 0}));
}

// Draws one red square, seen from the generator's point in the world direction `marker`, on black.
class MarkerGenerator : public CubemapGenerator {
public:
    using CubemapGenerator::CubemapGenerator;

    void renderFace(const math::Matrix& viewMatrix, uint32_t) override {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadTransposeMatrixf(viewMatrix.data());
        // A square across the direction, 100 units out, a tenth of that to each side.
        const math::Vector3<float> centre = marker * 100.0f;
        const math::Vector3<float> helper =
            std::fabs(marker.x) < 0.9f ? math::Vector3<float>{1, 0, 0} : math::Vector3<float>{0, 1, 0};
        const math::Vector3<float> u = math::normalize(math::cross(marker, helper)) * 10.0f;
        const math::Vector3<float> v = math::normalize(math::cross(marker, u)) * 10.0f;
        glColor3f(1, 0, 0);
        glBegin(GL_QUADS);
        for (const math::Vector3<float>& corner :
             {centre - u - v, centre + u - v, centre + u + v, centre - u + v})
            glVertex3f(corner.x, corner.y, corner.z);
        glEnd();
        glLoadIdentity();
    }

    math::Vector3<float> marker{0, 0, 1};
};

// The colour GL's own cube-map lookup finds in `cube` in the direction `direction`.
GLubyte lookUpRed(const CubeTexture& cube, const math::Vector3<float>& direction) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 256, 256);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube.getGLName());
    glEnable(GL_TEXTURE_CUBE_MAP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glPointSize(4);
    glBegin(GL_POINTS);
    glTexCoord3f(direction.x, direction.y, direction.z);
    glVertex2f(0, 0);
    glEnd();
    glDisable(GL_TEXTURE_CUBE_MAP);
    GLubyte pixel[4] = {};
    glReadPixels(128, 128, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[2], 0) << "the lookup did not draw";
    return pixel[0];
}

TEST_F(CubemapGeneratorTest, EveryFaceIsStoredTheWayCubeMapLookupsReadIt) {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    // Off the axis on both image axes, by different amounts, so that a mirrored, turned or swapped face
    // puts the marker elsewhere.
    std::vector<math::Vector3<float>> markers;
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {1.0f, -1.0f}) {
            math::Vector3<float> marker{0.3f, -0.5f, 0.4f};
            marker[axis] = sign;
            markers.push_back(math::normalize(marker));
        }
    }
    for (int32_t mode : {CubemapGenerator::RenderTargetMode, CubemapGenerator::CopyMode}) {
        MarkerGenerator generator(makeCube(64), mode);
        for (const math::Vector3<float>& marker : markers) {
            generator.marker = marker;
            generator.generate(math::Matrix());
            EXPECT_EQ(lookUpRed(*generator.getTexture(), marker), 255)
                << "mode " << mode << ", marker " << marker.x << " " << marker.y << " " << marker.z;
            // The same direction mirrored in any one axis other than the major one finds black.
            for (int axis = 0; axis < 3; ++axis) {
                math::Vector3<float> mirrored = marker;
                mirrored[axis] = -mirrored[axis];
                if (std::fabs(marker[axis]) > 0.8f)
                    continue;
                EXPECT_EQ(lookUpRed(*generator.getTexture(), mirrored), 0)
                    << "mode " << mode << ", marker " << marker.x << " " << marker.y << " " << marker.z
                    << " mirrored in axis " << axis;
            }
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
} // namespace korvane::graphics3d
