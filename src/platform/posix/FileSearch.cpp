#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/File.h"
#include "platform/posix/FilePosix.h"

namespace korvane::platform {

struct FindRecord {
    std::vector<FindData> entries;
    size_t next = 0;
};

namespace {

uint64_t toFileTime(const struct statx_timestamp& time) {
    return posix::fileTimeFromUnix(time.tv_sec, time.tv_nsec);
}

bool isHiddenName(const char* name) {
    return name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

// Describes the entry `name` of the directory `directory` (AT_FDCWD for a path) without following a link.
bool describe(int directory, const char* path, const char* name, FindData& data) {
    struct statx status {};
    if (::statx(directory, path, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &status) != 0)
        return false;
    uint32_t attributes = 0;
    bool directoryEntry = S_ISDIR(status.stx_mode);
    if (S_ISLNK(status.stx_mode)) {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        struct stat target {};
        if (::fstatat(directory, path, &target, 0) == 0 && S_ISDIR(target.st_mode))
            directoryEntry = true;
    }
    if (directoryEntry)
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(status.stx_mode))
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (!(status.stx_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (isHiddenName(name))
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (attributes == 0)
        attributes = FILE_ATTRIBUTE_NORMAL;

    data.attributes = attributes;
    data.lastAccessTime = toFileTime(status.stx_atime);
    data.lastWriteTime = toFileTime(status.stx_mtime);
    data.creationTime = (status.stx_mask & STATX_BTIME)
                            ? toFileTime(status.stx_btime)
                            : std::min(data.lastWriteTime, toFileTime(status.stx_ctime));
    // Directories and links report no size of their own.
    uint64_t size = S_ISREG(status.stx_mode) ? status.stx_size : 0;
    data.fileSizeHigh = uint32_t(size >> 32);
    data.fileSizeLow = uint32_t(size);
    std::strncpy(data.fileName, name, sizeof data.fileName - 1);
    data.fileName[sizeof data.fileName - 1] = '\0';
    return true;
}

} // namespace

uint32_t getFileAttributes(const char* path) {
    std::string native = posix::resolvePath(path);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    if (native.empty()) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    size_t slash = native.rfind('/');
    std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    FindData data;
    if (!describe(AT_FDCWD, native.c_str(), name.c_str(), data)) {
        const bool missingDirectory = errno == ENOENT && posix::parentMissing(native);
        posix::failWithErrno(ERROR_READ_FAULT);
        if (missingDirectory)
            setLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return data.attributes;
}

FindHandle findFirstFile(const char* pattern, FindData* data) {
    const std::string original(pattern ? pattern : "");
    size_t slash = original.find_last_of("/\\");
    std::string directory = slash == std::string::npos ? std::string(".")
                            : slash == 0               ? std::string("/")
                                         : posix::resolvePath(original.substr(0, slash).c_str());
    std::string match = slash == std::string::npos ? original : original.substr(slash + 1);
    if (match.empty()) {
        setLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }

    DIR* stream = ::opendir(directory.c_str());
    if (!stream) {
        uint32_t error = posix::win32ErrorFromErrno(errno, ERROR_READ_FAULT);
        setLastError(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error);
        return nullptr;
    }
    // The listing is taken whole at the start, so entries added or removed during the search do not
    // disturb it.
    auto* search = new FindRecord;
    while (struct dirent* entry = ::readdir(stream)) {
        if (::fnmatch(match.c_str(), entry->d_name, 0) != 0)
            continue;
        FindData found;
        if (describe(::dirfd(stream), entry->d_name, entry->d_name, found))
            search->entries.push_back(found);
    }
    ::closedir(stream);
    std::sort(search->entries.begin(), search->entries.end(),
              [](const FindData& a, const FindData& b) { return std::strcmp(a.fileName, b.fileName) < 0; });

    if (search->entries.empty()) {
        delete search;
        setLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (data)
        *data = search->entries[0];
    search->next = 1;
    setLastError(ERROR_SUCCESS);
    return search;
}

bool findNextFile(FindHandle search, FindData* data) {
    if (!search) {
        setLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (search->next >= search->entries.size()) {
        setLastError(ERROR_NO_MORE_FILES);
        return false;
    }
    if (data)
        *data = search->entries[search->next];
    ++search->next;
    return true;
}

bool findClose(FindHandle search) {
    if (!search) {
        setLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    delete search;
    return true;
}

} // namespace korvane::platform
