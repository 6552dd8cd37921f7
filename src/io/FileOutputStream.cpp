#include "io/FileOutputStream.h"

#include "io/File.h"

namespace korvane::io {

FileOutputStream::FileOutputStream(File* file) : file(file) {
    if (file)
        file->addReference();
}

FileOutputStream::~FileOutputStream() {
    if (file && !isFileOwn())
        file->release();
    file = nullptr;
}

bool FileOutputStream::isFileOwn() const {
    return file && &file->outputStream == this;
}

int32_t FileOutputStream::write(const void* buffer, uint32_t count) {
    if (!file || !(file->getMode() & File::Write))
        return 0;
    return file->write(buffer, count);
}

bool FileOutputStream::flush() {
    return file && file->flush();
}

bool FileOutputStream::close() {
    if (!file || isFileOwn())
        return true;
    File* released = file;
    file = nullptr;
    released->release();
    return true;
}

} // namespace korvane::io
