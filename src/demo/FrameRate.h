#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>

namespace korvane::demo {

// Frames a second over the frames shown in the last second, for the overlay's readout. Used on the window
// thread.
class FrameRate {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration Span = std::chrono::seconds(1);

    // Records a frame shown at `when` (times never go back).
    void frame(Clock::time_point when);
    // 0 until two frames are known.
    double perSecond() const;

private:
    std::deque<Clock::time_point> recent;
};

// The frame log asked for by KORVANE_FRAME_LOG: one line for every frame that reached the window, with the
// milliseconds since the log was opened and the repaint requests (ticks) made since the frame before.
// Ticks that come while a frame is drawn merge into one repaint, so a frame can answer several of them.
// Written on the window thread.
class FrameLog {
public:
    static constexpr const char* Variable = "KORVANE_FRAME_LOG";

    // The log the environment asks for, null when it asks for none; one that cannot be written is reported
    // on the standard output, naming the file, and the program runs without it.
    static FrameLog* fromEnvironment();
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    void presented(FrameRate::Clock::time_point when, uint64_t ticksSoFar);

private:
    explicit FrameLog(std::FILE* file);

    std::FILE* file;
    FrameRate::Clock::time_point opened;
    uint64_t ticks = 0;
};

} // namespace korvane::demo
