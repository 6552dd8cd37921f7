#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "container/Chain.h"
#include "graphics3d/Capabilities.h"
#include "graphics3d/DeferQueue.h"
#include "graphics3d/FixedShader.h"
#include "graphics3d/FrameBuffer.h"
#include "graphics3d/LightStack.h"
#include "graphics3d/Material.h"
#include "graphics3d/MatrixStack.h"
#include "graphics3d/RenderState.h"
#include "object/Noncopyable.h"
#include "object/Object.h"
#include "platform/GL.h"
#include "types/Rectangle.h"

namespace korvane::graphics3d {

class Shader;
class Texture;

/// The rendering layer's view of one GL context: its default render states, shader, material and window
/// frame buffer, and the record of what is in force (state objects, shader, material, textures per unit,
/// frame buffer, enabled client arrays) so that applying an unchanged object costs one pointer comparison
/// and no GL call. It also carries the context's matrix stack, light stack, capabilities and defer queue.
///
/// Every live Context sits in a process-wide registry; each thread has a current-Context slot, which is
/// how every other rendering class reaches its context. All GL work of a Context runs on the thread whose
/// GL context is current.
///
/// A Context owns its GL context: close() (or the destruction of the last reference) deletes it. The
/// embedded defaults are owned by the Context; others may add and drop references to them but never the
/// Context's own.
/// An OpenGL view creates the Context of its GL context when it attaches and closes and releases it when
/// it detaches; everyone else borrows it (getThreadContext(), getOwner()) or holds a reference of its own.
class Context : public object::Object, public container::Chainable<Context>, public object::Noncopyable {
public:
    /// Sizes, positions and rectangles in pixels of the context's drawable.
    using Size = types::Size<int32_t>;
    using Point = types::Point<int32_t>;
    using Rectangle = types::Rectangle<int32_t>;

    static constexpr int TextureUnits = 8;

    /// Puts the GL context of an object's owning Context in force on the calling thread for GL work on that
    /// object (its deletion), so that the work reaches the object and not one of the same name in whatever
    /// context happens to be current. Ready when the owner's GL context is current for the scope's lifetime
    /// (made current, on the owner's own thread, if need be; the previous one is made current again after)
    /// and the owner is the thread's current Context; also Ready without an owner, for whatever is current.
    /// Closed when the owner's GL context is gone, and with it every object it had. Elsewhere when it cannot
    /// be made current here (it belongs to another thread, or its window is gone): the owner's queue
    /// (defer()) then takes the work.
    class Scope {
    public:
        enum State { Ready, Closed, Elsewhere };

        explicit Scope(Context* owner);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

        State getState() const { return state; }

    private:
        State state = Ready;
        bool switched = false;
        Context* previousThreadContext = nullptr;
        platform::GLContext previousContext = nullptr;
        platform::DeviceContext previousDC = nullptr;
    };

    ~Context() override;

    types::String getClassPath() const override;

    /// The calling thread's current Context, null when it has none. Cheap: read it first and call
    /// current() only when it is null.
    static Context* getThreadContext();

    /// The Context of the GL context current on the calling thread, created (and registered) when that GL
    /// context has none yet; it becomes the thread's current Context. A found Context is returned without
    /// a reference; a created one carries the creator's reference.
    static Context* current();
    /// Builds a Context for the GL context current on the calling thread, registers it and makes it the
    /// thread's current Context. The first Context of the process initialises GLEW. Null when no GL
    /// context is current. The caller owns the returned reference; the registry holds its own until close().
    static Context* create();

    /// The Context of the GL context current on the calling thread, null when there is none or it has no
    /// Context yet (none is created). Objects take it as their owner when they make their GL object.
    static Context* getOwner();

    /// The number of registered (not yet closed) Contexts.
    static uint32_t getContextCount();

    /// Makes the GL context current for this Context's window and this the thread's current Context; the
    /// window's size is read again. False when the GL context cannot be made current (nothing changes).
    bool makeCurrent();

