#pragma once

#include "io/Stream.h"

// The standard streams keep their names in korvane::system; they live beside the other streams because
// they implement the stream interfaces of this layer.
namespace korvane::system {

/// The process's standard input, through the C runtime. A read is all or nothing: one item of count bytes.
class StandardInputStream : public io::InputStream {
public:
    /// count when the whole count was read, else 0 (the bytes that did arrive are consumed).
    int32_t read(void* buffer, uint32_t count) override;
    /// count when the runtime could move on by count bytes, else 0.
    int64_t skip(uint32_t count) override;
    /// Always 1: whether input waits is not known without blocking.
    int64_t available() override { return 1; }
    /// The standard streams stay open for the life of the process.
    bool close() override { return false; }
};

/// The process's standard output; writes are all or nothing.
class StandardOutputStream : public io::OutputStream {
public:
    int32_t write(const void* buffer, uint32_t count) override;
    bool flush() override;
    bool close() override { return false; }
};

/// The process's standard error; writes are all or nothing.
class StandardErrorStream : public io::OutputStream {
public:
    int32_t write(const void* buffer, uint32_t count) override;
    bool flush() override;
    bool close() override { return false; }
};

/// The three process-wide stream objects, alive from static initialisation to process exit.
extern StandardInputStream standardInput;
extern StandardOutputStream standardOutput;
extern StandardErrorStream standardError;

} // namespace korvane::system
