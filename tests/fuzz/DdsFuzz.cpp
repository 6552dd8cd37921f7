// Feeds arbitrary bytes to the DDS reader. Besides the sanitizers' checks, every allocation made while
// reading is watched through the sanitizer allocator's hooks: no single one may exceed the input, and all
// of them together may not exceed a fixed multiple of it (each image costs its object plus pixels that the
// input must hold).
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sanitizer/allocator_interface.h>

#include "graphics/Image.h"
#include "io/IOException.h"
#include "io/TranslatorDDS.h"

namespace {

std::atomic<bool> watching{false};
size_t largest = 0;
size_t total = 0;

void watchAllocation(const volatile void*, size_t size) {
    if (watching.load(std::memory_order_relaxed)) {
        if (size > largest)
            largest = size;
        total += size;
    }
}

void forgetAllocation(const volatile void*) {}

// The bytes of one fuzz input as a stream.
class MemoryStream : public korvane::io::InputStream {
public:
    MemoryStream(const uint8_t* data, size_t size) : data(data), size(size) {}
    int32_t read(void* buffer, uint32_t count) override {
        if (position == size)
            return -1;
        size_t n = count < size - position ? count : size - position;
        std::memcpy(buffer, data + position, n);
        position += n;
        return int32_t(n);
    }
    int64_t skip(uint32_t count) override {
        position += count < size - position ? count : size - position;
        return count;
    }
    int64_t available() override { return int64_t(size - position); }
    bool close() override { return true; }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    __sanitizer_install_malloc_and_free_hooks(watchAllocation, forgetAllocation);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(data, size);
    korvane::io::TranslatorDDS translator;
    largest = total = 0;
    watching = true;
    korvane::graphics::Image* image = nullptr;
    try {
        image = translator.read(stream, uint32_t(size));
    } catch (const korvane::io::TranslatorFormatException&) {
    }
    watching = false;
    if (largest > size + 1024 || total > 256 * size + 65536) {
        std::fprintf(stderr, "allocation beyond the input: largest %zu, total %zu, input %zu\n", largest,
                     total, size);
        std::abort();
    }
    for (korvane::graphics::Image* i = image; i; i = i->getNext())
        if (i->getWidth() <= 0 || i->getHeight() <= 0 || i->isLocked())
            std::abort();
    if (image)
        image->release();
    return 0;
}
