#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "graphics3d/Context.h"
#include "graphics3d/FixedShader.h"
#include "graphics3d/VertexFormat.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"
#include "support/graphics3d/TestTextures.h"

namespace korvane::graphics3d {
namespace {

using object::Pointer;
using test::getInteger;
using test::isEnabled;

bool textureArrayEnabled(GLenum unit) {
    glClientActiveTexture(unit);
    return isEnabled(GL_TEXTURE_COORD_ARRAY);
}

class ContextTest : public test::GLTest {};

TEST_F(ContextTest, IsFoundAgainForItsGLContextAndStartsClean) {
    const uint32_t registered = Context::getContextCount();
    EXPECT_EQ(Context::current(), context);
    EXPECT_EQ(Context::getThreadContext(), context);
    EXPECT_EQ(Context::getContextCount(), registered);
    EXPECT_EQ(context->getClassPath(), "Object:Context");

    EXPECT_EQ(context->currentFrameBuffer, &context->defaultFrameBuffer);
    EXPECT_EQ(context->defaultFrameBuffer.getGLName(), 0u);
    EXPECT_EQ(context->defaultFrameBuffer.width, 256);
    EXPECT_EQ(context->size.width, 256);
    EXPECT_EQ(context->size.height, 256);
    EXPECT_EQ(context->defaultShader.getArrays(), attribute::Position);
    EXPECT_EQ(context->currentShader, nullptr);
    EXPECT_EQ(context->currentMaterial, nullptr);
    EXPECT_EQ(context->currentBlendMode, nullptr);
    EXPECT_EQ(context->clientArrays, 0u);
    EXPECT_EQ(context->matrixStack.getMode(), 0u);
    for (int unit = 0; unit < Context::TextureUnits; ++unit) {
        EXPECT_EQ(context->boundTextures[unit], nullptr);
        EXPECT_EQ(context->textureTargets[unit], GLenum(GL_TEXTURE_2D));
        EXPECT_EQ(context->lightStack.lights[unit], nullptr);
    }
    EXPECT_EQ(context->capabilities.firstSize.width, 0);
    EXPECT_EQ(context->capabilities.secondSize.height, 0);
    EXPECT_EQ(context->deferQueue.getContext(), context);
    EXPECT_EQ(context->deferQueue.getAllocator().getTotal(), 0u);
    EXPECT_EQ(context->deferQueue.getEntries().getCount(), 0u);
}

TEST_F(ContextTest, ANewGLContextGetsOneNewContextAndGLEWIsNotInitialisedAgain) {
    const uint32_t registered = Context::getContextCount();
    // glewInit would load the entry point again.
    test::MissingEntryPoint missing(__glewBlendColorEXT);
    {
        test::GLTestWindow second;
        ASSERT_TRUE(second.isReady());
        EXPECT_NE(second.getContext(), context);
        EXPECT_EQ(Context::getThreadContext(), second.getContext());
        EXPECT_EQ(Context::getContextCount(), registered + 1);
        EXPECT_EQ(glBlendColorEXT, nullptr);
    }
    EXPECT_EQ(Context::getContextCount(), registered);
    // The closed Context left the thread's slot empty; this window's context is found again.
    EXPECT_EQ(Context::getThreadContext(), nullptr);
    ASSERT_TRUE(context->makeCurrent());
    EXPECT_EQ(Context::getThreadContext(), context);
}

TEST_F(ContextTest, MakeCurrentRereadsTheWindowSizeButKeepsARenderTargetsSize) {
    window->resize(300, 200);
    ASSERT_TRUE(context->makeCurrent());
    EXPECT_EQ(context->defaultFrameBuffer.width, 300);
    EXPECT_EQ(context->defaultFrameBuffer.height, 200);
    EXPECT_EQ(context->size.width, 300);
    EXPECT_EQ(context->size.height, 200);

    FrameBuffer target;
    target.width = 64;
    target.height = 32;
    target.bind();
    EXPECT_EQ(context->size.width, 64);
    window->resize(320, 240);
    ASSERT_TRUE(context->makeCurrent());
    EXPECT_EQ(context->defaultFrameBuffer.width, 320);
    EXPECT_EQ(context->size.width, 64);
    EXPECT_EQ(context->size.height, 32);
    Context::bindDefaultFrameBuffer();
    EXPECT_EQ(context->size.width, 320);
    EXPECT_EQ(context->size.height, 240);
}

TEST_F(ContextTest, ClientArraysAreSwitchedByMaskDifference) {
    context->selectClientArrays(attribute::Position | attribute::Normal);
    EXPECT_TRUE(isEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(isEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(isEnabled(GL_COLOR_ARRAY));

    context->selectClientArrays(attribute::Position);
    EXPECT_TRUE(isEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(isEnabled(GL_NORMAL_ARRAY));
    EXPECT_EQ(context->clientArrays, attribute::Position);

    // The same mask again makes no GL call: a change behind the cache's back survives it.
    glDisableClientState(GL_VERTEX_ARRAY);
    context->selectClientArrays(attribute::Position);
    EXPECT_FALSE(isEnabled(GL_VERTEX_ARRAY));
    glEnableClientState(GL_VERTEX_ARRAY);

    const uint32_t all = attribute::Position | attribute::Colour | attribute::EdgeFlag |
                         attribute::FogCoordinate | attribute::textureCoordinate(3) |
                         attribute::textureCoordinate(7);
    context->selectClientArrays(all);
    EXPECT_TRUE(isEnabled(GL_COLOR_ARRAY));
    EXPECT_TRUE(isEnabled(GL_EDGE_FLAG_ARRAY));
    EXPECT_TRUE(isEnabled(GL_FOG_COORD_ARRAY));
    EXPECT_TRUE(textureArrayEnabled(GL_TEXTURE3));
    EXPECT_TRUE(textureArrayEnabled(GL_TEXTURE7));
    EXPECT_FALSE(textureArrayEnabled(GL_TEXTURE0));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    Context::releaseShader();
    EXPECT_EQ(context->clientArrays, 0u);
    EXPECT_FALSE(isEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(isEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(isEnabled(GL_EDGE_FLAG_ARRAY));
    EXPECT_FALSE(isEnabled(GL_FOG_COORD_ARRAY));
    EXPECT_FALSE(textureArrayEnabled(GL_TEXTURE3));
    EXPECT_FALSE(textureArrayEnabled(GL_TEXTURE7));
}

TEST_F(ContextTest, UnitZeroTextureCoordinatesStayEnabledWhenBothMasksHaveThem) {
    const uint32_t unlit = attribute::Position | attribute::TextureCoordinate0;
    context->selectClientArrays(unlit);
    EXPECT_TRUE(textureArrayEnabled(GL_TEXTURE0));
    context->selectClientArrays(unlit | attribute::Normal);
    EXPECT_TRUE(isEnabled(GL_NORMAL_ARRAY));
    EXPECT_TRUE(textureArrayEnabled(GL_TEXTURE0));
    context->selectClientArrays(attribute::Position);
    EXPECT_FALSE(textureArrayEnabled(GL_TEXTURE0));
}

TEST_F(ContextTest, ReleaseShaderUnbindsTheCurrentShader) {
    Pointer<PlainShader> lit = Pointer<PlainShader>::adopt(new PlainShader(FixedShader::Lighting));
    context->activateShader(lit);
    EXPECT_TRUE(isEnabled(GL_LIGHTING));
    EXPECT_TRUE(isEnabled(GL_NORMAL_ARRAY));
    Context::releaseShader();
    EXPECT_EQ(context->currentShader, nullptr);
    EXPECT_FALSE(isEnabled(GL_LIGHTING));
    EXPECT_FALSE(isEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(isEnabled(GL_NORMAL_ARRAY));
}

TEST_F(ContextTest, FrameBuffersSaveAndRestoreTheirViewports) {
    ASSERT_NE(glGenFramebuffersEXT, nullptr);
    GLuint names[2] = {};
    glGenFramebuffersEXT(2, names);
    Pointer<FrameBuffer> a = Pointer<FrameBuffer>::adopt(new FrameBuffer(names[0]));
    Pointer<FrameBuffer> b = Pointer<FrameBuffer>::adopt(new FrameBuffer(names[1]));
    a->width = a->viewport[2] = 128;
    a->height = a->viewport[3] = 128;
    b->width = b->viewport[2] = 64;
    b->height = b->viewport[3] = 64;

    glViewport(0, 0, 256, 256);
    a->bind();
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING_EXT), GLint(names[0]));
    EXPECT_EQ(context->currentFrameBuffer, a.get());
    EXPECT_EQ(context->size.width, 128);
    glViewport(8, 8, 32, 32);
    b->bind();
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING_EXT), GLint(names[1]));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);

    a->bind();
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 8);
    EXPECT_EQ(viewport[2], 32);

    // Binding the frame buffer in force makes no GL call.
    glViewport(1, 2, 3, 4);
    a->bind();
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 1);

