#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/posix/FilePosix.h"

namespace korvane::platform {

struct FileRecord {
    int descriptor = -1;
    // Holds the share-mode locks: the descriptor itself when it can read, else a second one for reading.
    int lockDescriptor = -1;
    dev_t device = 0;
    ino_t inode = 0;
    uint32_t access = 0;
    uint32_t shareMode = 0;
    bool regular = false;
};

namespace {

using posix::failWithErrno;

// Every handle open in this process, for the share-mode check. Few files are open at a time, so a
// linear scan is enough.
std::mutex openFilesLock;
std::vector<FileRecord*> openFiles;

bool conflicts(const FileRecord& open, uint32_t access, uint32_t shareMode) {
    if ((access & GENERIC_READ) && !(open.shareMode & FILE_SHARE_READ))
        return true;
    if ((access & GENERIC_WRITE) && !(open.shareMode & FILE_SHARE_WRITE))
        return true;
    if ((open.access & GENERIC_READ) && !(shareMode & FILE_SHARE_READ))
        return true;
    if ((open.access & GENERIC_WRITE) && !(shareMode & FILE_SHARE_WRITE))
        return true;
    return false;
}

bool fail(uint32_t error) {
    setLastError(error);
    return false;
}

FileRecord* checked(FileHandle file) {
    if (!file || file->descriptor < 0)
        setLastError(ERROR_INVALID_HANDLE);
    return file;
}

// Opened without blocking, so that a named pipe with no peer cannot stall the opener; the flag is dropped
// again once the file is open.
int openFlags(uint32_t access) {
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        return flags | O_RDWR;
    if (access & GENERIC_WRITE)
        return flags | O_WRONLY;
    return flags | O_RDONLY;
}

// Opens the file for the disposition; existed tells whether it was there before.
int openForDisposition(const std::string& path, int flags, uint32_t disposition, mode_t mode, bool& existed) {
    switch (disposition) {
    case CREATE_NEW:
        existed = false;
        return ::open(path.c_str(), flags | O_CREAT | O_EXCL, mode);
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
        existed = true;
        return ::open(path.c_str(), flags);
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        // Create exclusively first so the caller learns whether the file existed; retry if it vanishes
        // between the two attempts.
        for (int attempt = 0; attempt < 8; ++attempt) {
            int descriptor = ::open(path.c_str(), flags | O_CREAT | O_EXCL, mode);
            if (descriptor >= 0 || errno != EEXIST) {
                existed = false;
                return descriptor;
            }
            descriptor = ::open(path.c_str(), flags);
            if (descriptor >= 0 || errno != ENOENT) {
                existed = true;
                return descriptor;
            }
        }
        // Still both refused: the name is a link whose target is missing (the exclusive create sees the
        // link, the plain open misses the target). Create the target through the link; counting it as
        // existing makes sure a file that appeared meanwhile is still emptied.
        existed = true;
        return ::open(path.c_str(), flags | O_CREAT, mode);
    default:
        errno = EINVAL;
        return -1;
    }
}

void closeQuietly(int descriptor) {
    int saved = errno;
    ::close(descriptor);
    errno = saved;
}

// Share modes between processes. Every opener of a regular file holds shared open-file-description locks
// on four bytes far beyond any data: one for each access it has (read, write) and one for each access its
// share mode denies. An opener conflicts when a byte it must find free is locked by another open file
// description (of this or another process): its accesses against the others' denials, its denials against
// the others' accesses. The check and the taking of the locks happen under an exclusive flock, so two
// openers cannot both pass. Locks need a descriptor that can read; a file open for writing only gets a
// second descriptor for them when the file may be read, otherwise only the openers of this process see it.
constexpr off_t lockBase = off_t(1) << 62;
constexpr off_t readAccessByte = lockBase;
constexpr off_t writeAccessByte = lockBase + 1;
constexpr off_t denyReadByte = lockBase + 2;
constexpr off_t denyWriteByte = lockBase + 3;

bool lockedElsewhere(int descriptor, off_t byte) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = byte;
    probe.l_len = 1;
    return ::fcntl(descriptor, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

bool holdShared(int descriptor, off_t byte) {
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return ::fcntl(descriptor, F_OFD_SETLK, &lock) == 0;
}

// Checks the share modes of the openers of other open file descriptions and registers this one; false on
// a sharing violation.
bool shareAcrossProcesses(int descriptor, uint32_t access, uint32_t shareMode) {
    // Held only for the check by openers of this layer; a program that keeps the file flocked for long
    // does not stall the open, which then checks without it.
    bool gated = false;
    for (int attempt = 0; attempt < 100 && !gated; ++attempt) {
        gated = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
        if (!gated && errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (!gated)
            ::usleep(1000);
    }
    const bool deniesRead = !(shareMode & FILE_SHARE_READ);
    const bool deniesWrite = !(shareMode & FILE_SHARE_WRITE);
    bool violation = ((access & GENERIC_READ) && lockedElsewhere(descriptor, denyReadByte)) ||
                     ((access & GENERIC_WRITE) && lockedElsewhere(descriptor, denyWriteByte)) ||
                     (deniesRead && lockedElsewhere(descriptor, readAccessByte)) ||
                     (deniesWrite && lockedElsewhere(descriptor, writeAccessByte));
    if (!violation) {
        if (access & GENERIC_READ)
            holdShared(descriptor, readAccessByte);
        if (access & GENERIC_WRITE)
            holdShared(descriptor, writeAccessByte);
        if (deniesRead)
            holdShared(descriptor, denyReadByte);
        if (deniesWrite)
            holdShared(descriptor, denyWriteByte);
    }
    if (gated)
        ::flock(descriptor, LOCK_UN);
    return !violation;
}

} // namespace

FileHandle createFile(const char* path, uint32_t access, uint32_t shareMode, uint32_t disposition,
                      uint32_t attributes) {
    std::string native = posix::resolvePath(path);
    if (native.empty()) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
        (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE))) {
        setLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }

    mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    bool existed = false;
    int descriptor;
    do
        descriptor = openForDisposition(native, openFlags(access), disposition, mode, existed);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        const bool missingDirectory = errno == ENOENT && posix::parentMissing(native);
        failWithErrno(ERROR_OPEN_FAILED);
        if (missingDirectory)
            setLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }

    struct stat status {};
    int descriptorFlags = ::fcntl(descriptor, F_GETFL);
    if (descriptorFlags == -1 || ::fcntl(descriptor, F_SETFL, descriptorFlags & ~O_NONBLOCK) != 0 ||
        ::fstat(descriptor, &status) != 0) {
        failWithErrno(ERROR_OPEN_FAILED);
        closeQuietly(descriptor);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        setLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }

    auto* record = new FileRecord;
    record->descriptor = descriptor;
    record->device = status.st_dev;
    record->inode = status.st_ino;
    record->access = access & (GENERIC_READ | GENERIC_WRITE);
    record->shareMode = shareMode & (FILE_SHARE_READ | FILE_SHARE_WRITE);
    record->regular = S_ISREG(status.st_mode);

    {
        std::lock_guard<std::mutex> guard(openFilesLock);
        bool violation = std::any_of(openFiles.begin(), openFiles.end(), [&](const FileRecord* open) {
            return open->device == record->device && open->inode == record->inode &&
                   conflicts(*open, record->access, record->shareMode);
        });
        // Other processes that open files through this layer see the share modes too.
        if (!violation && record->regular) {
            record->lockDescriptor = descriptor;
            if (!(record->access & GENERIC_READ))
                record->lockDescriptor = ::open(("/proc/self/fd/" + std::to_string(descriptor)).c_str(),
                                                O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
            if (record->lockDescriptor >= 0)
                violation = !shareAcrossProcesses(record->lockDescriptor, record->access, record->shareMode);
        }
        if (violation) {
            if (record->lockDescriptor >= 0 && record->lockDescriptor != descriptor)
                ::close(record->lockDescriptor);
            ::close(descriptor);
            delete record;
            setLastError(ERROR_SHARING_VIOLATION);
            return nullptr;
        }
        openFiles.push_back(record);
    }

    // Truncation only after the share check, so a file open elsewhere is never emptied.
    if (existed && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) && record->regular &&
        ::ftruncate(descriptor, 0) != 0) {
        int error = errno;
        closeHandle(record);
        setLastError(posix::win32ErrorFromErrno(error, ERROR_WRITE_FAULT));
        return nullptr;
    }

    setLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    return record;
}

bool closeHandle(FileHandle file) {
    if (!checked(file))
        return false;
    {
        std::lock_guard<std::mutex> guard(openFilesLock);
        openFiles.erase(std::remove(openFiles.begin(), openFiles.end(), file), openFiles.end());
    }
    if (file->lockDescriptor >= 0 && file->lockDescriptor != file->descriptor)
        ::close(file->lockDescriptor);
    // The descriptor is gone whatever close reports; a failure still means data may be lost.
    int result = ::close(file->descriptor);
    int error = errno;
    delete file;
    if (result != 0 && error != EINTR) {
        setLastError(posix::win32ErrorFromErrno(error, ERROR_WRITE_FAULT));
        return false;
    }
    return true;
}

