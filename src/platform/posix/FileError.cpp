#include <cerrno>
#include <sys/stat.h>
#include <vector>

#include "platform/File.h"
#include "platform/Time.h"
#include "platform/posix/FilePosix.h"

namespace korvane::platform {

namespace posix {

uint32_t win32ErrorFromErrno(int error, uint32_t ioFault) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
        return ERROR_SHARING_VIOLATION;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENXIO:
    case ENODEV:
        return ERROR_OPEN_FAILED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ESPIPE:
        return ERROR_SEEK_ON_DEVICE;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EFBIG:
        return ERROR_FILE_TOO_LARGE;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case EOPNOTSUPP:
        return ERROR_NOT_SUPPORTED;
    case ENOMEDIUM:
        return ERROR_UNRECOGNIZED_MEDIA;
    case EMEDIUMTYPE:
        return ERROR_WRONG_DISK;
    case EIO:
        return ioFault;
    default:
        return ERROR_GEN_FAILURE;
    }
}

bool failWithErrno(uint32_t ioFault) {
    setLastError(win32ErrorFromErrno(errno, ioFault));
    return false;
}

std::string nativePath(const char* path) {
    std::string native(path ? path : "");
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

namespace {

// Looks for an existing entry that the pieces name when some of the backslashes between them are part of
// a name: each component takes as few pieces as it can, so the separator reading wins wherever it names
// something. Pieces after '/' always start a new component. Gives up after a bounded number of lookups.
bool resolvePieces(const std::string& base, const std::vector<std::string>& pieces,
                   const std::vector<bool>& afterBackslash, size_t first, int& lookups, std::string& found) {
    for (size_t last = first; last < pieces.size(); ++last) {
        if (last > first && !afterBackslash[last])
            break;
        std::string component;
        for (size_t i = first; i <= last; ++i)
            component += (i > first ? "\\" : "") + pieces[i];
        const std::string candidate = base.empty()  ? component
                                      : base == "/" ? "/" + component
                                                    : base + "/" + component;
        if (--lookups < 0)
            return false;
        struct stat status {};
        if (last + 1 == pieces.size()) {
            if (::lstat(candidate.c_str(), &status) == 0) {
                found = candidate;
                return true;
            }
        } else if (::stat(candidate.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
                   resolvePieces(candidate, pieces, afterBackslash, last + 1, lookups, found)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string resolvePath(const char* path) {
    std::string native = nativePath(path);
    const std::string original(path ? path : "");
    struct stat status {};
    if (original.find('\\') == std::string::npos || ::lstat(native.c_str(), &status) == 0)
        return native;
    std::vector<std::string> pieces{""};
    std::vector<bool> afterBackslash{false};
    for (char c : original) {
        if (c == '/' || c == '\\') {
            pieces.emplace_back();
            afterBackslash.push_back(c == '\\');
        } else {
            pieces.back() += c;
        }
    }
    std::string base;
    size_t first = 0;
    if (pieces.size() > 1 && pieces[0].empty() && !afterBackslash[1]) {
        base.push_back('/');
        first = 1;
    }
    int lookups = 64;
    std::string found;
    return resolvePieces(base, pieces, afterBackslash, first, lookups, found) ? found : native;
}

bool parentMissing(const std::string& native) {
    size_t slash = native.find_last_not_of('/');
    slash = slash == std::string::npos ? std::string::npos : native.rfind('/', slash);
    if (slash == std::string::npos || slash == 0)
        return false;
    struct stat status {};
    return ::stat(native.substr(0, slash).c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

uint64_t fileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
    constexpr int64_t epochDifference = int64_t(unixEpochFileTime / fileTimeTicksPerSecond);
    constexpr int64_t largest = int64_t(UINT64_MAX / fileTimeTicksPerSecond) - epochDifference - 1;
    if (seconds < -epochDifference)
        return 0;
    if (seconds > largest)
        seconds = largest;
    return uint64_t(seconds + epochDifference) * fileTimeTicksPerSecond + nanoseconds / 100u;
}

} // namespace posix
} // namespace korvane::platform
