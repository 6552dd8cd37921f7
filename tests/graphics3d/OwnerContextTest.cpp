#include <gtest/gtest.h>

#include <thread>

#include "graphics3d/Context.h"
#include "graphics3d/FrameBuffer.h"
#include "graphics3d/ProgrammableShader.h"
#include "graphics3d/RenderTarget.h"
#include "graphics3d/ShaderProgram.h"
#include "graphics3d/Texture2D.h"
#include "graphics3d/TypeCode.h"
#include "graphics3d/VertexBuffer.h"
#include "object/Pointer.h"
#include "platform/GL.h"
#include "support/graphics3d/GLTestWindow.h"

namespace korvane::graphics3d {
namespace {

using object::Pointer;

const char* const vertexSource = "#version 110\nvoid main() { gl_Position = gl_Vertex; }\n";

// One GL object of every kind that deletes itself, made in the context current at construction.
struct Objects {
    Objects() {
        VertexFormat format;
        format.add(type::Float3, attribute::Position);
        texture = Pointer<Texture2D>::adopt(createTexture2D(graphics::PixelFormat::RGBA8, {4, 4}, -1));
        buffer = Pointer<VertexBuffer>::adopt(VertexBuffer::create(format, 4, StorageStatic));
        frameBuffer = Pointer<FrameBuffer>::adopt(createFrameBuffer());
        renderTarget = Pointer<RenderTarget>::adopt(createRenderTarget(GL_DEPTH_COMPONENT24, 4, 4));
        shader = Pointer<ProgrammableShader>::adopt(ProgrammableShader::create());
        vertexProgram = Pointer<VertexProgram>::adopt(VertexProgram::create(vertexSource));
        // A frame buffer becomes an object when first bound, as attaching does.
        frameBuffer->attach(renderTarget, GL_DEPTH_ATTACHMENT_EXT);
        EXPECT_TRUE(shader->attach(vertexProgram));
        shader->link();
        names = {texture->getGLName(),     buffer->getBufferObject(),
                 frameBuffer->getGLName(), renderTarget->getRenderBuffer(),
                 shader->getProgram(),     vertexProgram->getHandle()};
    }

    void release() {
        texture = nullptr;
        buffer = nullptr;
        frameBuffer = nullptr;
        renderTarget = nullptr;
        shader = nullptr;
        vertexProgram = nullptr;
    }

    // Which of the names are objects of their kind in the current GL context.
    static std::vector<bool> exist(const std::vector<GLuint>& names) {
        return {glIsTexture(names[0]) == GL_TRUE,        glIsBuffer(names[1]) == GL_TRUE,
                glIsFramebufferEXT(names[2]) == GL_TRUE, glIsRenderbufferEXT(names[3]) == GL_TRUE,
                glIsProgram(names[4]) == GL_TRUE,        glIsShader(names[5]) == GL_TRUE};
    }

    Pointer<Texture2D> texture;
    Pointer<VertexBuffer> buffer;
    Pointer<FrameBuffer> frameBuffer;
    Pointer<RenderTarget> renderTarget;
    Pointer<ProgrammableShader> shader;
    Pointer<VertexProgram> vertexProgram;
    std::vector<GLuint> names;
};

const std::vector<bool> all(6, true);
const std::vector<bool> none(6, false);

// Two windows on one thread: objects of the first go while the second's context is current.
TEST(OwnerContextTest, ObjectsAreDeletedInTheContextThatMadeThemWhicheverIsCurrent) {
    test::GLTestWindow first(64, 64);
    test::GLTestWindow second(64, 64);
    ASSERT_TRUE(first.isReady() && second.isReady());
    Context* a = first.getContext();
    Context* b = second.getContext();

    ASSERT_TRUE(a->makeCurrent());
    Objects ofA;
    a->activateShader(ofA.shader); // a's records name its objects
    ofA.frameBuffer->bind();
    ASSERT_TRUE(b->makeCurrent());
    Objects ofB;
    ASSERT_EQ(ofA.names, ofB.names) << "fresh contexts hand out the same names";
    EXPECT_EQ(Context::getThreadContext(), b);

    ofA.release(); // while b is current
    EXPECT_EQ(platform::getCurrentContext(), b->getRenderContext()) << "the current context is given back";
    EXPECT_EQ(Context::getThreadContext(), b);
    EXPECT_EQ(Objects::exist(ofB.names), all) << "b's objects of the same names were deleted";
    EXPECT_EQ(b->boundTextures[0], ofB.texture.get());

    ASSERT_TRUE(a->makeCurrent());
    EXPECT_EQ(Objects::exist(ofA.names), none) << "a's objects leaked";
    EXPECT_EQ(a->boundTextures[0], nullptr) << "a's record still names the deleted texture";
    EXPECT_EQ(a->currentFrameBuffer, &a->defaultFrameBuffer);
    EXPECT_EQ(a->currentShader, nullptr);
    EXPECT_EQ(test::getInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(test::getInteger(GL_FRAMEBUFFER_BINDING_EXT), 0);

    // And the other way round, with a current.
    ASSERT_TRUE(a->makeCurrent());
    ofB.release();
    ASSERT_TRUE(b->makeCurrent());
    EXPECT_EQ(Objects::exist(ofB.names), none);
    EXPECT_EQ(b->boundTextures[0], nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A thread without the context cannot delete there: the owner deletes when it is next made current.
TEST(OwnerContextTest, ObjectsLetGoOnAnotherThreadAreDeletedWhenTheirContextIsNextCurrent) {
    auto window = std::make_unique<test::GLTestWindow>(64, 64);
    ASSERT_TRUE(window->isReady());
    Context* context = window->getContext();
    auto objects = std::make_unique<Objects>();
    const std::vector<GLuint> names = objects->names;
    objects->frameBuffer->bind();
    context->activateShader(objects->shader);
    std::thread([&] { objects.reset(); }).join();
    EXPECT_EQ(Objects::exist(names), all) << "nothing can be deleted from the other thread";
    ASSERT_TRUE(context->makeCurrent());
    EXPECT_EQ(Objects::exist(names), none);
    EXPECT_EQ(context->boundTextures[0], nullptr);
    EXPECT_EQ(context->currentFrameBuffer, &context->defaultFrameBuffer);
    EXPECT_EQ(test::getInteger(GL_FRAMEBUFFER_BINDING_EXT), 0);
    EXPECT_EQ(context->currentShader, nullptr);
    EXPECT_EQ(test::getInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Objects of a closed context went with it: letting them go later touches nothing.
    Objects late;
    window.reset();
    late.release();
}

} // namespace
} // namespace korvane::graphics3d
