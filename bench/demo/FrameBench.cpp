// Times the demonstration's frame: the scene view rendered and swapped on its window thread with the GL
// work finished, in render-target mode and in copy mode (frame-buffer objects hidden from the layer), each
// side by side with the same frame written directly against OpenGL (bench/demo/Baseline.cpp). Frames run
// back to back after a warm-up, in alternating blocks so that both sides see the same machine load.
//
// Usage: korvane_frame_bench [--frames N] [--warmup N] [--block N] [--only VARIANT] [--step MS]
//                            [--spheres N] [--size WxH] [--mode rt|copy]
//   VARIANT: rt, copy, baseline, baseline-copy (one variant alone, e.g. under apitrace or callgrind)
//   --spheres: the scene generator's N spheres on both sides (default the demonstration's 4)
//   --size: the window's size in pixels (default 600x500); the X screen must hold it
//   --mode: only the pair of that mode (the framework and the baseline side by side)
//   --step: every frame advances the spheres by MS milliseconds instead of the time it took, so that
//   runs (and both sides) draw the same frames, e.g. to count their work under callgrind; with one
//   variant, its frames start from the scene as built
// Prints the edge of the scene's cube faces ("faces <px>"), one line per variant: "<variant> median <ms>
// p10 <ms> p90 <ms> cpu <ms> frames <n>", and the ratio framework/baseline per mode. Run on an X display.
#include <unistd.h>

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "bench/demo/Baseline.h"
#include "demo/MainWindow.h"
#include "demo/SceneView.h"
#include "gui3d/StringView.h"
#include "object/Pointer.h"
#include "platform/GL.h"

using korvane::demo::MainWindow;
using korvane::object::Pointer;

namespace {

double processMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Options {
    int frames = 100;
    int warmup = 10;
    int block = 10;
    std::string only;
    std::string mode;
    // Milliseconds each frame advances the scene; negative: the time the last frame took.
    double step = -1;
    int spheres = korvane::demo::SphereCount;
    int width = 600, height = 500;
};

// One window with one view, and the frames it has taken.
struct Variant;
void measuredFrames(Variant& variant, int count);

struct Variant {
    std::string name;
    Pointer<MainWindow> window;
    Pointer<korvane::gui::OpenGL> view;
    korvane::bench::BaselineView* baseline = nullptr;
    std::vector<double> milliseconds;
    double processTime = 0;
    double lastFrame = 0;
    double step = -1;
    int spheres = korvane::demo::SphereCount;
    korvane::gui::Size size;

    bool open(bool hideFrameBuffers) {
        if (hideFrameBuffers && !__glewBindFramebufferEXT) {
            // GLEW loads its entry points with the process's first GL context: make one before hiding.
            auto first = Pointer<MainWindow>::adopt(new MainWindow);
            auto plain = Pointer<korvane::gui::OpenGL>::adopt(new korvane::gui::OpenGL({0, 0, 64, 64}));
            first->addView(plain.get());
            if (first->open())
                first->close();
        }
        window = Pointer<MainWindow>::adopt(new MainWindow);
        window->setSize(size);
        window->addView(view.get());
        const auto saved = __glewGenFramebuffersEXT;
        // The layer picks copy mode when the frame-buffer entry point is missing.
        if (hideFrameBuffers)
            __glewGenFramebuffersEXT = nullptr;
        const bool opened = window->open();
        if (hideFrameBuffers)
            __glewGenFramebuffersEXT = saved;
        if (!opened) {
            std::printf("%s: the window cannot be opened\n", name.c_str());
            return false;
        }
        if (auto* scene = dynamic_cast<korvane::demo::SceneView*>(view.get())) {
            if (spheres != korvane::demo::SphereCount)
                window->callOnWindowThread([&] {
                    scene->getScene().build(spheres);
                    return true;
                });
            const std::string label = scene->getLabel() ? scene->getLabel()->getText().getText() : "";
            const char* expected = hideFrameBuffers ? korvane::demo::SceneView::CopyTextureLabel
                                                    : korvane::demo::SceneView::RenderTargetLabel;
            if (label != expected) {
                std::printf("%s: the scene runs in the wrong mode (%s)\n", name.c_str(), label.c_str());
                return false;
            }
        }
        return true;
    }

    // One frame, its time kept in `lastFrame`.
    void frame() {
        const auto start = std::chrono::steady_clock::now();
        if (baseline)
            baseline->setElapsed(float(step >= 0 ? step : lastFrame));
        auto* scene = dynamic_cast<korvane::demo::SceneView*>(view.get());
        if (scene && step >= 0)
            scene->renderFrame(float(step));
        else
            view->render();
        glFinish();
        korvane::platform::swapBuffers(view->getDeviceContext());
        lastFrame =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }

    // With a fixed step: the warm-up and the measured frames in one go on the window thread, from the
    // scene as built, so that no paint between them turns the spheres by the time it happened to take
    // (how much work a frame is depends on how the spheres stand).
    void runFixed(int warmup, int count) {
        window->callOnWindowThread([&] {
            if (auto* scene = dynamic_cast<korvane::demo::SceneView*>(view.get()))
                scene->getScene().build(spheres);
            for (int i = 0; i < warmup; ++i)
                frame();
            measuredFrames(*this, count);
            return true;
        });
    }

