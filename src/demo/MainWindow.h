#pragma once

#include "gui/Window.h"

namespace korvane::demo {

// The demonstration's top-level window: "Korvane", a 600 x 500 client area, at least 256 x 256. Closing it
// asks the application to quit; the application closes the window on its way out.
class MainWindow : public gui::Window {
public:
    MainWindow();
    ~MainWindow() override;

    bool onClose() override;

    types::String getClassPath() const override;
};

} // namespace korvane::demo
