// Runs the demonstration's window for many frames and shows that nothing grows: the scene view renders
// back to back (a ticker with a 1 ms period drives the real paint path), the camera is dragged with synthetic
// X input and the window is resized now and then, from the framework and from outside. Every few hundred
// frames it samples resident memory, heap in use, the message pools, live GL objects, threads and
// descriptors; after the warm-up every figure must stay flat.
// Usage: korvane_soak [frames] [warm-up frames] [sample every]   (on an X display; 10000 1500 250 by default)
// Exit code 0 when flat, 1 when something grew, 2 when the run could not be made.
#include <malloc.h>
#include <unistd.h>

#include <GL/glew.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "application/Message.h"
#include "demo/MainWindow.h"
#include "demo/OpenGLTicker.h"
#include "demo/SceneView.h"
#include "gui/Input.h"
#include "object/Pointer.h"
#include "support/demo/CountingView.h"
#include "tools/xwindow/XWindows.h"

using korvane::demo::MainWindow;
using korvane::demo::OpenGLTicker;
using korvane::demo::SceneView;
using korvane::object::Pointer;
using korvane::testing::CountingView;

namespace {

// Live GL objects of each kind, counted by asking for every name up to the next one the driver would hand
// out.
struct GLObjects {
    long textures = 0, buffers = 0, programs = 0, shaders = 0, framebuffers = 0, renderbuffers = 0;
};

GLObjects countGLObjects() {
    GLObjects live;
    GLuint probe = 0;
    glGenTextures(1, &probe);
    glDeleteTextures(1, &probe);
    for (GLuint name = 1; name < probe; ++name)
        live.textures += glIsTexture(name);
    if (glGenBuffers) {
        glGenBuffers(1, &probe);
        glDeleteBuffers(1, &probe);
        for (GLuint name = 1; name < probe; ++name)
            live.buffers += glIsBuffer(name);
    }
    if (glCreateShader) {
        // Programs and shaders share one name space.
        probe = glCreateProgram();
        glDeleteProgram(probe);
        for (GLuint name = 1; name < probe; ++name) {
            live.programs += glIsProgram(name);
            live.shaders += glIsShader(name);
        }
    }
    if (glGenFramebuffersEXT) {
        glGenFramebuffersEXT(1, &probe);
        glDeleteFramebuffersEXT(1, &probe);
        for (GLuint name = 1; name < probe; ++name)
            live.framebuffers += glIsFramebufferEXT(name);
        glGenRenderbuffersEXT(1, &probe);
        glDeleteRenderbuffersEXT(1, &probe);
        for (GLuint name = 1; name < probe; ++name)
            live.renderbuffers += glIsRenderbufferEXT(name);
    }
    return live;
}

long countEntries(const char* folder) {
    long count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count;
}

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct Sample {
    long frames;
    double seconds;
    // The figures that must stay flat, in the order of `names`.
    std::array<long, 12> values;
};

const std::array<const char*, 12> names = {"rss KiB",  "heap KiB", "msg recs", "msg used",
                                           "par recs", "threads",  "fds",      "textures",
                                           "buffers",  "programs", "shaders",  "fbo+rbo"};
// How much a figure may move after the warm-up: memory by allocator noise, everything else not at all.
const std::array<long, 12> tolerance = {4096, 1024, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

Sample sample(MainWindow& window, long frames, double seconds) {
    const auto pools = korvane::application::Message::getPoolStatistics();
    GLObjects gl;
    window.callOnWindowThread([&] {
        gl = countGLObjects();
        return true;
    });
    const struct mallinfo2 heap = mallinfo2();
    return {frames,
            seconds,
            {residentKiB(), long(heap.uordblks / 1024), long(pools.messages), long(pools.messagesInUse),
             long(pools.parameters), countEntries("/proc/self/task"), countEntries("/proc/self/fd"),
             gl.textures, gl.buffers, gl.programs, gl.shaders, gl.framebuffers + gl.renderbuffers}};
}

void print(const Sample& s) {
    std::printf("%7ld %8.1f", s.frames, s.seconds);
    for (long value : s.values)
        std::printf(" %9ld", value);
    std::printf("\n");
    std::fflush(stdout);
}

// Drags the pointer across the window with a button held, in a few steps (the trackball turns the camera).
void drag(Display* display, ::Window window, unsigned button, int step) {
    int rootX = 0, rootY = 0;
    ::Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &rootX, &rootY, &child);
    const int x0 = rootX + 120 + (step % 5) * 10, y0 = rootY + 110;
    XTestFakeMotionEvent(display, -1, x0, y0, CurrentTime);
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    for (int i = 1; i <= 6; ++i)
        XTestFakeMotionEvent(display, -1, x0 + (step % 2 ? -8 : 8) * i, y0 + (step % 3 ? 3 : -3) * i,
                             CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XFlush(display);
}

} // namespace

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::max(1L, std::atol(argv[1])) : 10000;
    const long warmUp = argc > 2 ? std::max(0L, std::atol(argv[2])) : 1500;
    const long every = argc > 3 ? std::max(1L, std::atol(argv[3])) : 250;
    if (::chdir(KORVANE_RUN_DIR) != 0) {
        std::printf("no run directory %s\n", KORVANE_RUN_DIR);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("no X display\n");
        return 2;
    }

