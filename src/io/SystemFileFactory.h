#pragma once

#include "io/FileFactory.h"

namespace korvane::io {

/// Files of the operating system under a base path. Names are joined to the base path with a backslash.
class SystemFileFactory : public FileFactory {
public:
    explicit SystemFileFactory(const types::String& basePath) : basePath(basePath) {}

    bool exists(const types::String& name) override;
    File* create(const types::String& name) override;
    File* open(const types::String& name, uint32_t mode) override;
    Directory* openDirectory() override;

    /// The base path, a backslash unless it is empty or ends in one, then the name.
    types::String join(const types::String& name) const;
    const types::String& getBasePath() const { return basePath; }

    types::String getClassPath() const override {
        return types::String::concat(FileFactory::getClassPath(), ":SystemFileFactory");
    }

private:
    types::String basePath;
};

} // namespace korvane::io
