#include "freetype/FontFactory.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "freetype/FreetypeException.h"
#include "freetype/Library.h"
#include "io/SystemFileFactory.h"
#include "object/Pointer.h"

namespace korvane::freetype {

namespace {

constexpr int32_t GridColumns = 16;

types::String nameOrEmpty(const char* name) {
    return types::String(name ? name : "").toLowerCase();
}

// Pixel sizes as FreeType takes them: truncated, and kept inside its range whatever the float holds.
FT_UInt pixelSize(float value) {
    if (!(value >= 1.0f))
        return 0;
    return value >= 65535.0f ? 65535u : FT_UInt(value);
}

// Selects the first character map with the wanted encoding id that FreeType accepts.
bool selectCharacterMap(FT_Face face, int32_t encoding) {
    for (FT_Int i = 0; i < face->num_charmaps; ++i) {
        if (face->charmaps[i]->encoding_id == encoding && FT_Set_Charmap(face, face->charmaps[i]) == 0)
            return true;
    }
    return false;
}

// One row of a rendered bitmap, top row first whatever the sign of the pitch.
const unsigned char* bitmapRow(const FT_Bitmap& bitmap, int32_t row) {
    const int64_t pitch = bitmap.pitch;
    if (pitch >= 0)
        return bitmap.buffer + row * pitch;
    return bitmap.buffer + (int64_t(bitmap.rows) - 1 - row) * -pitch;
}

// Copies the top-left width x rows pixels of a rendered bitmap into the atlas as 8-bit coverage. False
// for a pixel mode that carries no coverage (colour and sub-pixel bitmaps).
bool copyBitmap(const FT_Bitmap& bitmap, unsigned char* target, int32_t targetPitch, int32_t width,
                int32_t rows) {
    switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO:
    case FT_PIXEL_MODE_GRAY:
    case FT_PIXEL_MODE_GRAY2:
    case FT_PIXEL_MODE_GRAY4:
        break;
    default:
        return false;
    }
    if (!bitmap.buffer)
        return width == 0 || rows == 0;
    const uint32_t grays = bitmap.num_grays > 1 ? bitmap.num_grays - 1u : 1u;
    for (int32_t y = 0; y < rows; ++y) {
        const unsigned char* source = bitmapRow(bitmap, y);
        unsigned char* out = target + int64_t(y) * targetPitch;
        for (int32_t x = 0; x < width; ++x) {
            switch (bitmap.pixel_mode) {
            case FT_PIXEL_MODE_MONO:
                out[x] = (source[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                break;
            case FT_PIXEL_MODE_GRAY:
                out[x] = uint8_t(std::min<uint32_t>(255u, source[x] * 255u / grays));
                break;
            case FT_PIXEL_MODE_GRAY2:
                out[x] = uint8_t(((source[x >> 2] >> (6 - 2 * (x & 3))) & 3) * 85);
                break;
            default:
                out[x] = uint8_t(((source[x >> 1] >> (4 - 4 * (x & 1))) & 15) * 17);
                break;
            }
        }
    }
    return true;
}

// What rendering one glyph gave: its bitmap size (cut to the cell) and metrics.
struct Rendered {
    bool valid = false;
    int32_t width = 0;
    int32_t rows = 0;
    float advance[2] = {};
    float bearing[2] = {};
};

} // namespace

FontFactory::FontFactory() {
    auto factory = object::Pointer<io::SystemFileFactory>::adopt(new io::SystemFileFactory("."));
    setFileFactory(factory.get());
}

FontFactory::FontFactory(io::FileFactory* factory) {
    setFileFactory(factory);
}

FontFactory::~FontFactory() {
    if (fileFactory)
        fileFactory->release();
}

types::String FontFactory::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":FontFactory");
}

void FontFactory::setFileFactory(io::FileFactory* factory) {
    if (factory)
        factory->addReference();
    io::FileFactory* previous;
    {
        std::lock_guard guard(Library::getLock());
        previous = fileFactory;
        fileFactory = factory;
        fonts.clear();
    }
    if (previous)
        previous->release();
    if (!factory)
        return;

    object::Pointer<io::Directory> directory;
    try {
        directory = object::Pointer<io::Directory>::adopt(factory->openDirectory());
    } catch (const object::Exception&) {
        return;
    }
    if (!directory)
        return;
    for (const io::FileInfo& entry : directory->getEntries()) {
        if (!(entry.getFlags() & io::FileInfo::IsDirectory))
            addFont(entry.getName());
    }
}

bool FontFactory::addFont(const types::String& path) {
    // Files are opened exclusively: opening under the lock keeps two threads that read the same font
    // file from failing each other.
    std::lock_guard guard(Library::getLock());
    if (!fileFactory)
        return false;
    object::Pointer<io::File> file;
    try {
        file = object::Pointer<io::File>::adopt(fileFactory->open(path, io::File::Read));
    } catch (...) {
        return false;
    }
    if (!file)
        return false;
    Face face(*file);
    if (!face.get())
        return false;
    fonts.emplace(FontInfo{path, nameOrEmpty(face.get()->style_name), nameOrEmpty(face.get()->family_name)});
    return true;
}

