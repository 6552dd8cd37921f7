#include "io/StandardStreams.h"

#include <cstdint>
#include <cstdio>

namespace korvane::system {

StandardInputStream standardInput;
StandardOutputStream standardOutput;
StandardErrorStream standardError;

namespace {

int32_t writeItem(std::FILE* stream, const void* buffer, uint32_t count) {
    if (count == 0 || count > uint32_t(INT32_MAX))
        return 0;
    return std::fwrite(buffer, count, 1, stream) == 1 ? int32_t(count) : 0;
}

} // namespace

int32_t StandardInputStream::read(void* buffer, uint32_t count) {
    if (count == 0 || count > uint32_t(INT32_MAX))
        return 0;
    return std::fread(buffer, count, 1, stdin) == 1 ? int32_t(count) : 0;
}

int64_t StandardInputStream::skip(uint32_t count) {
    return std::fseek(stdin, long(count), SEEK_CUR) == 0 ? int64_t(count) : 0;
}

int32_t StandardOutputStream::write(const void* buffer, uint32_t count) {
    return writeItem(stdout, buffer, count);
}

bool StandardOutputStream::flush() {
    std::fflush(stdout);
    return true;
}

int32_t StandardErrorStream::write(const void* buffer, uint32_t count) {
    return writeItem(stderr, buffer, count);
}

bool StandardErrorStream::flush() {
    std::fflush(stderr);
    return true;
}

} // namespace korvane::system
