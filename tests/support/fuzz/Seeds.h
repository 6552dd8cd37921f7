#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace korvane::test {

// The main of a seed corpus writer: takes the corpus directory as its one argument and gives body a
// write(name, bytes) that puts one seed file there.
template <typename Body> int writeSeeds(int argc, char** argv, Body body) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    bool failed = false;
    auto write = [&](const std::string& name, const std::vector<unsigned char>& bytes) {
        const std::string path = directory + "/" + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if ((file && std::fclose(file) != 0) || !written) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            failed = true;
        }
    };
    body(write);
    return failed ? 1 : 0;
}

} // namespace korvane::test
