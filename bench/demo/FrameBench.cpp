// Times the demonstration's frame: the scene view rendered and swapped on its window thread, with the GL
// work finished, in render-target mode and in copy mode (frame-buffer objects hidden from the layer).
// Usage: korvane_frame_bench [frames]   (run on an X display; default 100 frames after 10 to warm up)
#include <unistd.h>

#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "demo/MainWindow.h"
#include "demo/SceneView.h"
#include "object/Pointer.h"
#include "platform/GL.h"

using korvane::demo::MainWindow;
using korvane::demo::SceneView;
using korvane::object::Pointer;

namespace {

bool measure(const char* mode, int frames) {
    auto window = Pointer<MainWindow>::adopt(new MainWindow);
    auto view = Pointer<SceneView>::adopt(new SceneView({0.0f, 0.0f, 600.0f, 500.0f}));
    window->addView(view.get());
    if (!window->open()) {
        std::printf("the window cannot be opened\n");
        return false;
    }
    double milliseconds = 0, processMilliseconds = 0;
    auto processTime = [] {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    };
    window->callOnWindowThread([&] {
        auto frame = [&] {
            view->render();
            glFinish();
            korvane::platform::swapBuffers(view->getDeviceContext());
        };
        for (int i = 0; i < 10; ++i)
            frame();
        const auto start = std::chrono::steady_clock::now();
        const double processStart = processTime();
        for (int i = 0; i < frames; ++i)
            frame();
        milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        processMilliseconds = processTime() - processStart;
        return true;
    });
    window->close();
    // The processor time of all threads (the driver's included) is less affected by other load.
    std::printf("%-20s %7.2f ms per frame, %7.2f ms of processor time (%d frames)\n", mode,
                milliseconds / frames, processMilliseconds / frames, frames);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    if (::chdir(KORVANE_RUN_DIR) != 0) {
        std::printf("no run directory %s\n", KORVANE_RUN_DIR);
        return 1;
    }
    if (!measure("render-target mode:", frames))
        return 1;
    // The layer picks copy mode when the frame-buffer entry point is missing.
    const auto saved = __glewGenFramebuffersEXT;
    __glewGenFramebuffersEXT = nullptr;
    const bool copied = measure("copy mode:", frames);
    __glewGenFramebuffersEXT = saved;
    return copied ? 0 : 1;
}
