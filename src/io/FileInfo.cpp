#include "io/FileInfo.h"

#include <cstring>

namespace korvane::io {

FileInfo::FileInfo(const char* name, uint64_t size, uint64_t created, uint64_t modified, uint64_t accessed,
                   uint32_t flags)
    : size(size), created(created), modified(modified), accessed(accessed), flags(flags) {
    std::strncpy(this->name, name, sizeof this->name - 1);
}

} // namespace korvane::io
