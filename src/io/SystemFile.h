#pragma once

#include "io/File.h"
#include "platform/File.h"
#include "types/String.h"

namespace korvane::io {

/// A file of the operating system, opened with exclusive sharing: while it is open, no other opener gets
/// it. Used by one thread at a time; open() and create() return a new file that the caller releases.
class SystemFile : public File {
public:
    // Opens an existing file with the access flags Read and/or Write; returns a new file (count 1).
    // Failures throw the exception raiseError(error, path) gives for the system's error: an error without
    // a class of its own (a missing directory, a directory opened as a file) names the path.
    static SystemFile* open(const types::String& path, uint32_t mode);
    // Creates a file, or empties an existing one, for reading and writing.
    static SystemFile* create(const types::String& path);

    // Closes the handle if it is still open; a failure to close is not reported from here (call close).
    ~SystemFile() override;

    // Closes the handle now, throwing the mapped exception when the system reports a failure. Afterwards
    // reads return -1, writes 0, and positioning throws.
    void close();

    system::Timestamp getCreationTime() const override;
    system::Timestamp getModificationTime() const override;
    system::Timestamp getAccessTime() const override;

    int32_t write(const void* buffer, uint32_t count) override;
    int32_t read(void* buffer, uint32_t count) override;
    int64_t seek(int64_t distance, int32_t mode) override;
    int64_t getPosition() override;
    bool rewind() override;
    bool flush() override;
    int64_t getSize() override;
    int64_t setSize(int64_t size) override;

    types::String getClassPath() const override {
        return types::String::concat(File::getClassPath(), ":SystemFile");
    }

private:
    SystemFile(uint32_t mode, platform::FileHandle handle) : File(mode), handle(handle) {}

    int64_t movePointer(int64_t distance, uint32_t method);

    platform::FileHandle handle = nullptr;
};

// True when the path names an existing file or directory.
bool exists(const types::String& path);

/// Throws the exception for the calling thread's last system error; call it right after the failing
/// call. Errors with a class of their own (file not found, disk full, ...) carry the system's fixed text;
/// any other error is an IOException with the system's reason ("The system cannot find the path
/// specified.", "Access is denied.", or the error's number when the text is not known).
[[noreturn]] void raiseLastError();
/// Throws the exception for the given system error code, as raiseLastError does.
[[noreturn]] void raiseError(uint32_t error);
/// As raiseError(error), with the path the failed call was about appended to the reason of an error
/// without a class of its own: "The system cannot find the path specified. (data/x.dds)".
[[noreturn]] void raiseError(uint32_t error, const types::String& path);

} // namespace korvane::io
