#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace korvane::test {

// A fresh directory under /tmp (Windows: the user's temporary folder), removed with everything in it when
// the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory() {
#ifdef _WIN32
        // No mkdtemp: a random name, taken only when the directory did not exist yet.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && root.empty(); ++attempt) {
            std::error_code error;
            const std::filesystem::path candidate =
                std::filesystem::temp_directory_path(error) / ("korvane-io-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate, error))
                root = candidate.generic_string();
        }
#else
        char pattern[] = "/tmp/korvane-io-XXXXXX";
        if (mkdtemp(pattern))
            root = pattern;
#endif
    }
    ~TemporaryDirectory() {
        if (root.empty())
            return;
        // A test may have taken the directory's own permissions away.
        std::error_code ignored;
        std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& path() const {
        return root;
    }
    std::string path(const std::string& name) const {
        return root + "/" + name;
    }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    void write(const std::string& name, const std::vector<unsigned char>& bytes) const {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string root;
};

} // namespace korvane::test
