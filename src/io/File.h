#pragma once

#include <cstdint>

#include "io/FileInputStream.h"
#include "io/FileOutputStream.h"
#include "io/StreamFactory.h"
#include "system/Timestamp.h"

namespace korvane::io {

// A random-access file that owns one input and one output stream onto itself. The access mode is fixed
// at construction.
class File : public StreamFactory, private object::Noncopyable {
public:
    static constexpr uint32_t Read = 1;
    static constexpr uint32_t Write = 2;
    static constexpr uint32_t ReadWrite = 3;

    // Origins of seek.
    static constexpr int32_t Begin = 1;
    static constexpr int32_t Current = 2;
    static constexpr int32_t End = 3;

    explicit File(uint32_t mode);
    ~File() override;

    InputStream& getInputStream() override { return inputStream; }
    OutputStream& getOutputStream() override { return outputStream; }

    // A file that keeps no times of its own reports the time it was constructed.
    virtual system::Timestamp getCreationTime() const { return timestamp; }
    virtual system::Timestamp getModificationTime() const { return timestamp; }
    virtual system::Timestamp getAccessTime() const { return timestamp; }

    // Returns the bytes written.
    virtual int32_t write(const void* buffer, uint32_t count) = 0;
    // Returns the bytes read, -1 at the end of the file, 0 for a count of 0.
    virtual int32_t read(void* buffer, uint32_t count) = 0;
    // Moves the position relative to Begin, Current or End and returns it; any other mode throws
    // IllegalPositionModeException.
    virtual int64_t seek(int64_t distance, int32_t mode) = 0;
    virtual int64_t getPosition() = 0;
    virtual bool rewind() = 0;
    virtual bool flush() = 0;
    // Size operations leave the position where it was.
    virtual int64_t getSize() = 0;
    virtual int64_t setSize(int64_t size) = 0;

    uint32_t getMode() const { return mode; }

    types::String getClassPath() const override {
        return types::String::concat(StreamFactory::getClassPath(), ":File");
    }

private:
    friend class FileInputStream;
    friend class FileOutputStream;

    system::Timestamp timestamp;
    const uint32_t mode;
    FileInputStream inputStream;
    FileOutputStream outputStream;
};

} // namespace korvane::io
