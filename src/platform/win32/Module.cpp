#include "platform/Module.h"

#include "platform/win32/Win32.h"

namespace korvane::platform {

std::size_t getExecutablePath(char* buffer, std::size_t size) {
    if (!buffer || size == 0)
        return 0;
    buffer[0] = '\0';
    const DWORD capacity = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    // A path that does not fit is cut and terminated, and the whole capacity reported.
    const DWORD length = GetModuleFileNameA(nullptr, buffer, capacity);
    if (length == 0 || length >= capacity) {
        buffer[0] = '\0';
        return 0;
    }
    return length;
}

} // namespace korvane::platform
