#pragma once

#include <cstddef>

// Where the running program is.
namespace korvane::platform {

// The full path of the running program's executable file (links resolved on Linux). Writes at most size
// bytes including the terminator and returns the length of the path; returns 0 with an empty text (when
// size allows one) if the path cannot be found or does not fit.
std::size_t getExecutablePath(char* buffer, std::size_t size);

} // namespace korvane::platform
