#include <gtest/gtest.h>

#include <vector>

#include "graphics3d/Context.h"
#include "graphics3d/CubemapGenerator.h"
#include "graphics3d/Graphics3dException.h"
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

} // namespace
} // namespace korvane::graphics3d
