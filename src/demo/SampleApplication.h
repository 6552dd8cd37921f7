#pragma once

#include "application/Application.h"

namespace korvane::demo {

class MainWindow;
class OpenGLTicker;
class SceneView;

// The demonstration's application: onStart opens the main window with the scene view and starts the frame
// ticker; onStop stops the ticker, closes the window and releases all three.
class SampleApplication : public application::Application {
public:
    SampleApplication();
    ~SampleApplication() override;

    bool onStart() override;
    bool onStop() override;

    // True when the window could not be opened; the loop then ends at once.
    bool hasFailed() const { return failed; }

    types::String getClassPath() const override;

private:
    MainWindow* mainWindow = nullptr;
    SceneView* sceneView = nullptr;
    OpenGLTicker* frameTicker = nullptr;
    bool failed = false;
};

} // namespace korvane::demo
