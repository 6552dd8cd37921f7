// Writes the seed corpus of the DDS fuzz target: one small valid file of each kind the reader knows.
#include <string>

#include "support/fuzz/Seeds.h"
#include "support/io/DdsFile.h"

using namespace korvane::test;

int main(int argc, char** argv) {
    return writeSeeds(argc, argv, [](auto save) {
        const uint32_t formats[][2] = {{20, 0},         {21, 0},         {23, 0}, {24, 0}, {36, 0}, {41, 0},
                                       {0x31545844, 0}, {0x35545844, 0}, {0, 16}, {0, 24}, {0, 32}};
        for (const auto& format : formats) {
            DdsHeader header;
            header.width = 4;
            header.height = 2;
            header.fourCC = format[0];
            header.bitCount = format[1];
            save("format-" + std::to_string(format[0]) + "-" + std::to_string(format[1]) + ".dds",
                 ddsFile(header, tagged(64, 1)));
        }
        save("mipmaps.dds", ddsFile(mipmapHeader(4, 4, 3), tagged(4 * (16 + 4 + 1), 2)));
        save("volume.dds", ddsFile(volumeHeader(4, 4, 2), tagged(4 * (4 * 16 + 2 * 4), 3)));
        save("cube.dds", ddsFile(cubeHeader(4, 2), tagged(6 * 4 * (16 + 4), 4)));
        save("cube-two-faces.dds", ddsFile(cubeHeader(4, 2, 0x400 | 0x2000), tagged(2 * 4 * (16 + 4), 5)));
    });
}
