#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/OpenGL.h"
#include "gui/Window.h"
#include "object/Pointer.h"
#include "support/gui/ClearView.h"
#include "support/gui/GuiTesting.h"

// windows.h after the framework's headers: its macros have the names of the platform layer's constants.
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <malloc.h>
#include <psapi.h>
#else
#include <malloc.h>
#include <unistd.h>
#endif

#ifndef _WIN32
// Allocator statistics of the sanitizers, whose allocator mallinfo2 does not see.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));
#endif

namespace korvane::gui {
namespace {

using object::Pointer;

struct Usage {
    size_t heap = 0; // bytes in use
    size_t rss = 0;  // bytes resident
    size_t threads = 0;
    size_t files = 0;
};

#ifdef _WIN32

Usage usage() {
    Usage now;
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK) {
        if (entry._useflag == _USEDENTRY)
            now.heap += entry._size;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory)))
        now.rss = memory.WorkingSetSize;
    now.threads = testing::threadsOfProcess();
    now.files = testing::filesOfProcess();
    return now;
}

#else

Usage usage() {
    Usage now;
    now.heap = __sanitizer_get_current_allocated_bytes ? __sanitizer_get_current_allocated_bytes()
                                                       : mallinfo2().uordblks;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        unsigned long size = 0, resident = 0;
        if (std::fscanf(statm, "%lu %lu", &size, &resident) == 2)
            now.rss = resident * size_t(sysconf(_SC_PAGESIZE));
        std::fclose(statm);
    }
    now.threads = testing::threadsOfProcess();
    now.files = testing::filesOfProcess();
    return now;
}

#endif

// Opens a window with an OpenGL view, draws a frame and closes it, many times: after the first cycles
// (which load the driver and fill its process-wide caches) heap, threads and descriptors stay where they
// are. The closed window and its view stay referenced until the next cycle, so closing alone must let go
// of the window's thread, its connection and its contexts. Each cycle
// costs the GL library's set-up of a new X connection (about 50 ms), so the suite runs a short version
// and the build adds a long one (KORVANE_STRESS_CYCLES).
TEST(OpenCloseStress, AWindowWithAnOpenGLViewLeavesNothingBehind) {
    int cycles = 60;
    if (const char* asked = std::getenv("KORVANE_STRESS_CYCLES"))
        cycles = std::max(40, std::atoi(asked));
    const int settled = 20;

    Usage atSettled;
    Usage checkpoints[3];
    const int marks[3] = {settled, std::max(settled + 1, cycles / 5), cycles};
    const auto begun = std::chrono::steady_clock::now();
    Pointer<Window> closed;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        auto window = Pointer<Window>::adopt(new Window());
        window->setSize({64, 64});
        auto view = Pointer<testing::ClearView>::adopt(new testing::ClearView({0, 0, 64, 64}));
        window->addView(view);
        ASSERT_TRUE(window->open()) << "cycle " << cycle;
        ASSERT_NE(view->getGraphicsContext(), nullptr) << "cycle " << cycle;
        view->invalidate();
        ASSERT_TRUE(testing::eventually([&] { return view->frames.load() > 0; })) << "cycle " << cycle;
        ASSERT_TRUE(window->close());
        closed = window;
        for (int i = 0; i < 3; ++i) {
            if (cycle == marks[i])
                checkpoints[i] = usage();
        }
        if (cycle == settled)
            atSettled = checkpoints[0];
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    for (int i = 0; i < 3; ++i) {
        std::printf("cycle %4d: heap %8zu kB  rss %8zu kB  threads %zu  fds %zu\n", marks[i],
                    checkpoints[i].heap / 1024, checkpoints[i].rss / 1024, checkpoints[i].threads,
                    checkpoints[i].files);
    }
    std::printf("%d cycles in %.1f s\n", cycles, seconds);

    const Usage& last = checkpoints[2];
    EXPECT_EQ(last.threads, atSettled.threads);
    EXPECT_EQ(last.files, atSettled.files);
    // Flat, give or take allocator slack: a leak of even 1 kB per cycle exceeds this.
    EXPECT_LT(last.heap, atSettled.heap + 256 * 1024)
        << "heap grew from " << atSettled.heap << " to " << last.heap << " bytes";
}

} // namespace
} // namespace korvane::gui