    // A small window: the frame's cost is mostly the reflections, which do not depend on it.
    auto window = Pointer<MainWindow>::adopt(new MainWindow);
    window->setSize({320.0f, 256.0f});
    auto view = Pointer<CountingView>::adopt(new CountingView({0.0f, 0.0f, 320.0f, 256.0f}));
    view->setAnchors(korvane::gui::AnchorLeft | korvane::gui::AnchorRight | korvane::gui::AnchorTop |
                     korvane::gui::AnchorBottom);
    window->addView(view.get());
    if (!window->open()) {
        std::printf("the window cannot be opened\n");
        return 2;
    }
    const ::Window xwindow = korvane::tools::waitForWindow(display, "Korvane", 20000);
    auto ticker = Pointer<OpenGLTicker>::adopt(new OpenGLTicker(view.get()));
    ticker->setPeriod(1);
    ticker->start();

    // Sizes the window goes through, in turn: from the framework and from outside, one below the minimum.
    const std::array<std::array<int, 2>, 6> sizes = {
        {{480, 360}, {200, 120}, {640, 480}, {320, 256}, {256, 300}, {320, 256}}};
    std::printf("%7s %8s", "frames", "seconds");
    for (const char* name : names)
        std::printf(" %9s", name);
    std::printf("\n");

    const auto start = std::chrono::steady_clock::now();
    auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<Sample> samples;
    long nextSample = 0, nextDrag = 25, nextResize = 100, drags = 0, resizes = 0;
    const auto deadline = start + std::chrono::hours(3);
    for (;;) {
        const long done = view->frames.load(std::memory_order_acquire);
        if (done >= nextSample) {
            samples.push_back(sample(*window, done, seconds()));
            print(samples.back());
            nextSample = (done / every + 1) * every;
            if (done >= frames)
                break;
        }
        if (done >= nextDrag && xwindow) {
            drag(display, xwindow, drags % 3 == 2 ? 3 : 1, int(drags));
            ++drags;
            nextDrag = done + 25;
        }
        if (done >= nextResize) {
            const auto& size = sizes[size_t(resizes) % sizes.size()];
            if (resizes % 2 == 0 || !xwindow) {
                window->setSize({float(size[0]), float(size[1])});
            } else {
                XResizeWindow(display, xwindow, unsigned(size[0]), unsigned(size[1]));
                XFlush(display);
            }
            ++resizes;
            nextResize = done + 100;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            std::printf("gave up: %ld frames after %.0f s\n", done, seconds());
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ticker->stop();
    const long rendered = view->frames.load();
    window->close();
    XCloseDisplay(display);

    std::printf("\n%ld frames in %.0f s (%.1f ms per frame), %ld drags, %ld resizes\n", rendered, seconds(),
                1000.0 * seconds() / double(std::max(rendered, 1L)), drags, resizes);
    std::printf("after %ld frames of warm-up:\n", warmUp);
    bool flat = rendered >= frames;
    const auto first =
        std::find_if(samples.begin(), samples.end(), [&](const Sample& s) { return s.frames >= warmUp; });
    if (first == samples.end() || samples.end() - first < 2) {
        std::printf("too few samples after the warm-up\n");
        return 1;
    }
    // Memory moves with what the driver holds for the frame in flight at the moment of the sample: its trend
    // is judged by the medians of the first and the last third after the warm-up. Counts must not move.
    const size_t count = size_t(samples.end() - first), third = std::max<size_t>(count / 3, 1);
    auto median = [&](size_t from, size_t i) {
        std::vector<long> values;
        for (size_t k = from; k < from + third; ++k)
            values.push_back(first[long(k)].values[i]);
        std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
        return values[values.size() / 2];
    };
    std::printf("%30s %9s %9s %9s %9s\n", "", "lowest", "highest", "median 1", "median 3");
    for (size_t i = 0; i < names.size(); ++i) {
        long low = first->values[i], high = low;
        for (auto s = first; s != samples.end(); ++s) {
            low = std::min(low, s->values[i]);
            high = std::max(high, s->values[i]);
        }
        const long early = median(0, i), late = median(count - third, i);
        const bool steady = tolerance[i] ? late - early <= tolerance[i] : low == high;
        flat = flat && steady;
        std::printf("%30s %9ld %9ld %9ld %9ld%s\n", names[i], low, high, early, late, steady ? "" : "  GREW");
    }
    std::printf(flat ? "flat\n" : "NOT flat\n");
    return flat ? 0 : 1;
}
