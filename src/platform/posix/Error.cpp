#include "platform/Error.h"

namespace korvane::platform {

namespace {
thread_local uint32_t lastError = 0;
}

uint32_t getLastError() {
    return lastError;
}

void setLastError(uint32_t error) {
    lastError = error;
}

} // namespace korvane::platform
