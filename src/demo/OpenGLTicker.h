#pragma once

#include <atomic>
#include <cstdint>

#include "system/Ticker.h"

namespace korvane::demo {

class SceneView;

// Paces the frames: every tick asks the scene view's child window for a repaint, which renders a frame on
// the window thread. The view is not counted: the owner stops the ticker before releasing the view.
class OpenGLTicker : public system::Ticker {
public:
    explicit OpenGLTicker(SceneView* view);
    ~OpenGLTicker() override;

    void tick() override;

    types::String getClassPath() const override;

    // Repaint requests made by every ticker of the process so far (any thread may read it).
    static uint64_t getTickCount() { return tickCount.load(std::memory_order_relaxed); }

private:
    SceneView* view;
    static inline std::atomic<uint64_t> tickCount{0};
};

} // namespace korvane::demo
