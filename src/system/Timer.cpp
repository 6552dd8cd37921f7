#include "system/Timer.h"

namespace korvane::system {

Timer::Timer() {
    clock.setNow();
    reset(0);
}

types::String Timer::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Timer");
}

void Timer::reset(int64_t start) {
    time = start;
    previousTime = start;
    elapsed = 0;
    clock.setNow();
    offset = start - milliseconds();
}

int64_t Timer::update() {
    previousTime = time;
    clock.setNow();
    time = milliseconds() + offset;
    elapsed = time - previousTime;
    return time;
}

} // namespace korvane::system
