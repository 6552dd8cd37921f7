#pragma once

#include <cstddef>
#include <cstdint>

// The system clock and local date/time text, shaped after the Win32 ones: times are file times, counts of
// 100-nanosecond intervals since 1601-01-01 00:00 UTC.
namespace korvane::platform {

using FileTime = uint64_t;

constexpr FileTime fileTimeTicksPerSecond = 10'000'000;
/// 1970-01-01 00:00 UTC, the Unix epoch, as a file time (11644473600 seconds).
constexpr FileTime unixEpochFileTime = 11'644'473'600ull * fileTimeTicksPerSecond;
/// The largest file time that converts to a calendar date.
constexpr FileTime maximumFileTime = 0x7FFF'FFFF'FFFF'FFFFull;

/// The current system time (wall clock, UTC).
FileTime getSystemTimeAsFileTime();

/// The date of the given UTC time in the local time zone, in the user's short date format, e.g.
/// "03/07/2024". Writes at most size bytes including the terminator and returns the length of the text;
/// returns 0 with an empty text (when size allows one) if the time is beyond maximumFileTime or the text
/// does not fit.
std::size_t formatLocalDate(FileTime time, char* buffer, std::size_t size);

/// The time of day of the given UTC time in the local time zone, in 24-hour form, e.g. "17:05:09". Same
/// buffer rules as formatLocalDate.
std::size_t formatLocalTime(FileTime time, char* buffer, std::size_t size);

} // namespace korvane::platform
