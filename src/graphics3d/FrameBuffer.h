#pragma once

#include <cstdint>

#include "container/Array.h"
#include "graphics3d/RenderTarget.h"
#include "graphics3d/Resource.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

class Context;

/// A frame buffer with its attachments, size and viewport. GL name 0 stands for the window's own frame
/// buffer, which every rendering context embeds so that the frame buffer in force is always a FrameBuffer.
///
/// Binding protocol (shared with Context::bindDefaultFrameBuffer): binding a frame buffer that is not in
/// force saves the current GL viewport into the one that was, makes this one the context's frame buffer in
/// force with its size, and restores this one's saved viewport. Binding the one in force costs nothing.
/// Used on the thread whose GL context is current (see Resource); it holds references to its targets.
class FrameBuffer : public Resource {
public:
    /// One attachment: the target (counted) and the GL attachment point it is attached at.
    struct Binding {
        object::Pointer<RenderTarget> target;
        uint32_t attachment = 0;
    };

    /// Wraps a frame-buffer name of the current GL context (0: the window's frame buffer).
    explicit FrameBuffer(uint32_t glName = 0);
    /// Detaches and releases every target and deletes the GL frame buffer, in the context it belongs to.
    /// A frame buffer in force there leaves the window's frame buffer in force.
    ~FrameBuffer() override;

    FrameBuffer(const FrameBuffer&) = delete;

    types::String getClassPath() const override;

    /// The completeness test: the window's frame buffer is always complete; another one is complete when
    /// the driver says so (false without frame-buffer objects).
    bool isValid() const override;

    /// Makes this frame buffer the one in force on the calling thread's rendering context.
    void bind();

    /// Attaches `target` at `attachment` (GL_COLOR_ATTACHMENT0_EXT, GL_DEPTH_ATTACHMENT_EXT, ...), replacing
    /// the target attached there before; the size becomes the target's and the viewport covers it. Throws
    /// FrameBufferException when GL reports an error (the binding stays recorded).
    void attach(RenderTarget* target, uint32_t attachment);

    const container::Array<Binding>& getBindings() const { return bindings; }
    uint32_t getGLName() const { return glName; }

    container::Array<Binding> bindings;
    int32_t width = 0;
    int32_t height = 0;
    int32_t viewport[4] = {0, 0, 0, 0}; // x, y, width, height

protected:
    uint32_t glName;

private:
    // The rendering context the name belongs to; null for the window's frame buffer.
    object::Pointer<Context> owner;
};

/// A new, empty frame-buffer object, owned by the caller. Throws UnsupportedFeatureException without
/// frame-buffer objects and MemoryException when GL cannot make one.
FrameBuffer* createFrameBuffer();

} // namespace korvane::graphics3d
