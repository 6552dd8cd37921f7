#pragma once

#include <cstdint>

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::io {

/// Root of the sequential byte interfaces. Streams buffer nothing of their own: every call goes straight
/// to what they read from or write to.
/// Not locked: a stream is used by one thread at a time.
class Stream : public object::Object, private object::Noncopyable {
public:
    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Stream");
    }
};

/// A stream that reads bytes.
class InputStream : public Stream {
public:
    /// Reads up to count bytes; returns how many were read, -1 at the end of a file.
    virtual int32_t read(void* buffer, uint32_t count) = 0;
    /// Moves on by count bytes; returns how far it moved.
    virtual int64_t skip(uint32_t count) = 0;
    /// How many bytes can still be read.
    virtual int64_t available() = 0;
    virtual bool close() = 0;

    types::String getClassPath() const override {
        return types::String::concat(Stream::getClassPath(), ":InputStream");
    }
};

/// A stream that writes bytes.
class OutputStream : public Stream {
public:
    /// Writes count bytes; returns how many were written.
    virtual int32_t write(const void* buffer, uint32_t count) = 0;
    virtual bool flush() = 0;
    virtual bool close() = 0;

    /// An integer setting every output stream carries, 10 from construction; nothing reads it yet.
    int32_t getSetting() const { return setting; }
    void setSetting(int32_t value) { setting = value; }

    types::String getClassPath() const override {
        return types::String::concat(Stream::getClassPath(), ":OutputStream");
    }

private:
    int32_t setting = 10;
};

} // namespace korvane::io