    // Runs `count` frames on the window thread; `record` keeps their times.
    void run(int count, bool record) {
        window->callOnWindowThread([&] {
            if (record)
                measuredFrames(*this, count);
            else
                for (int i = 0; i < count; ++i)
                    frame();
            return true;
        });
    }

    double percentile(double p) const {
        std::vector<double> sorted = milliseconds;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty())
            return 0;
        return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5))];
    }

    void print() const {
        std::printf("%-14s median %8.2f p10 %8.2f p90 %8.2f cpu %8.2f frames %zu\n", name.c_str(),
                    percentile(0.5), percentile(0.1), percentile(0.9),
                    processTime / double(milliseconds.size()), milliseconds.size());
    }

    void close() {
        if (window)
            window->close();
        window = nullptr;
        view = nullptr;
    }
};

// The measured frames, on the window thread; callgrind collects inside this function alone
// (--toggle-collect=measuredFrames).
__attribute__((noinline)) void measuredFrames(Variant& variant, int count) {
    const double processStart = processMilliseconds();
    for (int i = 0; i < count; ++i) {
        variant.frame();
        variant.milliseconds.push_back(variant.lastFrame);
    }
    variant.processTime += processMilliseconds() - processStart;
}

Variant makeVariant(const std::string& name, const Options& options) {
    Variant variant;
    variant.name = name;
    variant.step = options.step;
    variant.spheres = options.spheres;
    variant.size = {float(options.width), float(options.height)};
    const korvane::gui::Rectangle frame{0.0f, 0.0f, variant.size.width, variant.size.height};
    if (name == "rt" || name == "copy") {
        variant.view = Pointer<korvane::gui::OpenGL>::adopt(new korvane::demo::SceneView(frame));
    } else {
        auto* baseline = new korvane::bench::BaselineView(
            frame, name == "baseline-copy", korvane::bench::demonstrationSpheres(options.spheres));
        variant.baseline = baseline;
        variant.view = Pointer<korvane::gui::OpenGL>::adopt(baseline);
    }
    return variant;
}

// Measures the given variants side by side, in alternating blocks; false when a window fails.
bool measure(const std::vector<std::string>& names, const Options& options) {
    std::vector<Variant> variants;
    for (const std::string& name : names) {
        variants.push_back(makeVariant(name, options));
        if (!variants.back().open(name == "copy")) {
            for (Variant& variant : variants)
                variant.close();
            return false;
        }
    }
    if (options.step >= 0 && variants.size() == 1) {
        variants[0].runFixed(options.warmup, options.frames);
    } else {
        for (Variant& variant : variants)
            variant.run(options.warmup, false);
        for (int done = 0; done < options.frames; done += options.block) {
            const int count = std::min(options.block, options.frames - done);
            for (Variant& variant : variants)
                variant.run(count, true);
        }
    }
    std::printf("faces %d\n", korvane::demo::Scene::cubeSizeFor(options.spheres));
    for (Variant& variant : variants)
        variant.print();
    if (variants.size() == 2)
        std::printf("ratio %-8s median %.3f cpu %.3f\n", variants[0].name.c_str(),
                    variants[0].percentile(0.5) / variants[1].percentile(0.5),
                    variants[0].processTime / variants[1].processTime);
    for (Variant& variant : variants)
        variant.close();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--frames" && hasValue)
            options.frames = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--warmup" && hasValue)
            options.warmup = std::max(0, std::atoi(argv[++i]));
        else if (argument == "--block" && hasValue)
            options.block = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--only" && hasValue)
            options.only = argv[++i];
        else if (argument == "--step" && hasValue)
            options.step = std::max(0.0, std::atof(argv[++i]));
        else if (argument == "--mode" && hasValue)
            options.mode = argv[++i];
        else if (argument == "--spheres" && hasValue)
            options.spheres = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--size" && hasValue &&
                 std::sscanf(argv[i + 1], "%dx%d", &options.width, &options.height) == 2 &&
                 options.width > 0 && options.height > 0)
            ++i;
        else {
            std::printf(
                "usage: %s [--frames N] [--warmup N] [--block N] [--only rt|copy|baseline|baseline-copy] "
                "[--step MS] [--spheres N] [--size WxH] [--mode rt|copy]\n",
                argv[0]);
            return 2;
        }
    }
    if (::chdir(KORVANE_RUN_DIR) != 0) {
        std::printf("no run directory %s\n", KORVANE_RUN_DIR);
        return 1;
    }
    if (!options.only.empty()) {
        if (options.only != "rt" && options.only != "copy" && options.only != "baseline" &&
            options.only != "baseline-copy") {
            std::printf("unknown variant %s\n", options.only.c_str());
            return 2;
        }
        return measure({options.only}, options) ? 0 : 1;
    }
    if (!options.mode.empty() && options.mode != "rt" && options.mode != "copy") {
        std::printf("unknown mode %s\n", options.mode.c_str());
        return 2;
    }
    if (options.mode != "copy" && !measure({"rt", "baseline"}, options))
        return 1;
    return options.mode == "rt" || measure({"copy", "baseline-copy"}, options) ? 0 : 1;
}
