// Writes the seed corpus of the font fuzz target: small outline and bitmap fonts and broken copies of
// them (cut short, with bytes changed in their tables).
#include <cstdio>
#include <string>
#include <vector>

#include "support/freetype/TinyFonts.h"

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
    const std::string out = argv[1];
    const std::string bitmap = korvane::test::tinyBitmapFont();
    const std::vector<std::vector<unsigned char>> fonts = {
        korvane::test::tinyTrueType(), korvane::test::tinyTrueType(300, 1500),
        std::vector<unsigned char>(bitmap.begin(), bitmap.end())};
    for (size_t i = 0; i < fonts.size(); ++i) {
        const std::vector<unsigned char>& font = fonts[i];
        const std::string stem = "font" + std::to_string(i);
        save(out, stem, font);
        save(out, stem + "-half",
             std::vector<unsigned char>(font.begin(), font.begin() + long(font.size() / 2)));
        save(out, stem + "-header", std::vector<unsigned char>(font.begin(), font.begin() + 64));
        // Every 61st byte inverted: table lengths, offsets and outlines go wrong in many places at once.
        std::vector<unsigned char> changed = font;
        for (size_t j = 7; j < changed.size(); j += 61)
            changed[j] = uint8_t(~changed[j]);
        save(out, stem + "-changed", changed);
    }
    return 0;
}
