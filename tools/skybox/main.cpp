#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/skybox/SkyBox.h"

// Writes the demonstration's sky cube map: korvane_skybox <output.dds> [face size, default 512].
int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <output.dds> [face size]\n", argv[0]);
        return 2;
    }
    int size = 512;
    if (argc == 3) {
        char* end = nullptr;
        long value = std::strtol(argv[2], &end, 10);
        size = (*end == '\0' && value > 0 && value <= 4096) ? int(value) : -1;
    }
    std::string error;
    if (!korvane::tools::SkyBox().write(argv[1], size, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    return 0;
}
