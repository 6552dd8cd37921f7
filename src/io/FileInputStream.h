#pragma once

#include "io/Stream.h"

namespace korvane::io {

class File;

/// Reads through a File. A stream holds a reference on its file, except the file's own embedded stream,
/// which must not keep the file alive.
class FileInputStream : public InputStream {
public:
    explicit FileInputStream(File* file);
    ~FileInputStream() override;

    /// The file's read when the file is readable, else 0 (also after close).
    int32_t read(void* buffer, uint32_t count) override;
    /// Moves the file position on by count (past the end if asked) and reports the distance moved.
    int64_t skip(uint32_t count) override;
    /// The bytes between the position and the end of the file; 0 when the position is beyond the end.
    int64_t available() override;
    /// Releases the stream's reference on its file; the file's own stream keeps its pointer.
    bool close() override;

    File* getFile() const { return file; }

    types::String getClassPath() const override {
        return types::String::concat(InputStream::getClassPath(), ":FileInputStream");
    }

private:
    friend class File;
    struct Embedded {};
    FileInputStream(File* file, Embedded) : file(file) {}

    bool isFileOwn() const;

    File* file;
};

} // namespace korvane::io
