#pragma once

#include <cstdint>

#include "io/Stream.h"
#include "object/Noncopyable.h"

namespace korvane::io {

/// The whole of a stream in one zero-terminated buffer, for texts such as shader sources.
/// Owns its buffer; used by one thread at a time.
class Content : public object::Object, private object::Noncopyable {
public:
    Content() = default;
    ~Content() override;

    /// Reads what the stream has available, replacing any earlier contents. size is the number of bytes
    /// actually read; a zero byte follows them. Throws IOException when the stream holds more than 32 bits
    /// can count.
    void load(InputStream& stream);

    /// Null before the first load.
    const char* getData() const { return data; }
    uint32_t getSize() const { return size; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Content");
    }

private:
    char* data = nullptr;
    uint32_t size = 0;
};

} // namespace korvane::io
