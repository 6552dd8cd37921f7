#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace korvane::test {

// The TrueType fonts of Debian's fonts-dejavu-core, which the set-up installs. Tests copy them into
// directories of their own; no font file is kept with the sources.
inline std::string debianFont(const std::string& name) {
    return "/usr/share/fonts/truetype/dejavu/" + name;
}

// Copies a Debian font into a directory under a name of the test's choosing.
inline void copyFont(const std::string& directory, const std::string& font, const std::string& as) {
    std::error_code error;
    std::filesystem::copy_file(debianFont(font), directory + "/" + as,
                               std::filesystem::copy_options::overwrite_existing, error);
    ASSERT_FALSE(error) << "cannot copy " << debianFont(font)
                        << " (package fonts-dejavu-core): " << error.message();
}

} // namespace korvane::test
