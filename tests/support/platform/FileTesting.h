#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/File.h"
#include "support/io/TemporaryDirectory.h"

namespace korvane::platform::testing {

// A fresh directory for each test, removed afterwards even when the test took its permissions away.
class FileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(directory.path().empty()) << "cannot make a temporary directory";
        root = directory.path();
    }

    std::string path(const std::string& name) const { return directory.path(name); }
    void writeText(const std::string& name, const std::string& text) const { directory.write(name, text); }

    FileHandle open(const std::string& file, uint32_t access = GENERIC_READ, uint32_t share = 0) {
        return createFile(file.c_str(), access, share, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    }

    korvane::test::TemporaryDirectory directory;
    std::string root;
};

} // namespace korvane::platform::testing
