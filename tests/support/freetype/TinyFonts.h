#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvane::test {

// Small fonts made from scratch for tests and fuzzing seeds.

// A TrueType font of 1200 units per em named "Korvane Seed" / "Regular": glyph 1 is a rectangle of
// width x height units standing on the baseline, glyph 2 a triangle of the same extent. 'A' and 0xC9
// map to glyph 1 and 'B' to glyph 2 in both character maps (Mac Roman, encoding 0, and Windows Unicode,
// encoding 1); every other code maps to the empty glyph 0.
inline std::vector<unsigned char> tinyTrueType(int16_t width = 1000, int16_t height = 1100) {
    struct Writer {
        std::vector<unsigned char> bytes;
        void u8(unsigned value) { bytes.push_back(uint8_t(value)); }
        void u16(unsigned value) {
            u8(value >> 8);
            u8(value);
        }
        void u32(uint32_t value) {
            u16(value >> 16);
            u16(value & 0xFFFF);
        }
    };
    auto glyph = [&](std::vector<std::pair<int16_t, int16_t>> points) {
        Writer w;
        int16_t xMax = 0, yMax = 0;
        for (auto [x, y] : points) {
            xMax = std::max(xMax, x);
            yMax = std::max(yMax, y);
        }
        w.u16(1);
        w.u16(0);
        w.u16(0);
        w.u16(uint16_t(xMax));
        w.u16(uint16_t(yMax));
        w.u16(uint16_t(points.size() - 1));
        w.u16(0);
        for (size_t i = 0; i < points.size(); ++i)
            w.u8(0x01);
        int16_t last = 0;
        for (auto [x, y] : points) {
            w.u16(uint16_t(int16_t(x - last)));
            last = x;
        }
        last = 0;
        for (auto [x, y] : points) {
            w.u16(uint16_t(int16_t(y - last)));
            last = y;
        }
        if (w.bytes.size() % 2)
            w.u8(0);
        return w.bytes;
    };
    const std::vector<unsigned char> rectangle = glyph({{0, 0}, {0, height}, {width, height}, {width, 0}});
    const std::vector<unsigned char> triangle = glyph({{0, 0}, {int16_t(width / 2), height}, {width, 0}});

    Writer glyf, loca, head, hhea, maxp, hmtx, cmap, name;
    glyf.bytes = rectangle;
    glyf.bytes.insert(glyf.bytes.end(), triangle.begin(), triangle.end());
    for (size_t offset : {size_t(0), size_t(0), rectangle.size(), glyf.bytes.size()})
        loca.u16(uint16_t(offset / 2));

    head.u32(0x00010000);
    head.u32(0x00010000);
    head.u32(0);
    head.u32(0x5F0F3CF5);
    head.u16(0x000B);
    head.u16(1200);
    for (int i = 0; i < 4; ++i)
        head.u32(0);
    head.u16(0);
    head.u16(0);
    head.u16(uint16_t(width));
    head.u16(uint16_t(height));
    head.u16(0);
    head.u16(8);
    head.u16(2);
    head.u16(0);
    head.u16(0);

    hhea.u32(0x00010000);
    hhea.u16(1000);
    hhea.u16(uint16_t(-200));
    hhea.u16(0);
    hhea.u16(uint16_t(width + 100));
    for (int i = 0; i < 3; ++i)
        hhea.u16(0);
    hhea.u16(1);
    for (int i = 0; i < 7; ++i)
        hhea.u16(0);
    hhea.u16(3);

    maxp.u32(0x00010000);
    maxp.u16(3);
    maxp.u16(4);
    maxp.u16(1);
    maxp.u16(0);
    maxp.u16(0);
    maxp.u16(2);
    for (int i = 0; i < 8; ++i)
        maxp.u16(0);

    for (int i = 0; i < 3; ++i) {
        hmtx.u16(uint16_t(width + 100));
        hmtx.u16(0);
    }

    cmap.u16(0);
    cmap.u16(2);
    cmap.u16(1);
    cmap.u16(0);
    cmap.u32(4 + 2 * 8);
    cmap.u16(3);
    cmap.u16(1);
    cmap.u32(4 + 2 * 8 + 262);
    cmap.u16(0);
    cmap.u16(262);
    cmap.u16(0);
    for (unsigned code = 0; code < 256; ++code)
        cmap.u8(code == 'A' || code == 0xC9 ? 1 : code == 'B' ? 2 : 0);
    // Format 4: 'A'-'B' to glyphs 1-2, 0xC9 to glyph 1, and the closing segment.
    const uint16_t ends[] = {'B', 0xC9, 0xFFFF};
    const uint16_t starts[] = {'A', 0xC9, 0xFFFF};
    const uint16_t deltas[] = {uint16_t(1 - 'A'), uint16_t(1 - 0xC9), 1};
    cmap.u16(4);
    cmap.u16(16 + 8 * 3);
    cmap.u16(0);
    cmap.u16(6);
    cmap.u16(4);
    cmap.u16(1);
    cmap.u16(2);
    for (uint16_t end : ends)
        cmap.u16(end);
    cmap.u16(0);
    for (uint16_t start : starts)
        cmap.u16(start);
    for (uint16_t delta : deltas)
        cmap.u16(delta);
    for (int i = 0; i < 3; ++i)
        cmap.u16(0);

    const std::string family = "Korvane Seed";
    const std::string style = "Regular";
    name.u16(0);
    name.u16(2);
    name.u16(6 + 2 * 12);
    const std::pair<unsigned, std::string> names[] = {{1, family}, {2, style}};
    unsigned offset = 0;
    for (const auto& [id, text] : names) {
        name.u16(1);
        name.u16(0);
        name.u16(0);
        name.u16(id);
        name.u16(unsigned(text.size()));
        name.u16(offset);
        offset += unsigned(text.size());
    }
    for (const auto& [id, text] : names)
        for (char c : text)
            name.u8(uint8_t(c));

    // Tables in tag order, each at a four-byte boundary.
    const std::pair<const char*, const Writer*> tables[] = {{"cmap", &cmap}, {"glyf", &glyf}, {"head", &head},
                                                            {"hhea", &hhea}, {"hmtx", &hmtx}, {"loca", &loca},
                                                            {"maxp", &maxp}, {"name", &name}};
    const unsigned count = sizeof tables / sizeof tables[0];
    Writer font;
    font.u32(0x00010000);
    font.u16(count);
    font.u16(128);
    font.u16(3);
    font.u16(count * 16 - 128);
    uint32_t position = 12 + 16 * count;
    for (const auto& [tag, table] : tables) {
        for (int i = 0; i < 4; ++i)
            font.u8(uint8_t(tag[i]));
        uint32_t sum = 0;
        std::vector<unsigned char> padded = table->bytes;
        padded.resize((padded.size() + 3) & ~size_t(3));
        for (size_t i = 0; i < padded.size(); i += 4)
            sum += uint32_t(padded[i]) << 24 | uint32_t(padded[i + 1]) << 16 | uint32_t(padded[i + 2]) << 8 |
                   padded[i + 3];
        font.u32(sum);
        font.u32(position);
        font.u32(uint32_t(table->bytes.size()));
        position += uint32_t(padded.size());
    }
    for (const auto& [tag, table] : tables) {
        font.bytes.insert(font.bytes.end(), table->bytes.begin(), table->bytes.end());
        while (font.bytes.size() % 4)
            font.u8(0);
    }
    return font.bytes;
}

