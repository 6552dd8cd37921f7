#pragma once

#include <cstdint>

// The calling thread's last error, shaped after Win32's: every failing call of this layer leaves a Win32
// error code there (files, windows and GL contexts alike).
namespace korvane::platform {

uint32_t getLastError();
void setLastError(uint32_t error);

/// Codes of the window and GL services; the file codes are in File.h.
///@{
constexpr uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr uint32_t ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr uint32_t ERROR_INVALID_PIXEL_FORMAT = 2000;
///@}

} // namespace korvane::platform
