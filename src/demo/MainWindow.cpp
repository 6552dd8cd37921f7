#include "demo/MainWindow.h"

#include "application/Application.h"
#include "application/Message.h"

namespace korvane::demo {

MainWindow::MainWindow() {
    setTitle(types::String("Korvane"));
    setSize({600.0f, 500.0f});
    setMinimumSize({256.0f, 256.0f});
}

MainWindow::~MainWindow() {
    // onClose is gone once this destructor has run: a window still open must not reach it.
    close();
}

bool MainWindow::onClose() {
    application::Messenger::post(application::Application::getApplication(), application::MessageQuit);
    return true;
}

types::String MainWindow::getClassPath() const {
    return types::String::concat(Window::getClassPath(), ":MainWindow");
}

} // namespace korvane::demo
