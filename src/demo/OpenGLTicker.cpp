#include "demo/OpenGLTicker.h"

#include "demo/SceneView.h"

namespace korvane::demo {

OpenGLTicker::OpenGLTicker(SceneView* view) : view(view) {}

OpenGLTicker::~OpenGLTicker() {
    stop();
}

void OpenGLTicker::tick() {
    // Without a window there is no child window to invalidate.
    if (view->getWindow() && view->invalidate())
        tickCount.fetch_add(1, std::memory_order_relaxed);
}

types::String OpenGLTicker::getClassPath() const {
    return types::String::concat(Ticker::getClassPath(), ":OpenGLTicker");
}

} // namespace korvane::demo
