#pragma once

#include <atomic>

#include "demo/SceneView.h"

namespace korvane::testing {

// The demonstration's scene view, counting the frames it has rendered (read from any thread).
class CountingView : public demo::SceneView {
public:
    using SceneView::SceneView;
    void render() override {
        SceneView::render();
        frames.fetch_add(1, std::memory_order_release);
    }
    std::atomic<long> frames{0};
};

} // namespace korvane::testing
