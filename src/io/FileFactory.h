#pragma once

#include "io/Directory.h"
#include "io/File.h"

namespace korvane::io {

/// Opens, creates and tests files by name relative to a base directory, and lists that directory.
/// Files and listings it returns are new objects (count 1) that the caller releases. Failures throw
/// IOException or one of its subclasses.
class FileFactory : public object::Object {
public:
    virtual bool exists(const types::String& name) = 0;
    /// A new file (count 1, owned by the caller).
    virtual File* create(const types::String& name) = 0;
    virtual File* open(const types::String& name, uint32_t mode) = 0;
    /// A new listing of the base directory (count 1, owned by the caller).
    virtual Directory* openDirectory() = 0;

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":FileFactory");
    }
};

} // namespace korvane::io
