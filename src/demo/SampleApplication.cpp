#include "demo/SampleApplication.h"

#include <cstdio>

#include "application/Message.h"
#include "demo/MainWindow.h"
#include "demo/OpenGLTicker.h"
#include "demo/SceneView.h"
#include "gui/Input.h"
#include "platform/Window.h"

namespace korvane::demo {

SampleApplication::SampleApplication() = default;

SampleApplication::~SampleApplication() {
    onStop();
}

bool SampleApplication::onStart() {
    mainWindow = new MainWindow;
    sceneView = new SceneView({0.0f, 0.0f, 600.0f, 500.0f});
    sceneView->setAnchors(gui::AnchorLeft | gui::AnchorRight | gui::AnchorTop | gui::AnchorBottom);
    mainWindow->addView(sceneView);
    if (!mainWindow->open()) {
        // Without a window nothing could ever close it: say why and let the loop end at once.
        std::printf("Korvane: the window cannot be opened (%s).\n", platform::describeWindowRequirements());
        std::fflush(stdout);
        failed = true;
        setThread(system::Thread::getCurrent());
        post(this, application::MessageQuit);
        return true;
    }
    frameTicker = new OpenGLTicker(sceneView);
    frameTicker->setPeriod(14);
    frameTicker->start();
    return true;
}

bool SampleApplication::onStop() {
    if (frameTicker)
        frameTicker->stop();
    if (mainWindow)
        mainWindow->close();
    if (frameTicker)
        frameTicker->release();
    if (mainWindow)
        mainWindow->release();
    if (sceneView)
        sceneView->release();
    frameTicker = nullptr;
    mainWindow = nullptr;
    sceneView = nullptr;
    return true;
}

types::String SampleApplication::getClassPath() const {
    return types::String::concat(Application::getClassPath(), ":SampleApplication");
}

} // namespace korvane::demo
