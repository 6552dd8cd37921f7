#include <gtest/gtest.h>

#include "graphics3d/Context.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/FrameBuffer.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/RenderTarget.h"
#include "graphics3d/Texture2D.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"

namespace korvane::graphics3d {
namespace {

using graphics::PixelFormat;
using object::Pointer;
using test::getInteger;

struct Viewport {
    GLint x, y, width, height;
    bool operator==(const Viewport&) const = default;
};

Viewport currentViewport() {
    Viewport viewport{};
    glGetIntegerv(GL_VIEWPORT, &viewport.x);
    return viewport;
}

void PrintTo(const Viewport& v, std::ostream* out) {
    *out << "(" << v.x << ", " << v.y << ", " << v.width << ", " << v.height << ")";
}

Pointer<Texture2D> makeTexture(int size, PixelFormat format = PixelFormat::RGBA8) {
    return Pointer<Texture2D>::adopt(createTexture2D(format, {size, size}, -1));
}

Pointer<RenderTarget> makeTarget(Texture* texture, uint32_t face = 0) {
    return Pointer<RenderTarget>::adopt(createRenderTarget(texture, face));
}

GLint attachedName(const FrameBuffer& frameBuffer, GLenum attachment) {
    const GLint saved = getInteger(GL_FRAMEBUFFER_BINDING_EXT);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, frameBuffer.getGLName());
    GLint name = 0;
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, attachment,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, GLuint(saved));
    return name;
}

class FrameBufferTest : public test::GLTest {};

TEST_F(FrameBufferTest, AttachingAtAPointAgainKeepsOneBindingTheNewOne) {
    auto fb = Pointer<FrameBuffer>::adopt(createFrameBuffer());
    EXPECT_EQ(fb->getClassPath(), "Object:Resource:FrameBuffer");
    auto first = makeTexture(16);
    auto second = makeTexture(32);
    auto a = makeTarget(first);
    auto b = makeTarget(second);
    auto depth = Pointer<RenderTarget>::adopt(createRenderTarget(GL_DEPTH_COMPONENT24, 32, 32));

    fb->attach(a, GL_COLOR_ATTACHMENT0_EXT);
    EXPECT_EQ(a->getReferenceCount(), 2);
    fb->attach(depth, GL_DEPTH_ATTACHMENT_EXT);
    fb->attach(b, GL_COLOR_ATTACHMENT0_EXT);
    ASSERT_EQ(fb->getBindings().getCount(), 2u);
    EXPECT_EQ(fb->getBindings()[0].target.get(), depth.get());
    EXPECT_EQ(fb->getBindings()[1].target.get(), b.get());
    EXPECT_EQ(fb->getBindings()[1].attachment, GLenum(GL_COLOR_ATTACHMENT0_EXT));
    EXPECT_EQ(a->getReferenceCount(), 1) << "the replaced target is released";
    EXPECT_EQ(attachedName(*fb, GL_COLOR_ATTACHMENT0_EXT), GLint(second->getGLName()));
    EXPECT_EQ(attachedName(*fb, GL_DEPTH_ATTACHMENT_EXT), GLint(depth->getRenderBuffer()));
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING_EXT), 0) << "attaching keeps the binding in force";
    EXPECT_EQ(fb->width, 32);
    EXPECT_EQ(fb->viewport[2], 32);
    EXPECT_TRUE(fb->isValid());

    // Destruction detaches and releases the targets, which release their texture.
    const GLuint name = fb->getGLName();
    fb = nullptr;
    EXPECT_FALSE(glIsFramebufferEXT(name));
    EXPECT_EQ(b->getReferenceCount(), 1);
    EXPECT_EQ(second->getReferenceCount(), 2);
    b = nullptr;
    EXPECT_EQ(second->getReferenceCount(), 1);
}

