#pragma once

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

private:
    SceneView* view;
};

} // namespace korvane::demo
