#include "graphics3d/CubemapGenerator.h"

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/RenderTarget.h"

namespace korvane::graphics3d {

namespace {

uint32_t faceTarget(int face) {
    return GL_TEXTURE_CUBE_MAP_POSITIVE_X + uint32_t(face);
}

// Every entry point that building and binding the face frame buffers calls.
bool haveFrameBufferObjects() {
    return glGenRenderbuffersEXT && glBindRenderbufferEXT && glRenderbufferStorageEXT &&
           glGetRenderbufferParameterivEXT && glGenFramebuffersEXT && glBindFramebufferEXT &&
           glFramebufferTexture2DEXT && glFramebufferRenderbufferEXT;
}

} // namespace

CubemapGenerator::CubemapGenerator(CubeTexture* texture, int32_t requestedMode) : mode(requestedMode) {
    camera.near = 5.0f;
    camera.focal = 5.0f;
    camera.far = 5000.0f;
    camera.window[0] = -5.0f;
    camera.window[1] = -5.0f;
    camera.window[2] = 10.0f;
    camera.window[3] = 10.0f;
    // Each face looks along its axis; the rows turn the generator's frame into the face's eye frame, with
    // the image's up direction that cube-map lookups expect.
    faceMatrices[0] = math::Matrix(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1);
    faceMatrices[1] = math::Matrix(0, 0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1);
    faceMatrices[2] = math::Matrix(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1);
    faceMatrices[3] = math::Matrix(1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1);
    faceMatrices[4] = math::Matrix(1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1);
    faceMatrices[5] = math::Matrix(-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    setTexture(texture, requestedMode);
}

CubemapGenerator::~CubemapGenerator() {
    for (object::Pointer<FrameBuffer>& frameBuffer : frameBuffers)
        frameBuffer = nullptr;
    texture = nullptr;
}

types::String CubemapGenerator::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":CubemapGenerator");
}

void CubemapGenerator::setTexture(CubeTexture* newTexture, int32_t requestedMode) {
    if (!newTexture)
        throw InvalidOperationException();
    if (newTexture == texture.get() && requestedMode == mode)
        return;

    int32_t resolved = CopyMode;
    switch (requestedMode) {
    case CopyMode:
        break;
    case RenderTargetMode:
        if (!haveFrameBufferObjects())
            throw UnsupportedFeatureException();
        resolved = RenderTargetMode;
        break;
    case AutomaticMode:
        resolved = haveFrameBufferObjects() ? RenderTargetMode : CopyMode;
        break;
    default:
        throw InvalidModeException();
    }

    // Built aside and taken over only when complete, so that a failure keeps the generator usable.
    object::Pointer<FrameBuffer> built[CubeTexture::FaceCount];
    if (resolved == RenderTargetMode) {
        object::Pointer<RenderTarget> colours[CubeTexture::FaceCount];
        for (int face = 0; face < CubeTexture::FaceCount; ++face)
            colours[face] =
                object::Pointer<RenderTarget>::adopt(createRenderTarget(newTexture, faceTarget(face)));
        const auto depth = object::Pointer<RenderTarget>::adopt(
            createRenderTarget(GL_DEPTH_COMPONENT24, newTexture->getWidth(), newTexture->getHeight()));
        for (int face = 0; face < CubeTexture::FaceCount; ++face) {
            built[face] = object::Pointer<FrameBuffer>::adopt(createFrameBuffer());
            built[face]->attach(colours[face], GL_COLOR_ATTACHMENT0_EXT);
            built[face]->attach(depth, GL_DEPTH_ATTACHMENT_EXT);
        }
    }

    for (int face = 0; face < CubeTexture::FaceCount; ++face)
        frameBuffers[face] = built[face];
    texture = newTexture;
    mode = resolved;
}

void CubemapGenerator::generate(const math::Matrix& viewMatrix) {
    if (!texture || !Context::getThreadContext())
        return;
    camera.apply();
    if (mode == RenderTargetMode)
        generateIntoTargets(viewMatrix);
    else
        generateByCopying(viewMatrix);
}

void CubemapGenerator::generateIntoTargets(const math::Matrix& viewMatrix) {
    struct Restore {
        object::Pointer<FrameBuffer> previous;
        ~Restore() { previous->bind(); }
    } restore{Context::getThreadContext()->currentFrameBuffer};

    for (int face = 0; face < CubeTexture::FaceCount; ++face) {
        frameBuffers[face]->bind();
        renderFace(faceMatrices[face] * viewMatrix, faceTarget(face));
    }
    // Drawing through a frame buffer leaves the other levels as they were, even with GL's automatic
    // generation on.
    texture->markLevelsDirty();
    texture->updateLevels();
}

void CubemapGenerator::generateByCopying(const math::Matrix& viewMatrix) {
    Context* context = Context::getThreadContext();
    struct Restore {
        Context* context;
        GLint viewport[4] = {0, 0, 0, 0};
        int32_t frameHeight;
        // Keeps the viewport's distance from the top edge, in case the frame buffer's height changed.
        ~Restore() {
            glViewport(viewport[0], viewport[1] + context->size.height - frameHeight, viewport[2],
                       viewport[3]);
        }
    } restore{context, {}, context->size.height};
    glGetIntegerv(GL_VIEWPORT, restore.viewport);

    const int32_t width = texture->getWidth();
    const int32_t height = texture->getHeight();
    glViewport(0, context->size.height - height, width, height);
    for (int face = 0; face < CubeTexture::FaceCount; ++face) {
        renderFace(faceMatrices[face] * viewMatrix, faceTarget(face));
        context->copyToTexture(*texture, faceTarget(face), 0, {0, 0}, {0, 0, width, height});
    }
    // GL follows a copy with the other levels only when its automatic generation is on.
    if (!texture->generatesLevels()) {
        texture->markLevelsDirty();
        texture->updateLevels();
    }
}

} // namespace korvane::graphics3d
