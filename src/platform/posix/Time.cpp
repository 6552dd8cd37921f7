#include "platform/Time.h"

#include <cstring>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace korvane::platform {

namespace {

// Converts to the broken-down local time; the zone is read afresh each time, so a changed TZ applies.
bool toLocalTime(FileTime time, std::tm& local) {
    if (time > maximumFileTime)
        return false;
    const int64_t seconds = static_cast<int64_t>(time / fileTimeTicksPerSecond) -
                            static_cast<int64_t>(unixEpochFileTime / fileTimeTicksPerSecond);
    const std::time_t t = static_cast<std::time_t>(seconds);
    tzset();
    return localtime_r(&t, &local) != nullptr;
}

std::size_t format(FileTime time, char* buffer, std::size_t size, bool date) {
    if (buffer == nullptr || size == 0)
        return 0;
    buffer[0] = '\0';
    std::tm local{};
    if (!toLocalTime(time, local))
        return 0;
    if (!date) {
        const std::size_t length = std::strftime(buffer, size, "%H:%M:%S", &local);
        if (length == 0)
            buffer[0] = '\0';
        return length;
    }

    // The user's date conventions come from the environment (LC_ALL, LC_TIME, LANG).
    locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return 0;
    const char* pattern = nl_langinfo_l(D_FMT, locale);
    // The POSIX locale's short date has a two-digit year; keep all four digits.
    if (pattern == nullptr || *pattern == '\0' || std::strcmp(pattern, "%m/%d/%y") == 0)
        pattern = "%m/%d/%Y";
    const std::size_t length = strftime_l(buffer, size, pattern, &local, locale);
    freelocale(locale);
    if (length == 0)
        buffer[0] = '\0';
    return length;
}

} // namespace

FileTime getSystemTimeAsFileTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return unixEpochFileTime + static_cast<FileTime>(now.tv_sec) * fileTimeTicksPerSecond +
           static_cast<FileTime>(now.tv_nsec) / 100;
}

std::size_t formatLocalDate(FileTime time, char* buffer, std::size_t size) {
    return format(time, buffer, size, true);
}

std::size_t formatLocalTime(FileTime time, char* buffer, std::size_t size) {
    return format(time, buffer, size, false);
}

} // namespace korvane::platform
