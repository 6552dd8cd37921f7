#pragma once

#include "container/List.h"
#include "io/FileInfo.h"
#include "object/Object.h"

namespace korvane::io {

/// A listing of the entries of a directory.
class Directory : public object::Object {
public:
    using Entries = container::List<FileInfo, container::ListAllocator<FileInfo, 64>>;

    /// Scans the directory and appends its entries to the listing.
    virtual void refresh() = 0;
    virtual void setPath(const types::String& path) = 0;
    /// The entries in the order the system listed them.
    virtual const Entries& getEntries() const = 0;

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Directory");
    }
};

} // namespace korvane::io
