#include "graphics3d/Context.h"

#include <mutex>

#include "graphics3d/GL.h"
#include "graphics3d/Shader.h"
#include "graphics3d/Texture.h"
#include "graphics3d/VertexFormat.h"
#include "platform/Window.h"

namespace korvane::graphics3d {

namespace {

// Every live Context in creation order. Contexts are normally created and looked up on their rendering
// threads only, but windows may each have their own thread, so the list is guarded.
struct Registry {
    std::mutex lock;
    container::Chain<Context> contexts;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

thread_local Context* threadContext = nullptr;

std::once_flag glewInitialised;

template <typename To, typename From> void standIn(To& extension, From core) {
    if (!extension && core)
        extension = reinterpret_cast<To>(core);
}

// The layer calls multitexturing, blending and fog coordinates through their ARB and EXT names. A context
// may offer them as core GL only (Mesa hides those extension names when told to drop an always-present
// extension): then the identical core entry points stand in. Frame-buffer objects are left alone, so that
// their absence still selects the copying fall-backs.
void standInCoreEntryPoints() {
    standIn(__glewActiveTextureARB, __glewActiveTexture);
    standIn(__glewClientActiveTextureARB, __glewClientActiveTexture);
    standIn(__glewBlendEquationEXT, __glewBlendEquation);
    standIn(__glewBlendColorEXT, __glewBlendColor);
    standIn(__glewFogCoordPointerEXT, __glewFogCoordPointer);
}

// The drawable is the client area; a frame around it (a top-level window on Windows) is not drawn into.
Context::Size windowSize(platform::WindowHandle window) {
    platform::Rect rectangle;
    if (!window || !platform::getClientRect(window, rectangle))
        return {};
    return {rectangle.right - rectangle.left, rectangle.bottom - rectangle.top};
}

struct ClientArray {
    uint32_t bit;
    GLenum array;
};

// In the order in which they are switched.
constexpr ClientArray fixedArrays[] = {
    {attribute::Position, GL_VERTEX_ARRAY},
    {attribute::Normal, GL_NORMAL_ARRAY},
    {attribute::Colour, GL_COLOR_ARRAY},
    {attribute::EdgeFlag, GL_EDGE_FLAG_ARRAY},
    {attribute::FogCoordinate, GL_FOG_COORDINATE_ARRAY},
    {attribute::Weight, GL_WEIGHT_ARRAY_ARB},
};

void changeClientArrays(uint32_t enable, uint32_t disable) {
    for (const ClientArray& entry : fixedArrays) {
        if (!((enable | disable) & entry.bit))
            continue;
        // The weight array exists only with vertex blending; without it the switch would be an error.
        if (entry.bit == attribute::Weight && !glWeightPointerARB)
            continue;
        if (disable & entry.bit)
            glDisableClientState(entry.array);
        else
            glEnableClientState(entry.array);
    }
    for (uint32_t unit = 0; unit < Context::TextureUnits; ++unit) {
        const uint32_t bit = attribute::textureCoordinate(unit);
        if (!((enable | disable) & bit))
            continue;
        glClientActiveTextureARB(GL_TEXTURE0 + unit);
        if (disable & bit)
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        else
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    }
}

} // namespace

Context::Context() {
    // The first Context initialises GLEW, while its GL context is current; later ones reuse the entry
    // points, also when they belong to another window or pixel format.
    std::call_once(glewInitialised, [] {
        glewExperimental = GL_FALSE;
        glewInit();
        standInCoreEntryPoints();
    });
}

Context::~Context() {
    if (threadContext == this)
        threadContext = nullptr;
    std::lock_guard<std::mutex> guard(deferLock);
    deferred.clear();
    if (renderContext) {
        platform::deleteContext(renderContext);
        renderContext = nullptr;
    }
}

types::String Context::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Context");
}

Context* Context::getThreadContext() {
    return threadContext;
}

uint32_t Context::getContextCount() {
    Registry& list = registry();
    std::lock_guard<std::mutex> guard(list.lock);
    return list.contexts.getCount();
}

namespace {

// The registered Context of a GL context, null when it has none.
Context* findContext(platform::GLContext renderContext) {
    Registry& list = registry();
    std::lock_guard<std::mutex> guard(list.lock);
    for (Context* context : list.contexts) {
        if (context->getRenderContext() == renderContext)
            return context;
    }
    return nullptr;
}

} // namespace

Context* Context::current() {
    const platform::GLContext renderContext = platform::getCurrentContext();
    if (!renderContext)
        return nullptr;
    if (Context* context = findContext(renderContext)) {
        threadContext = context;
        context->runDeferred();
        return context;
    }
    return create();
}

Context* Context::getOwner() {
    const platform::GLContext renderContext = platform::getCurrentContext();
    if (!renderContext)
        return nullptr;
    if (threadContext && threadContext->renderContext == renderContext)
        return threadContext;
    return findContext(renderContext);
}

bool Context::isOpen() const {
    std::lock_guard<std::mutex> guard(deferLock);
    return renderContext != nullptr;
}

void Context::defer(std::function<void(Context&)> work) {
    std::lock_guard<std::mutex> guard(deferLock);
    if (renderContext)
        deferred.push_back(std::move(work));
}

void Context::runDeferred() {
    std::vector<std::function<void(Context&)>> work;
    {
        std::lock_guard<std::mutex> guard(deferLock);
        work.swap(deferred);
    }
    for (const auto& item : work)
        item(*this);
}

void Context::forgetTexture(const Texture* texture) {
    for (Texture*& bound : boundTextures) {
        if (bound == texture)
            bound = nullptr;
    }
}

Context::Scope::Scope(Context* owner) {
    if (!owner)
        return;
    platform::GLContext ownerContext = nullptr;
    {
        std::lock_guard<std::mutex> guard(owner->deferLock);
        ownerContext = owner->renderContext;
    }
    if (!ownerContext) {
        state = Closed;
        return;
    }
    // A GL context can be made current only on its own thread, which is also the only one that closes it.
    previousThreadContext = threadContext;
    const platform::GLContext current = platform::getCurrentContext();
    if (current != ownerContext) {
        previousContext = current;
        previousDC = platform::getCurrentDC();
        if (!platform::makeCurrent(owner->deviceContext, ownerContext)) {
            state = Elsewhere;
            return;
        }
        switched = true;
    }
    threadContext = owner;
}

Context::Scope::~Scope() {
    if (state != Ready)
        return;
    if (switched) {
        if (previousContext)
            platform::makeCurrent(previousDC, previousContext);
        else
            platform::makeCurrent(nullptr, nullptr);
    }
    threadContext = previousThreadContext;
}

Context* Context::create() {
    const platform::GLContext renderContext = platform::getCurrentContext();
    if (!renderContext)
        return nullptr;
    Context* context = new Context();
    context->renderContext = renderContext;
    context->deviceContext = platform::getCurrentDC();
    context->window = platform::windowFromDC(context->deviceContext);
    context->readWindowSize();
    context->size = {context->defaultFrameBuffer.width, context->defaultFrameBuffer.height};
    {
        Registry& list = registry();
        std::lock_guard<std::mutex> guard(list.lock);
        list.contexts.append(context);
    }
    threadContext = context;
    return context;
}

void Context::readWindowSize() {
    const Size windowRectangle = windowSize(window);
    defaultFrameBuffer.width = windowRectangle.width;
    defaultFrameBuffer.height = windowRectangle.height;
}

bool Context::makeCurrent() {
    if (!renderContext || !platform::makeCurrent(deviceContext, renderContext))
        return false;
    readWindowSize();
    if (currentFrameBuffer == &defaultFrameBuffer)
        size = {defaultFrameBuffer.width, defaultFrameBuffer.height};
    threadContext = this;
    runDeferred();
    return true;
}

void Context::close() {
    if (threadContext == this)
        threadContext = nullptr;
    {
        // Queued deletions go with the GL context, which takes its objects along.
        std::lock_guard<std::mutex> guard(deferLock);
        deferred.clear();
        if (renderContext) {
            if (platform::getCurrentContext() == renderContext)
                platform::makeCurrent(nullptr, nullptr);
            platform::deleteContext(renderContext);
            renderContext = nullptr;
        }
    }
    // The registry's reference may be the last one: keep this alive until the lock is given up.
    addReference();
    {
        Registry& list = registry();
        std::lock_guard<std::mutex> guard(list.lock);
        list.contexts.remove(this);
    }
    release();
}

void Context::copyToTexture(const Texture& cube, uint32_t face, int32_t level, Point destination,
                            Rectangle source) {
    GLint saved = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &saved);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube.getGLName());
    // GL rows count from the bottom; both rectangles are given from the top.
    glCopyTexSubImage2D(face, level, destination.x, cube.getHeight() - source.height - destination.y,
                        source.x, size.height - source.height - source.y, source.width, source.height);
    glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(saved));
}

