#pragma once

#include <filesystem>

#include "demo/MainWindow.h"
#include "demo/SceneView.h"
#include "object/Pointer.h"
#include "support/demo/RunDirectory.h"

namespace korvane::demo::test {

// Runs in the run directory (data files and font) and goes back afterwards.
class InRunDirectory {
public:
    InRunDirectory() : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(runDirectory());
    }
    ~InRunDirectory() { std::filesystem::current_path(previous); }
    InRunDirectory(const InRunDirectory&) = delete;
    InRunDirectory& operator=(const InRunDirectory&) = delete;

private:
    std::filesystem::path previous;
};

// Opens the program's window with a scene view of the given size in this process, in the run directory,
// and runs `body` with the view on the window thread; nothing runs when the window does not open.
template <typename Body> void withSceneView(float width, float height, Body body) {
    InRunDirectory directory;
    auto window = object::Pointer<MainWindow>::adopt(new MainWindow);
    auto view = object::Pointer<SceneView>::adopt(new SceneView({0.0f, 0.0f, width, height}));
    window->addView(view.get());
    if (window->open()) {
        window->callOnWindowThread([&] {
            body(*view);
            return true;
        });
        window->close();
    }
}

} // namespace korvane::demo::test