TEST_F(FrameBufferTest, TargetsTakeTheirSizeAndFormatFromTheirSurface) {
    auto buffer = Pointer<RenderTarget>::adopt(createRenderTarget(GL_RGBA8, 20, 10));
    EXPECT_EQ(buffer->getClassPath(), "Object:Resource:RenderTarget");
    EXPECT_EQ(buffer->getWidth(), 20);
    EXPECT_EQ(buffer->getHeight(), 10);
    EXPECT_EQ(buffer->getInternalFormat(), GLenum(GL_RGBA8));
    EXPECT_EQ(buffer->getTexture(), nullptr);
    const GLuint renderBuffer = buffer->getRenderBuffer();
    buffer = nullptr;
    EXPECT_FALSE(glIsRenderbufferEXT(renderBuffer));

    auto cube = Pointer<CubeTexture>::adopt(createCubeTexture(PixelFormat::RGB8, 64, 64, -2));
    auto face = makeTarget(cube, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y);
    EXPECT_EQ(face->getFace(), GLenum(GL_TEXTURE_CUBE_MAP_NEGATIVE_Y));
    EXPECT_EQ(face->getWidth(), 64);
    EXPECT_EQ(face->getInternalFormat(), GLenum(GL_RGB8));
    EXPECT_EQ(face->getTextureName(), cube->getGLName());
    EXPECT_EQ(face->getRenderBuffer(), 0u);
    auto depth = makeTarget(makeTexture(8, PixelFormat::Depth24), 7);
    EXPECT_EQ(depth->getInternalFormat(), GLenum(GL_DEPTH_COMPONENT24));
    EXPECT_EQ(depth->getFace(), 0u) << "a face means nothing for a 2D texture";

    EXPECT_THROW(createRenderTarget(makeTexture(8, PixelFormat::A8), 0), UnsupportedFormatException);
    EXPECT_THROW(createRenderTarget(GL_RGBA, -1, 4), MemoryException);
    EXPECT_THROW(createRenderTarget(0x1234, 4, 4), UnsupportedFormatException);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FrameBufferTest, ViewportsAreRestoredWhenFrameBuffersTakeTurns) {
    auto a = Pointer<FrameBuffer>::adopt(createFrameBuffer());
    auto b = Pointer<FrameBuffer>::adopt(createFrameBuffer());
    a->attach(makeTarget(makeTexture(64)), GL_COLOR_ATTACHMENT0_EXT);
    b->attach(makeTarget(makeTexture(32)), GL_COLOR_ATTACHMENT0_EXT);
    glViewport(0, 0, 256, 256);

    a->bind();
    EXPECT_EQ(currentViewport(), (Viewport{0, 0, 64, 64})) << "an attach makes the viewport cover the target";
    EXPECT_EQ(context->size.width, 64);
    glViewport(3, 4, 20, 21);
    b->bind();
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING_EXT), GLint(b->getGLName()));
    EXPECT_EQ(currentViewport(), (Viewport{0, 0, 32, 32}));
    a->bind();
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING_EXT), GLint(a->getGLName()));
    EXPECT_EQ(currentViewport(), (Viewport{3, 4, 20, 21}));
    Context::bindDefaultFrameBuffer();
    EXPECT_EQ(currentViewport(), (Viewport{0, 0, 256, 256}));
    EXPECT_EQ(context->size.width, 256);
}

TEST_F(FrameBufferTest, FailuresAreReported) {
    // The window's frame buffer takes no attachments; the binding stays recorded.
    FrameBuffer window;
    auto target = makeTarget(makeTexture(8));
    EXPECT_THROW(window.attach(target, GL_COLOR_ATTACHMENT0_EXT), FrameBufferException);
    EXPECT_EQ(FrameBufferException().getClassPath(),
              "Object:Exception:Graphics3dException:FrameBufferException");
    EXPECT_EQ(window.getBindings().getCount(), 1u);

    {
        test::MissingEntryPoint missing(__glewGenFramebuffersEXT);
        EXPECT_THROW(createFrameBuffer(), UnsupportedFeatureException);
    }
    test::MissingEntryPoint missing(__glewGenRenderbuffersEXT);
    EXPECT_THROW(createRenderTarget(GL_RGBA8, 4, 4), UnsupportedFeatureException);
    EXPECT_THROW(createRenderTarget(makeTexture(8), 0), UnsupportedFeatureException);
}

} // namespace
} // namespace korvane::graphics3d
