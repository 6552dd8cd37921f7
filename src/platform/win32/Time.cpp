#include "platform/Time.h"

#include "platform/win32/Win32.h"

namespace korvane::platform {

namespace {

// The local calendar time of a UTC file time; false beyond what Win32 converts.
bool toLocal(FileTime time, SYSTEMTIME& local) {
    if (time > maximumFileTime) {
        return false;
    }
    FILETIME in;
    in.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
    in.dwHighDateTime = static_cast<DWORD>(time >> 32);
    SYSTEMTIME utc;
    return FileTimeToSystemTime(&in, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
}

// GetDateFormatA/GetTimeFormatA count the terminator; a failure leaves an empty text.
std::size_t finish(int written, char* buffer, std::size_t size) {
    if (written <= 0) {
        if (buffer && size > 0) {
            buffer[0] = '\0';
        }
        return 0;
    }
    return static_cast<std::size_t>(written - 1);
}

int capacity(std::size_t size) {
    return size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
}

} // namespace

FileTime getSystemTimeAsFileTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (FileTime(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::size_t formatLocalDate(FileTime time, char* buffer, std::size_t size) {
    SYSTEMTIME local;
    if (!buffer || size == 0 || !toLocal(time, local)) {
        return finish(0, buffer, size);
    }
    return finish(
        GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, buffer, capacity(size)), buffer,
        size);
}

std::size_t formatLocalTime(FileTime time, char* buffer, std::size_t size) {
    SYSTEMTIME local;
    if (!buffer || size == 0 || !toLocal(time, local)) {
        return finish(0, buffer, size);
    }
    return finish(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &local, "HH':'mm':'ss", buffer, capacity(size)),
                  buffer, size);
}

} // namespace korvane::platform
