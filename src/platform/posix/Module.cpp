#include "platform/Module.h"

#include <unistd.h>

namespace korvane::platform {

std::size_t getExecutablePath(char* buffer, std::size_t size) {
    if (!buffer || size == 0)
        return 0;
    buffer[0] = '\0';
    // readlink does not terminate the text and silently cuts a path that does not fit: one byte is kept
    // spare so that a cut path shows as one that fills the buffer.
    const ssize_t length = ::readlink("/proc/self/exe", buffer, size);
    if (length <= 0 || std::size_t(length) >= size)
        return 0;
    buffer[length] = '\0';
    return std::size_t(length);
}

} // namespace korvane::platform