    Context::bindDefaultFrameBuffer();
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING_EXT), 0);
    EXPECT_EQ(context->size.width, 256);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 256);

    // A frame buffer destroyed while in force hands over to the window's.
    b->bind();
    b = nullptr;
    EXPECT_EQ(context->currentFrameBuffer, &context->defaultFrameBuffer);
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING_EXT), 0);
    EXPECT_TRUE(context->defaultFrameBuffer.isValid());
    EXPECT_FALSE(a->isValid()) << "a frame buffer without attachments is incomplete";
}

TEST_F(ContextTest, WithoutFrameBufferObjectsTheWindowsFrameBufferIsNeverRebound) {
    FrameBuffer target;
    target.width = 16;
    target.height = 16;
    target.bind();
    test::MissingEntryPoint missing(__glewBindFramebufferEXT);
    glViewport(5, 5, 10, 10);
    Context::bindDefaultFrameBuffer();
    EXPECT_EQ(context->currentFrameBuffer, &context->defaultFrameBuffer);
    EXPECT_EQ(context->size.width, 256);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 5);
}

TEST_F(ContextTest, CopyToTextureReadsFromTheTopLeftCorner) {
    Pointer<test::TestTexture> cube = Pointer<test::TestTexture>::adopt(test::TestTexture::createCube(64));
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // Paint the window's top 16 rows red, its top-left 16 x 16 corner green.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 256 - 16, 256, 16);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 256 - 16, 16, 16);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_CUBE_MAP, other);
    // Copy the 32 x 16 top-left strip to (8, 4) from the face's top.
    context->copyToTexture(*cube, GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, {8, 4}, {0, 0, 32, 16});
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_CUBE_MAP), GLint(other));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    std::vector<uint8_t> face(64 * 64 * 4);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube->getGLName());
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_RGBA, GL_UNSIGNED_BYTE, face.data());
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &other);
    auto pixel = [&](int x, int rowFromTop) { return &face[((63 - rowFromTop) * 64 + x) * 4]; };
    EXPECT_EQ(pixel(8, 4)[1], 255) << "green corner at the destination";
    EXPECT_EQ(pixel(23, 19)[1], 255);
    EXPECT_EQ(pixel(24, 4)[0], 255) << "red strip to its right";
    EXPECT_EQ(pixel(39, 19)[0], 255);
    EXPECT_EQ(pixel(23, 19)[0], 0);
}

TEST(ContextThreads, ThreadsWithTheirOwnWindowsGetTheirOwnContexts) {
    constexpr int count = 3;
    std::atomic<int> arrived{0};
    std::vector<std::thread> threads;
    std::vector<Context*> found(count, nullptr);
    for (int index = 0; index < count; ++index) {
        threads.emplace_back([&, index] {
            test::GLTestWindow window(64, 64);
            if (window.isReady()) {
                window.getContext()->defaultBlendMode.apply();
                if (Context::current() == window.getContext() &&
                    Context::getThreadContext() == window.getContext())
                    found[index] = window.getContext();
            }
            // All windows stay open until every thread has looked its Context up.
            ++arrived;
            while (arrived.load() < count)
                std::this_thread::yield();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int index = 0; index < count; ++index) {
        ASSERT_NE(found[index], nullptr);
        for (int other = 0; other < index; ++other)
            EXPECT_NE(found[index], found[other]);
    }
}

} // namespace
} // namespace korvane::graphics3d