bool readFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
    if (done)
        *done = 0;
    if (!checked(file))
        return false;
    if (!(file->access & GENERIC_READ))
        return fail(ERROR_ACCESS_DENIED);
    auto* bytes = static_cast<char*>(buffer);
    uint32_t total = 0;
    while (total < count) {
        ssize_t got = ::read(file->descriptor, bytes + total, count - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (done)
                *done = total;
            return failWithErrno(ERROR_READ_FAULT);
        }
        total += uint32_t(got);
        // Only a regular file is read until the request is met; a pipe or device returns what it has.
        if (got == 0 || !file->regular)
            break;
    }
    if (done)
        *done = total;
    return true;
}

bool writeFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
    if (done)
        *done = 0;
    if (!checked(file))
        return false;
    if (!(file->access & GENERIC_WRITE))
        return fail(ERROR_ACCESS_DENIED);
    const auto* bytes = static_cast<const char*>(buffer);
    uint32_t total = 0;
    while (total < count) {
        ssize_t put = ::write(file->descriptor, bytes + total, count - total);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            if (done)
                *done = total;
            return failWithErrno(ERROR_WRITE_FAULT);
        }
        if (put == 0) {
            if (done)
                *done = total;
            return fail(ERROR_WRITE_FAULT);
        }
        total += uint32_t(put);
    }
    if (done)
        *done = total;
    return true;
}

bool setFilePointerEx(FileHandle file, int64_t distance, int64_t* newPosition, uint32_t moveMethod) {
    if (!checked(file))
        return false;
    int whence;
    switch (moveMethod) {
    case FILE_BEGIN:
        whence = SEEK_SET;
        break;
    case FILE_CURRENT:
        whence = SEEK_CUR;
        break;
    case FILE_END:
        whence = SEEK_END;
        break;
    default:
        return fail(ERROR_INVALID_PARAMETER);
    }
    off_t position = ::lseek(file->descriptor, off_t(distance), whence);
    if (position < 0) {
        // With a valid origin, lseek refuses only a target before the start or beyond the largest offset.
        if (errno == EINVAL)
            return fail(distance < 0 ? ERROR_NEGATIVE_SEEK : ERROR_INVALID_PARAMETER);
        return failWithErrno(ERROR_SEEK);
    }
    if (newPosition)
        *newPosition = int64_t(position);
    return true;
}

bool getFileSizeEx(FileHandle file, int64_t* size) {
    if (!checked(file))
        return false;
    struct stat status {};
    if (::fstat(file->descriptor, &status) != 0)
        return failWithErrno(ERROR_READ_FAULT);
    if (size)
        *size = int64_t(status.st_size);
    return true;
}

bool setEndOfFile(FileHandle file) {
    if (!checked(file))
        return false;
    if (!(file->access & GENERIC_WRITE))
        return fail(ERROR_ACCESS_DENIED);
    off_t position = ::lseek(file->descriptor, 0, SEEK_CUR);
    if (position < 0)
        return failWithErrno(ERROR_SEEK);
    int result;
    do
        result = ::ftruncate(file->descriptor, position);
    while (result != 0 && errno == EINTR);
    return result == 0 || failWithErrno(ERROR_WRITE_FAULT);
}

bool flushFileBuffers(FileHandle file) {
    if (!checked(file))
        return false;
    if (!(file->access & GENERIC_WRITE))
        return fail(ERROR_ACCESS_DENIED);
    if (::fsync(file->descriptor) == 0)
        return true;
    // Devices and pipes keep no buffers of their own to write out.
    if (errno == EINVAL || errno == EROFS)
        return !file->regular || failWithErrno(ERROR_WRITE_FAULT);
    return failWithErrno(ERROR_WRITE_FAULT);
}

bool getFileTime(FileHandle file, uint64_t* creation, uint64_t* lastAccess, uint64_t* lastWrite) {
    if (!checked(file))
        return false;
    struct statx status {};
    if (::statx(file->descriptor, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &status) != 0)
        return failWithErrno(ERROR_READ_FAULT);
    auto toFileTime = [](const struct statx_timestamp& time) {
        return posix::fileTimeFromUnix(time.tv_sec, time.tv_nsec);
    };
    if (creation) {
        if (status.stx_mask & STATX_BTIME)
            *creation = toFileTime(status.stx_btime);
        else
            *creation = std::min(toFileTime(status.stx_mtime), toFileTime(status.stx_ctime));
    }
    if (lastAccess)
        *lastAccess = toFileTime(status.stx_atime);
    if (lastWrite)
        *lastWrite = toFileTime(status.stx_mtime);
    return true;
}

} // namespace korvane::platform
