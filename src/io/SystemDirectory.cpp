#include "io/SystemDirectory.h"

#include "io/IOException.h"
#include "platform/File.h"

namespace korvane::io {

namespace {

FileInfo infoFrom(const platform::FindData& data) {
    uint32_t flags = FileInfo::Readable;
    if (data.attributes & platform::FILE_ATTRIBUTE_DIRECTORY)
        flags |= FileInfo::IsDirectory;
    if (data.attributes & platform::FILE_ATTRIBUTE_HIDDEN)
        flags |= FileInfo::Hidden;
    if (!(data.attributes & platform::FILE_ATTRIBUTE_READONLY))
        flags |= FileInfo::Writable;
    if (data.attributes & platform::FILE_ATTRIBUTE_REPARSE_POINT)
        flags |= FileInfo::Link;
    uint64_t size = (uint64_t(data.fileSizeHigh) << 32) | data.fileSizeLow;
    return FileInfo(data.fileName, size, data.creationTime / 10, data.lastWriteTime / 10,
                    data.lastAccessTime / 10, flags);
}

} // namespace

void SystemDirectory::open(const types::String& newPath) {
    entries.clear();
    path = newPath;
    setPath(newPath);
    refresh();
}

void SystemDirectory::refresh() {
    types::String pattern = path.isEmpty() ? types::String(".\\") : path;
    if (pattern.view().back() != '\\')
        pattern.append("\\");
    pattern.append("*");

    platform::FindData data;
    platform::FindHandle search = platform::findFirstFile(pattern.getText(), &data);
    if (!search) {
        if (platform::getLastError() != platform::ERROR_NO_MORE_FILES)
            throw DirectoryNotFoundException();
        return;
    }
    try {
        do
            entries.append(infoFrom(data));
        while (platform::findNextFile(search, &data));
    } catch (...) {
        platform::findClose(search);
        throw;
    }
    platform::findClose(search);
}

} // namespace korvane::io
