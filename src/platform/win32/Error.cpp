#include "platform/Error.h"

#include "platform/win32/Win32.h"

namespace korvane::platform {

uint32_t getLastError() {
    return GetLastError();
}

void setLastError(uint32_t error) {
    SetLastError(error);
}

} // namespace korvane::platform
