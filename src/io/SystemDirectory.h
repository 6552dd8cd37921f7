#pragma once

#include "io/Directory.h"

namespace korvane::io {

/// A directory of the operating system. Every entry is listed, "." and ".." included.
class SystemDirectory : public Directory {
public:
    /// Starts from an empty listing, stores the path and scans it.
    void open(const types::String& path);

    /// Appends the entries of the directory (again, if it was scanned before); an empty path lists the
    /// working directory. Throws DirectoryNotFoundException when the directory cannot be searched.
    void refresh() override;
    void setPath(const types::String&) override {}
    const Entries& getEntries() const override { return entries; }
    const types::String& getPath() const { return path; }

    types::String getClassPath() const override {
        return types::String::concat(Directory::getClassPath(), ":SystemDirectory");
    }

private:
    types::String path;
    Entries entries;
};

} // namespace korvane::io
