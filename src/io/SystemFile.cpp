#include "io/SystemFile.h"

#include <cstdint>

#include "io/IOException.h"

namespace korvane::io {

void raiseError(uint32_t error) {
    using namespace platform;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        throw FileNotFoundException("The system cannot find the file specified.");
    case ERROR_TOO_MANY_OPEN_FILES:
        throw FileOpenException("The system cannot open the file.");
    case ERROR_WRITE_PROTECT:
        throw FileWriteException("The media is write protected.");
    case ERROR_SEEK:
        throw IOException("The drive cannot locate a specific area or track on the disk.");
    case ERROR_WRITE_FAULT:
        throw FileWriteException("The system cannot write to the specified device.");
    case ERROR_READ_FAULT:
        throw FileReadException("The system cannot read from the specified device.");
    case ERROR_SHARING_VIOLATION:
        throw IOException("The process cannot access the file because it is being used by another process.");
    case ERROR_WRONG_DISK:
        throw IOException("The wrong diskette is in the drive.");
    case ERROR_FILE_EXISTS:
        throw FileExistsException("The file exists.");
    case ERROR_OPEN_FAILED:
        throw FileOpenException("The system cannot open the device or file specified.");
    case ERROR_DISK_FULL:
        throw DiskFullException("There is not enough space on the disk.");
    case ERROR_SEEK_ON_DEVICE:
        throw FileSeekException("The file pointer cannot be set on the specified device or file.");
    case ERROR_UNRECOGNIZED_VOLUME:
        throw IOException("The volume does not contain a recognized file system.");
    case ERROR_FILE_INVALID:
        throw IOException(
            "The volume for a file has been externally altered so that the opened file is no longer "
            "valid.");
    case ERROR_UNRECOGNIZED_MEDIA:
        throw IOException("The disk media is not recognized. It may not be formatted.");
    default:
        throw IOException();
    }
}

void raiseLastError() {
    raiseError(platform::getLastError());
}

bool exists(const types::String& path) {
    return platform::getFileAttributes(path.getText()) != platform::INVALID_FILE_ATTRIBUTES;
}

namespace {

uint32_t accessFor(uint32_t mode) {
    uint32_t access = 0;
    if (mode & File::Read)
        access |= platform::GENERIC_READ;
    if (mode & File::Write)
        access |= platform::GENERIC_WRITE;
    return access;
}

system::Timestamp fileTime(platform::FileHandle handle, int which) {
    uint64_t times[3] = {};
    if (!platform::getFileTime(handle, which == 0 ? &times[0] : nullptr, which == 1 ? &times[1] : nullptr,
                               which == 2 ? &times[2] : nullptr))
        raiseLastError();
    return system::Timestamp::fromFileTime(times[which]);
}

} // namespace

SystemFile* SystemFile::open(const types::String& path, uint32_t mode) {
    platform::FileHandle handle = platform::createFile(
        path.getText(), accessFor(mode), 0, platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL);
    if (!handle)
        raiseLastError();
    return new SystemFile(mode, handle);
}

SystemFile* SystemFile::create(const types::String& path) {
    platform::FileHandle handle =
        platform::createFile(path.getText(), platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                             platform::CREATE_ALWAYS, platform::FILE_ATTRIBUTE_NORMAL);
    if (!handle)
        raiseLastError();
    return new SystemFile(ReadWrite, handle);
}

SystemFile::~SystemFile() {
    // An exception must not leave a destructor; whoever needs to know about a failed close calls close().
    if (handle)
        platform::closeHandle(handle);
    handle = nullptr;
}

void SystemFile::close() {
    platform::FileHandle closing = handle;
    handle = nullptr;
    if (closing && !platform::closeHandle(closing))
        raiseLastError();
}

system::Timestamp SystemFile::getCreationTime() const {
    return fileTime(handle, 0);
}
system::Timestamp SystemFile::getAccessTime() const {
    return fileTime(handle, 1);
}
system::Timestamp SystemFile::getModificationTime() const {
    return fileTime(handle, 2);
}

int32_t SystemFile::write(const void* buffer, uint32_t count) {
    // The result is a signed count, so one call writes at most INT32_MAX bytes.
    if (count > uint32_t(INT32_MAX))
        count = uint32_t(INT32_MAX);
    uint32_t written = 0;
    platform::writeFile(handle, buffer, count, &written);
    return int32_t(written);
}

int32_t SystemFile::read(void* buffer, uint32_t count) {
    if (count == 0)
        return 0;
    if (count > uint32_t(INT32_MAX))
        count = uint32_t(INT32_MAX);
    uint32_t got = 0;
    platform::readFile(handle, buffer, count, &got);
    return got == 0 ? -1 : int32_t(got);
}

int64_t SystemFile::movePointer(int64_t distance, uint32_t method) {
    int64_t position = 0;
    if (!platform::setFilePointerEx(handle, distance, &position, method))
        raiseLastError();
    return position;
}

int64_t SystemFile::seek(int64_t distance, int32_t mode) {
    uint32_t method;
    switch (mode) {
    case Begin:
        method = platform::FILE_BEGIN;
        break;
    case Current:
        method = platform::FILE_CURRENT;
        break;
    case End:
        method = platform::FILE_END;
        break;
    default:
        throw IllegalPositionModeException();
    }
    return movePointer(distance, method);
}

int64_t SystemFile::getPosition() {
    return movePointer(0, platform::FILE_CURRENT);
}

bool SystemFile::rewind() {
    movePointer(0, platform::FILE_BEGIN);
    return true;
}

bool SystemFile::flush() {
    return platform::flushFileBuffers(handle);
}

int64_t SystemFile::getSize() {
    int64_t position = getPosition();
    int64_t end = movePointer(0, platform::FILE_END);
    movePointer(position, platform::FILE_BEGIN);
    return end;
}

int64_t SystemFile::setSize(int64_t size) {
    int64_t position = getPosition();
    movePointer(size, platform::FILE_BEGIN);
    bool truncated = platform::setEndOfFile(handle);
    uint32_t error = platform::getLastError();
    movePointer(position, platform::FILE_BEGIN);
    if (!truncated)
        raiseError(error);
    return size;
}

} // namespace korvane::io
