#include <cerrno>

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
