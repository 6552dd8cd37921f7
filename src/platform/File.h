#pragma once

#include <cstdint>

#include "platform/Error.h"

// Files and directory search, shaped after the Win32 kernel calls: a file is opened with an access mask,
// a share mode and a creation disposition; every failing call leaves a Win32 error code in the calling
// thread's last-error slot. Paths accept '\' as well as '/' as a separator.
namespace korvane::platform {

using FileHandle = struct FileRecord*;
using FindHandle = struct FindRecord*;

/// Win32 error codes reported through getLastError().
///@{
constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr uint32_t ERROR_NO_MORE_FILES = 18;
constexpr uint32_t ERROR_WRITE_PROTECT = 19;
constexpr uint32_t ERROR_SEEK = 25;
constexpr uint32_t ERROR_WRITE_FAULT = 29;
constexpr uint32_t ERROR_READ_FAULT = 30;
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr uint32_t ERROR_WRONG_DISK = 34;
constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr uint32_t ERROR_FILE_EXISTS = 80;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_OPEN_FAILED = 110;
constexpr uint32_t ERROR_DISK_FULL = 112;
constexpr uint32_t ERROR_INVALID_NAME = 123;
constexpr uint32_t ERROR_NEGATIVE_SEEK = 131;
constexpr uint32_t ERROR_SEEK_ON_DEVICE = 132;
constexpr uint32_t ERROR_ALREADY_EXISTS = 183;
constexpr uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr uint32_t ERROR_FILE_TOO_LARGE = 223;
constexpr uint32_t ERROR_DIRECTORY = 267;
constexpr uint32_t ERROR_UNRECOGNIZED_VOLUME = 1005;
constexpr uint32_t ERROR_FILE_INVALID = 1006;
constexpr uint32_t ERROR_UNRECOGNIZED_MEDIA = 1785;
constexpr uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;
///@}

/// Access mask.
///@{
constexpr uint32_t GENERIC_READ = 0x80000000;
constexpr uint32_t GENERIC_WRITE = 0x40000000;
///@}

/// Share mode: which accesses later openers of the same file may have while this handle is open.
///@{
constexpr uint32_t FILE_SHARE_READ = 0x1;
constexpr uint32_t FILE_SHARE_WRITE = 0x2;
///@}

/// Creation disposition.
///@{
constexpr uint32_t CREATE_NEW = 1;
constexpr uint32_t CREATE_ALWAYS = 2;
constexpr uint32_t OPEN_EXISTING = 3;
constexpr uint32_t OPEN_ALWAYS = 4;
constexpr uint32_t TRUNCATE_EXISTING = 5;
///@}

/// Move methods of setFilePointerEx.
///@{
constexpr uint32_t FILE_BEGIN = 0;
constexpr uint32_t FILE_CURRENT = 1;
constexpr uint32_t FILE_END = 2;
///@}

/// File attributes.
///@{
constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x1;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
/// Set on every regular file, as Windows sets it on every file written since its last backup.
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
///@}

/// Opens or creates a file. Returns null on failure (the Win32 INVALID_HANDLE_VALUE). A file opened with a
/// share mode that excludes another opener's access, or one whose access another opener's share mode
/// excludes, fails with ERROR_SHARING_VIOLATION and is left untouched (CREATE_ALWAYS does not truncate it).
/// Share modes of regular files hold between all processes that open files through this layer (they are
/// kept as open-file-description locks); programs that do not use it are not bound by them, and a file
/// opened for writing only, which the process may not read, is checked against this process's openers only.
/// A missing directory on the way fails with ERROR_PATH_NOT_FOUND, a missing file with ERROR_FILE_NOT_FOUND.
/// A '\' that separates nothing but is part of an existing entry's name (Linux allows it) is read as such.
/// Directories cannot be opened (ERROR_ACCESS_DENIED).
FileHandle createFile(const char* path, uint32_t access, uint32_t shareMode, uint32_t disposition,
                      uint32_t attributes);
bool closeHandle(FileHandle file);

/// Reads up to count bytes; *done is 0 at the end of the file (a success). On a regular file the call
/// returns fewer bytes only at the end of the file.
bool readFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done);
/// Writes all count bytes or fails; *done holds what was written before the failure.
bool writeFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done);
/// Moves the file pointer; a position before the start fails with ERROR_NEGATIVE_SEEK. newPosition may be
/// null.
bool setFilePointerEx(FileHandle file, int64_t distance, int64_t* newPosition, uint32_t moveMethod);
bool getFileSizeEx(FileHandle file, int64_t* size);
/// Makes the current position the end of the file.
bool setEndOfFile(FileHandle file);
bool flushFileBuffers(FileHandle file);
/// Times as 100-nanosecond counts since 1601-01-01 UTC; any pointer may be null.
bool getFileTime(FileHandle file, uint64_t* creation, uint64_t* lastAccess, uint64_t* lastWrite);

/// FILE_ATTRIBUTE_* of the named file or directory itself (a link is not followed), or
/// INVALID_FILE_ATTRIBUTES.
uint32_t getFileAttributes(const char* path);

/// One entry of a directory search.
struct FindData {
    uint32_t attributes = 0;
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint32_t fileSizeHigh = 0;
    uint32_t fileSizeLow = 0;
    char fileName[260] = {};
};

/// Starts a search for the entries matching the pattern's last component ('*' and '?' wildcards) in the
/// directory the pattern names, and fills in the first. Every entry is reported, "." and ".." included.
/// Fails with ERROR_PATH_NOT_FOUND for a missing directory, ERROR_FILE_NOT_FOUND when nothing matches.
FindHandle findFirstFile(const char* pattern, FindData* data);
/// The next entry; fails with ERROR_NO_MORE_FILES after the last.
bool findNextFile(FindHandle search, FindData* data);
bool findClose(FindHandle search);

} // namespace korvane::platform
