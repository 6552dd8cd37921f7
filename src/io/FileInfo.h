#pragma once

#include <cstdint>

#include "object/Object.h"
#include "types/String.h"

namespace korvane::io {

/// One entry of a directory listing.
class FileInfo : public object::Object {
public:
    static constexpr uint32_t Readable = 0x01;
    static constexpr uint32_t Writable = 0x02;
    static constexpr uint32_t IsDirectory = 0x04;
    static constexpr uint32_t Hidden = 0x10;
    static constexpr uint32_t Link = 0x20;

    FileInfo() = default;
    /// Names of 256 or more characters are cut to 255.
    FileInfo(const char* name, uint64_t size, uint64_t created, uint64_t modified, uint64_t accessed,
             uint32_t flags);

    types::String getName() const override { return types::String(name); }
    const char* getNameText() const { return name; }
    uint64_t getSize() const { return size; }
    /// Microseconds since 1601-01-01 UTC.
    uint64_t getCreated() const { return created; }
    uint64_t getModified() const { return modified; }
    uint64_t getAccessed() const { return accessed; }
    uint32_t getFlags() const { return flags; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":FileInfo");
    }

private:
    char name[256] = {};
    uint64_t size = 0;
    uint64_t created = 0;
    uint64_t modified = 0;
    uint64_t accessed = 0;
    uint32_t flags = 0;
};

} // namespace korvane::io
