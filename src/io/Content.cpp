#include "io/Content.h"

#include <cstdint>

#include "io/IOException.h"

namespace korvane::io {

Content::~Content() {
    delete[] data;
    data = nullptr;
    size = 0;
}

void Content::load(InputStream& stream) {
    int64_t available = stream.available();
    if (available < 0)
        available = 0;
    if (uint64_t(available) >= UINT32_MAX)
        throw IOException();
    const uint32_t wanted = uint32_t(available);
    char* buffer = new char[size_t(wanted) + 1];
    uint32_t got = 0;
    try {
        // A stream may deliver less per call than asked for; stop at its end.
        while (got < wanted) {
            uint32_t chunk = wanted - got;
            if (chunk > uint32_t(INT32_MAX))
                chunk = uint32_t(INT32_MAX);
            int32_t result = stream.read(buffer + got, chunk);
            if (result <= 0)
                break;
            got += uint32_t(result);
        }
    } catch (...) {
        delete[] buffer;
        throw;
    }
    buffer[got] = '\0';
    delete[] data;
    data = buffer;
    size = got;
}

} // namespace korvane::io
