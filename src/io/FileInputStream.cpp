#include "io/FileInputStream.h"

#include "io/File.h"

namespace korvane::io {

FileInputStream::FileInputStream(File* file) : file(file) {
    if (file)
        file->addReference();
}

FileInputStream::~FileInputStream() {
    if (file && !isFileOwn())
        file->release();
    file = nullptr;
}

bool FileInputStream::isFileOwn() const {
    return file && &file->inputStream == this;
}

int32_t FileInputStream::read(void* buffer, uint32_t count) {
    if (!file || !(file->getMode() & File::Read))
        return 0;
    return file->read(buffer, count);
}

int64_t FileInputStream::skip(uint32_t count) {
    if (!file)
        return 0;
    int64_t before = file->getPosition();
    int64_t after = file->seek(int64_t(count), File::Current);
    return after - before;
}

int64_t FileInputStream::available() {
    if (!file)
        return 0;
    int64_t remaining = file->getSize() - file->getPosition();
    return remaining > 0 ? remaining : 0;
}

bool FileInputStream::close() {
    if (!file || isFileOwn())
        return true;
    File* released = file;
    file = nullptr;
    released->release();
    return true;
}

} // namespace korvane::io
