// Writes the seed corpus of the font fuzz target: small outline and bitmap fonts and broken copies of
// them (cut short, with bytes changed in their tables).
#include <string>
#include <vector>

#include "support/freetype/TinyFonts.h"
#include "support/fuzz/Seeds.h"

int main(int argc, char** argv) {
    return korvane::test::writeSeeds(argc, argv, [](auto save) {
        const std::string bitmap = korvane::test::tinyBitmapFont();
        const std::vector<std::vector<unsigned char>> fonts = {
            korvane::test::tinyTrueType(), korvane::test::tinyTrueType(300, 1500),
            std::vector<unsigned char>(bitmap.begin(), bitmap.end())};
        for (size_t i = 0; i < fonts.size(); ++i) {
            const std::vector<unsigned char>& font = fonts[i];
            const std::string stem = "font" + std::to_string(i);
            save(stem, font);
            save(stem + "-half",
                 std::vector<unsigned char>(font.begin(), font.begin() + long(font.size() / 2)));
            save(stem + "-header", std::vector<unsigned char>(font.begin(), font.begin() + 64));
            // Every 61st byte inverted: table lengths, offsets and outlines go wrong in many places at once.
            std::vector<unsigned char> changed = font;
            for (size_t j = 7; j < changed.size(); j += 61)
                changed[j] = uint8_t(~changed[j]);
            save(stem + "-changed", changed);
        }
    });
}
