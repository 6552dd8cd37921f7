#include "system/Timestamp.h"

#include "platform/Time.h"

namespace korvane::system {

Timestamp Timestamp::now() {
    Timestamp t;
    t.setNow();
    return t;
}

void Timestamp::setNow() {
    microseconds = platform::getSystemTimeAsFileTime() / 10;
}

types::String Timestamp::toString() const {
    // Beyond this the file time would not fit in 64 bits, let alone have a date.
    if (microseconds > platform::maximumFileTime / 10)
        return types::String();
    const platform::FileTime fileTime = microseconds * 10;
    char date[64];
    char time[64];
    if (platform::formatLocalDate(fileTime, date, sizeof date) == 0 ||
        platform::formatLocalTime(fileTime, time, sizeof time) == 0)
        return types::String();
    return types::String::concat(types::String::concat(types::String(date), " "), time);
}

types::String Timestamp::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Timestamp");
}

} // namespace korvane::system
