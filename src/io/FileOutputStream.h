#pragma once

#include "io/Stream.h"

namespace korvane::io {

class File;

/// Writes through a File, with the same ownership rule as FileInputStream.
class FileOutputStream : public OutputStream {
public:
    explicit FileOutputStream(File* file);
    ~FileOutputStream() override;

    /// The file's write when the file is writable, else 0 (also after close).
    int32_t write(const void* buffer, uint32_t count) override;
    bool flush() override;
    bool close() override;

    File* getFile() const { return file; }

    types::String getClassPath() const override {
        return types::String::concat(OutputStream::getClassPath(), ":FileOutputStream");
    }

private:
    friend class File;
    struct Embedded {};
    FileOutputStream(File* file, Embedded) : file(file) {}

    bool isFileOwn() const;

    File* file;
};

} // namespace korvane::io
