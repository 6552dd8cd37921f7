// Writes the seed corpus of the DDS fuzz target: one small valid file of each kind the reader knows.
#include <cstdio>
#include <string>
#include <vector>

#include "support/io/DdsFile.h"

using korvane::test::ddsFile;
using korvane::test::DdsHeader;
using korvane::test::tagged;

namespace {

void save(const std::string& directory, const std::string& name, const std::vector<unsigned char>& bytes) {
    std::string path = directory + "/" + name;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    std::string out = argv[1];

    const uint32_t formats[][2] = {{20, 0},         {21, 0},         {23, 0}, {24, 0}, {36, 0}, {41, 0},
                                   {0x31545844, 0}, {0x35545844, 0}, {0, 16}, {0, 24}, {0, 32}};
    for (const auto& format : formats) {
        DdsHeader header;
        header.width = 4;
        header.height = 2;
        header.fourCC = format[0];
        header.bitCount = format[1];
        save(out, "format-" + std::to_string(format[0]) + "-" + std::to_string(format[1]) + ".dds",
             ddsFile(header, tagged(64, 1)));
    }

    DdsHeader mipmaps;
    mipmaps.flags |= 0x20000;
    mipmaps.width = 4;
    mipmaps.height = 4;
    mipmaps.levels = 3;
    save(out, "mipmaps.dds", ddsFile(mipmaps, tagged(4 * (16 + 4 + 1), 2)));

    DdsHeader volume = mipmaps;
    volume.flags |= 0x800000;
    volume.depth = 4;
    volume.levels = 2;
    volume.caps1 |= 0x8;
    volume.caps2 = 0x200000;
    save(out, "volume.dds", ddsFile(volume, tagged(4 * (4 * 16 + 2 * 4), 3)));

    DdsHeader cube = mipmaps;
    cube.levels = 2;
    cube.caps1 |= 0x8;
    cube.caps2 = 0x200 | 0xFC00;
    save(out, "cube.dds", ddsFile(cube, tagged(6 * 4 * (16 + 4), 4)));
    cube.caps2 = 0x200 | 0x400 | 0x2000;
    save(out, "cube-two-faces.dds", ddsFile(cube, tagged(2 * 4 * (16 + 4), 5)));
    return 0;
}