Font* FontFactory::createFont(const Descriptor& descriptor) {
    std::lock_guard guard(Library::getLock());
    types::String path;
    {
        if (fonts.isEmpty() || !fileFactory)
            throw NoMatchException();
        const types::String family = descriptor.family.toLowerCase();
        const types::String style = descriptor.style.toLowerCase();
        int32_t best = 0;
        uint32_t chosen = 0;
        for (uint32_t i = 0; i < fonts.getCount(); ++i) {
            const int32_t score = (fonts[i].family == family ? 100 : 0) + (fonts[i].style == style ? 50 : 0);
            if (score >= best) {
                best = score;
                chosen = i;
            }
        }
        path = fonts[chosen].path;
    }

    object::Pointer<io::File> file;
    try {
        file = object::Pointer<io::File>::adopt(fileFactory->open(path, io::File::Read));
    } catch (const object::Exception&) {
    }
    if (!file)
        throw FormatException();
    Font* font = build(*file, descriptor);
    if (!font)
        throw FormatException();
    return font;
}

Font* FontFactory::build(io::File& file, const Descriptor& wanted) {
    std::lock_guard guard(Library::getLock());
    Face opened(file);
    const FT_Face face = opened.get();
    if (!face)
        throw FreetypeException();

    Descriptor descriptor = wanted;
    descriptor.family = face->family_name ? face->family_name : "";
    descriptor.style = face->style_name ? face->style_name : "";
    if (!selectCharacterMap(face, descriptor.encoding))
        descriptor.encoding = 0;
    FT_Set_Pixel_Sizes(face, pixelSize(descriptor.size.width), pixelSize(descriptor.size.height));

    // Cells in order of first appearance of each glyph index; codes that share an index share a cell.
    std::map<FT_UInt, int32_t> cells;
    int32_t cellOf[256];
    for (uint32_t code = 0; code < 256; ++code) {
        const FT_UInt index = FT_Get_Char_Index(face, code);
        cellOf[code] = cells.try_emplace(index, int32_t(cells.size())).first->second;
    }
    FT_Pos widest = 0;
    FT_Pos tallest = 0;
    for (const auto& [index, cell] : cells) {
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0) {
            widest = std::max(widest, face->glyph->metrics.width);
            tallest = std::max(tallest, face->glyph->metrics.height);
        }
    }

    // Cells hold the largest glyph rounded up to whole pixels plus one pixel of spacing.
    const int64_t cellWidth = (int64_t(widest) + 63) / 64 + 1;
    const int64_t cellHeight = (int64_t(tallest) + 63) / 64 + 1;
    const int64_t cellCount = int64_t(cells.size());
    const int64_t width = GridColumns * cellWidth;
    const int64_t height = cellHeight * ((cellCount + GridColumns - 1) / GridColumns);
    if (width > MaximumAtlasSide || height > MaximumAtlasSide || width * height > MaximumAtlasBytes)
        return nullptr;

    auto font = object::Pointer<Font>::adopt(new Font(descriptor, int32_t(width), int32_t(height)));
    unsigned char* pixels = static_cast<unsigned char*>(font->image.lock());
    const int32_t pitch = font->image.getPitch();

    std::vector<Rendered> rendered(cells.size());
    for (const auto& [index, cell] : cells) {
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0 ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        // A bitmap larger than its metrics promised is cut to the cell rather than spill into its
        // neighbours.
        const int32_t bitmapWidth = int32_t(std::min<int64_t>(slot->bitmap.width, cellWidth));
        const int32_t bitmapRows = int32_t(std::min<int64_t>(slot->bitmap.rows, cellHeight));
        const int64_t x = (cell % GridColumns) * cellWidth;
        const int64_t y = (cell / GridColumns) * cellHeight;
        if (!copyBitmap(slot->bitmap, pixels + y * pitch + x, pitch, bitmapWidth, bitmapRows))
            continue;
        Rendered& glyph = rendered[size_t(cell)];
        glyph.valid = true;
        glyph.width = bitmapWidth;
        glyph.rows = bitmapRows;
        glyph.advance[0] = float(slot->metrics.horiAdvance) / 64.0f;
        glyph.advance[1] = float(slot->metrics.vertAdvance) / 64.0f;
        glyph.bearing[0] = float(slot->metrics.horiBearingX) / 64.0f;
        glyph.bearing[1] = float(slot->metrics.horiBearingY) / 64.0f;
    }

    for (uint32_t code = 0; code < 256; ++code) {
        const int32_t cell = cellOf[code];
        const Rendered& glyph = rendered[size_t(cell)];
        if (!glyph.valid)
            continue;
        Font::Glyph& record = font->glyphs[code];
        record.x = int32_t((cell % GridColumns) * cellWidth);
        record.y = int32_t((cell / GridColumns) * cellHeight);
        record.width = glyph.width;
        record.rows = glyph.rows;
        std::copy_n(glyph.advance, 2, record.advance);
        std::copy_n(glyph.bearing, 2, record.bearing);
    }

    Font* result = font.get();
    result->addReference();
    return result;
}

} // namespace korvane::freetype
