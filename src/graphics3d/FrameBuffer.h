#pragma once

#include <cstdint>

#include "graphics3d/Resource.h"

namespace korvane::graphics3d {

// A frame buffer with its size and viewport. GL name 0 stands for the window's own frame buffer, which
// every rendering context embeds so that the frame buffer in force is always a FrameBuffer.
//
// Binding protocol (shared with Context::bindDefaultFrameBuffer): binding a frame buffer that is not in
// force saves the current GL viewport into the one that was, makes this one the context's frame buffer in
// force with its size, and restores this one's saved viewport. Binding the one in force costs nothing.
class FrameBuffer : public Resource {
public:
    explicit FrameBuffer(uint32_t glName = 0) : glName(glName) {}
    ~FrameBuffer() override;

    types::String getClassPath() const override;

    // The completeness test: the window's frame buffer is always complete; another one is complete when
    // the driver says so (false without frame-buffer objects).
    bool isValid() const override;

    // Makes this frame buffer the one in force on the calling thread's rendering context.
    void bind();

    uint32_t getGLName() const { return glName; }

    int32_t width = 0;
    int32_t height = 0;
    int32_t viewport[4] = {0, 0, 0, 0}; // x, y, width, height

protected:
    uint32_t glName;
};

} // namespace korvane::graphics3d