// A BDF bitmap font with one 24-pixel strike named "Korvane Bitmap" / "Medium": 'A' is a 16 x 24 frame
// one pixel wide, 'B' a checkerboard of 16 x 24 pixels.
inline std::string tinyBitmapFont() {
    std::string font = "STARTFONT 2.1\n"
                       "FONT -korvane-bitmap-medium-r-normal--24-240-75-75-c-160-iso8859-1\n"
                       "SIZE 24 75 75\n"
                       "FONTBOUNDINGBOX 16 24 0 -4\n"
                       "STARTPROPERTIES 6\n"
                       "FAMILY_NAME \"Korvane Bitmap\"\n"
                       "WEIGHT_NAME \"Medium\"\n"
                       "PIXEL_SIZE 24\n"
                       "FONT_ASCENT 20\n"
                       "FONT_DESCENT 4\n"
                       "DEFAULT_CHAR 65\n"
                       "ENDPROPERTIES\n"
                       "CHARS 2\n";
    auto character = [&](const char* label, int code, bool frame) {
        font += std::string("STARTCHAR ") + label + "\nENCODING " + std::to_string(code) +
                "\nSWIDTH 666 0\nDWIDTH 17 0\nBBX 16 24 0 -4\nBITMAP\n";
        for (int row = 0; row < 24; ++row) {
            if (frame)
                font += row == 0 || row == 23 ? "FFFF\n" : "8001\n";
            else
                font += row % 2 ? "5555\n" : "AAAA\n";
        }
        font += "ENDCHAR\n";
    };
    character("A", 'A', true);
    character("B", 'B', false);
    return font + "ENDFONT\n";
}

} // namespace korvane::test
