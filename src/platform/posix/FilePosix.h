#pragma once

#include <cstdint>
#include <string>

// Helpers shared by the POSIX implementation of files and directory search.
namespace korvane::platform::posix {

// The Win32 error code for an errno value; ioFault stands in for EIO, whose meaning depends on the call.
uint32_t win32ErrorFromErrno(int error, uint32_t ioFault);

// Sets the last error from errno and returns false, for the common failure path.
bool failWithErrno(uint32_t ioFault);

// The path with every '\' turned into '/'.
std::string nativePath(const char* path);

// The native path of an existing entry: nativePath(), unless that names nothing while a reading that keeps
// some backslashes as part of names (which Linux allows) names an existing entry. Otherwise nativePath().
std::string resolvePath(const char* path);

// True when a directory on the way to the native path does not exist (Win32's ERROR_PATH_NOT_FOUND
// rather than ERROR_FILE_NOT_FOUND).
bool parentMissing(const std::string& native);

// A time in seconds and nanoseconds since 1970 as 100-nanosecond counts since 1601 (0 before 1601).
uint64_t fileTimeFromUnix(int64_t seconds, uint32_t nanoseconds);

} // namespace korvane::platform::posix
