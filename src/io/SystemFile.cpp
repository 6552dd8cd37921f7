#include "io/SystemFile.h"

#include <cstdint>
#include <string>

#include "io/IOException.h"

namespace korvane::io {

namespace {

// The system's own text for the errors that have no exception class of their own.
const char* reasonOf(uint32_t error) {
    using namespace platform;
    switch (error) {
    case ERROR_PATH_NOT_FOUND:
        return "The system cannot find the path specified.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied.";
    case ERROR_INVALID_HANDLE:
        return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough memory resources are available to process this command.";
    case ERROR_GEN_FAILURE:
        return "A device attached to the system is not functioning.";
    case ERROR_NOT_SUPPORTED:
        return "The request is not supported.";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect.";
    case ERROR_INVALID_NAME:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case ERROR_NEGATIVE_SEEK:
        return "An attempt was made to move the file pointer before the beginning of the file.";
    case ERROR_ALREADY_EXISTS:
        return "Cannot create a file when that file already exists.";
    case ERROR_FILENAME_EXCED_RANGE:
        return "The filename or extension is too long.";
    case ERROR_FILE_TOO_LARGE:
        return "The file size exceeds the limit allowed and cannot be saved.";
    case ERROR_DIRECTORY:
        return "The directory name is invalid.";
    case ERROR_CANT_RESOLVE_FILENAME:
        return "The name of the file cannot be resolved by the system.";
    default:
        return nullptr;
    }
}

// An IOException that says what the system reported and, when known, which path it was about.
[[noreturn]] void raiseOther(uint32_t error, const types::String* path) {
    std::string message;
    if (const char* reason = reasonOf(error))
        message = reason;
    else
        message = "The system reported error " + std::to_string(error) + ".";
    if (path)
        message += std::string(" (") + path->getText() + ")";
    throw IOException(types::String(message.c_str()));
}

// The mapped exception for the error, or raiseOther's for an error without one of its own.
[[noreturn]] void raise(uint32_t error, const types::String* path) {
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
        raiseOther(error, path);
    }
}

} // namespace

void raiseError(uint32_t error) {
    raise(error, nullptr);
}

void raiseError(uint32_t error, const types::String& path) {
    raise(error, &path);
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
        raiseError(platform::getLastError(), path);
    return new SystemFile(mode, handle);
}

SystemFile* SystemFile::create(const types::String& path) {
    platform::FileHandle handle =
        platform::createFile(path.getText(), platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                             platform::CREATE_ALWAYS, platform::FILE_ATTRIBUTE_NORMAL);
    if (!handle)
        raiseError(platform::getLastError(), path);
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
