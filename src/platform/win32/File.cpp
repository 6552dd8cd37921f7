#include "platform/File.h"

#include <cstring>

#include "platform/win32/Win32.h"

namespace korvane::platform {

namespace {

HANDLE toHandle(FileHandle file) {
    return file ? reinterpret_cast<HANDLE>(file) : INVALID_HANDLE_VALUE;
}

uint64_t fromFileTime(const FILETIME& time) {
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void fromFindData(const WIN32_FIND_DATAA& in, FindData* out) {
    out->attributes = in.dwFileAttributes;
    out->creationTime = fromFileTime(in.ftCreationTime);
    out->lastAccessTime = fromFileTime(in.ftLastAccessTime);
    out->lastWriteTime = fromFileTime(in.ftLastWriteTime);
    out->fileSizeHigh = in.nFileSizeHigh;
    out->fileSizeLow = in.nFileSizeLow;
    static_assert(sizeof(out->fileName) == sizeof(in.cFileName));
    std::memcpy(out->fileName, in.cFileName, sizeof(out->fileName));
    out->fileName[sizeof(out->fileName) - 1] = '\0';
}

} // namespace

FileHandle createFile(const char* path, uint32_t access, uint32_t shareMode, uint32_t disposition,
                      uint32_t attributes) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE file = CreateFileA(path, access, shareMode, nullptr, disposition, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return reinterpret_cast<FileHandle>(file);
}

bool closeHandle(FileHandle file) {
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return CloseHandle(toHandle(file)) != FALSE;
}

bool readFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
    DWORD read = 0;
    const bool ok = ReadFile(toHandle(file), buffer, count, &read, nullptr) != FALSE;
    if (done) {
        *done = read;
    }
    return ok;
}

bool writeFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
    DWORD written = 0;
    bool ok = WriteFile(toHandle(file), buffer, count, &written, nullptr) != FALSE;
    if (ok && written < count) {
        // A short write to a file means the disk is full; report it rather than a success.
        SetLastError(ERROR_DISK_FULL);
        ok = false;
    }
    if (done) {
        *done = written;
    }
    return ok;
}

bool setFilePointerEx(FileHandle file, int64_t distance, int64_t* newPosition, uint32_t moveMethod) {
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(toHandle(file), move, &position, moveMethod)) {
        return false;
    }
    if (newPosition) {
        *newPosition = position.QuadPart;
    }
    return true;
}

bool getFileSizeEx(FileHandle file, int64_t* size) {
    LARGE_INTEGER value{};
    if (!GetFileSizeEx(toHandle(file), &value)) {
        return false;
    }
    if (size) {
        *size = value.QuadPart;
    }
    return true;
}

bool setEndOfFile(FileHandle file) {
    return SetEndOfFile(toHandle(file)) != FALSE;
}

bool flushFileBuffers(FileHandle file) {
    return FlushFileBuffers(toHandle(file)) != FALSE;
}

bool getFileTime(FileHandle file, uint64_t* creation, uint64_t* lastAccess, uint64_t* lastWrite) {
    FILETIME created{}, accessed{}, written{};
    if (!GetFileTime(toHandle(file), &created, &accessed, &written)) {
        return false;
    }
    if (creation) {
        *creation = fromFileTime(created);
    }
    if (lastAccess) {
        *lastAccess = fromFileTime(accessed);
    }
    if (lastWrite) {
        *lastWrite = fromFileTime(written);
    }
    return true;
}

uint32_t getFileAttributes(const char* path) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    return GetFileAttributesA(path);
}

FindHandle findFirstFile(const char* pattern, FindData* data) {
    if (!pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    fromFindData(found, data);
    return reinterpret_cast<FindHandle>(search);
}

bool findNextFile(FindHandle search, FindData* data) {
    if (!search || !data) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    WIN32_FIND_DATAA found{};
    if (!FindNextFileA(reinterpret_cast<HANDLE>(search), &found)) {
        return false;
    }
    fromFindData(found, data);
    return true;
}

bool findClose(FindHandle search) {
    if (!search) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return FindClose(reinterpret_cast<HANDLE>(search)) != FALSE;
}

} // namespace korvane::platform