    /// Deletes the GL context (releasing it from the calling thread first when it is current there), takes
    /// this Context out of the registry (dropping the registry's reference) and clears the calling thread's
    /// slot when it names this Context. A closed Context can no longer be found or made current.
    void close();

    /// Whether the GL context still exists (close() has not run). Callable from any thread.
    bool isOpen() const;

    /// Queues GL work on an object of this Context that could not be done where the object went (see
    /// Scope): it runs on this Context's thread, with its GL context current, when the Context is next made
    /// current or looked up. Dropped when the Context is closed first, since its objects go with it.
    /// Callable from any thread.
    void defer(std::function<void(Context&)> work);

    /// Forgets every record of `texture` as the one bound on a unit.
    void forgetTexture(const Texture* texture);

    /// Copies a rectangle of the frame buffer in force (top-left origin) into one face of a cube texture at
    /// destination (top-left origin inside the face). The texture bound to the cube-map target is kept.
    void copyToTexture(const Texture& cube, uint32_t face, int32_t level, Point destination,
                       Rectangle source);

    /// Makes the window's frame buffer the one in force on the thread's current Context.
    static void bindDefaultFrameBuffer();
    /// Unbinds the thread's current shader and disables every enabled client array.
    static void releaseShader();

    /// Makes `shader` the current shader: the previous one is unbound, the client arrays are switched to the
    /// new shader's mask and the new shader is bound. Callers skip it when the shader is already current.
    void activateShader(Shader* shader);
    /// Enables and disables client arrays so that exactly those of `mask` are enabled.
    void selectClientArrays(uint32_t mask);
    /// The frame-buffer binding protocol (see FrameBuffer).
    void switchFrameBuffer(FrameBuffer* frameBuffer);

    platform::GLContext getRenderContext() const { return renderContext; }
    platform::DeviceContext getDeviceContext() const { return deviceContext; }
    platform::WindowHandle getWindow() const { return window; }

    FrameBuffer defaultFrameBuffer;
    FrameBuffer* currentFrameBuffer = &defaultFrameBuffer;
    uint32_t clientArrays = 0;
    PlainShader defaultShader{0};
    Shader* currentShader = nullptr;
    ColourMaterial defaultMaterial;
    Material* currentMaterial = nullptr;
    StencilMode defaultStencilMode;
    StencilMode* currentStencilMode = nullptr;
    BlendMode defaultBlendMode;
    BlendMode* currentBlendMode = nullptr;
    DepthMode defaultDepthMode;
    DepthMode* currentDepthMode = nullptr;
    PolygonMode defaultPolygonMode;
    PolygonMode* currentPolygonMode = nullptr;
    MatrixStack matrixStack;
    LightStack lightStack;
    Capabilities capabilities;
    DeferQueue deferQueue{this};
    Texture* boundTextures[TextureUnits] = {};
    uint32_t textureTargets[TextureUnits] = {0x0DE1, 0x0DE1, 0x0DE1, 0x0DE1, 0x0DE1, 0x0DE1, 0x0DE1, 0x0DE1};
    /// Base address and type of the indices bound last, for glDrawElements (null base for a buffer object).
    const void* indexPointer = nullptr;
    uint32_t indexType = 0x1403; // GL_UNSIGNED_SHORT
    uint32_t indexSize = 2;
    Size size;

private:
    Context();

    void readWindowSize();
    // Runs the queued work; this Context's GL context is current on the calling thread.
    void runDeferred();

    platform::DeviceContext deviceContext = nullptr;
    platform::WindowHandle window = nullptr;
    platform::GLContext renderContext = nullptr;
    // Guards renderContext against close() while another thread queues work, and the queue itself.
    mutable std::mutex deferLock;
    std::vector<std::function<void(Context&)>> deferred;
};

} // namespace korvane::graphics3d
