#include "demo/FrameRate.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace korvane::demo {

void FrameRate::frame(Clock::time_point when) {
    recent.push_back(when);
    while (recent.size() > 2 && when - recent.front() > Span)
        recent.pop_front();
}

double FrameRate::perSecond() const {
    if (recent.size() < 2)
        return 0.0;
    const std::chrono::duration<double> span = recent.back() - recent.front();
    return span.count() > 0.0 ? double(recent.size() - 1) / span.count() : 0.0;
}

FrameLog* FrameLog::fromEnvironment() {
    const char* path = std::getenv(Variable);
    if (!path || !*path)
        return nullptr;
    std::FILE* file = std::fopen(path, "w");
    if (!file) {
        std::printf("Korvane: cannot write the frame log \"%s\" (%s); running without it.\n", path,
                    std::strerror(errno));
        std::fflush(stdout);
        return nullptr;
    }
    return new FrameLog(file);
}

FrameLog::FrameLog(std::FILE* file) : file(file), opened(FrameRate::Clock::now()) {
    std::fputs("# milliseconds ticks\n", file);
}

FrameLog::~FrameLog() {
    std::fclose(file);
}

void FrameLog::presented(FrameRate::Clock::time_point when, uint64_t ticksSoFar) {
    const std::chrono::duration<double, std::milli> since = when - opened;
    std::fprintf(file, "%.3f %llu\n", since.count(), static_cast<unsigned long long>(ticksSoFar - ticks));
    ticks = ticksSoFar;
}

} // namespace korvane::demo