void Context::bindDefaultFrameBuffer() {
    if (Context* context = threadContext)
        context->switchFrameBuffer(&context->defaultFrameBuffer);
}

void Context::switchFrameBuffer(FrameBuffer* frameBuffer) {
    if (frameBuffer == currentFrameBuffer)
        return;
    if (currentFrameBuffer)
        glGetIntegerv(GL_VIEWPORT, currentFrameBuffer->viewport);
    currentFrameBuffer = frameBuffer;
    size = {frameBuffer->width, frameBuffer->height};
    // Without frame-buffer objects only the window's frame buffer exists, and it is always bound.
    if (glBindFramebufferEXT) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, frameBuffer->getGLName());
        const int32_t* viewport = frameBuffer->viewport;
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    }
}

void Context::releaseShader() {
    Context* context = threadContext;
    if (!context)
        return;
    if (Shader* shader = context->currentShader) {
        shader->unbind();
        context->currentShader = nullptr;
    }
    changeClientArrays(0, context->clientArrays);
    context->clientArrays = 0;
}

void Context::activateShader(Shader* shader) {
    Shader* previous = currentShader;
    currentShader = shader;
    if (previous)
        previous->unbind();
    selectClientArrays(shader ? shader->arrays : 0);
    if (shader)
        shader->bind();
}

void Context::selectClientArrays(uint32_t mask) {
    if (mask == clientArrays)
        return;
    const uint32_t old = clientArrays;
    clientArrays = mask;
    // Only the difference is switched: an array enabled in both masks (unit 0's texture coordinates
    // included) stays enabled.
    changeClientArrays(mask & ~old, old & ~mask);
}

} // namespace korvane::graphics3d
