// Feeds arbitrary bytes to the font factory as the only file of a directory held in memory: the factory
// catalogues it and, when FreeType takes it for a font, builds the font at 24 pixels. Besides the
// sanitizers' checks, every glyph record must lie inside the atlas.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "freetype/FontFactory.h"
#include "freetype/FreetypeException.h"
#include "io/IOException.h"
#include "object/Pointer.h"

namespace {

using korvane::io::File;
using korvane::types::String;

// The bytes of one fuzz input as a read-only file.
class MemoryFile : public File {
public:
    MemoryFile(const uint8_t* data, size_t size) : File(Read), data(data), size(int64_t(size)) {}
    int32_t write(const void*, uint32_t) override { return 0; }
    int32_t read(void* buffer, uint32_t count) override {
        if (count == 0)
            return 0;
        if (position >= size)
            return -1;
        const int64_t n = count < size - position ? int64_t(count) : size - position;
        std::memcpy(buffer, data + position, size_t(n));
        position += n;
        return int32_t(n);
    }
    int64_t seek(int64_t distance, int32_t mode) override {
        const int64_t base = mode == Begin ? 0 : mode == Current ? position : size;
        if (base + distance < 0)
            throw korvane::io::FileSeekException();
        return position = base + distance;
    }
    int64_t getPosition() override { return position; }
    bool rewind() override { return (position = 0) == 0; }
    bool flush() override { return true; }
    int64_t getSize() override { return size; }
    int64_t setSize(int64_t) override { return size; }

private:
    const uint8_t* data;
    int64_t size;
    int64_t position = 0;
};

class MemoryDirectory : public korvane::io::Directory {
public:
    explicit MemoryDirectory(size_t size) {
        entries.append(korvane::io::FileInfo("input.ttf", size, 0, 0, 0, korvane::io::FileInfo::Readable));
    }
    void refresh() override {}
    void setPath(const String&) override {}
    const Entries& getEntries() const override { return entries; }

private:
    Entries entries;
};

// A directory of one file, the fuzz input.
class MemoryFileFactory : public korvane::io::FileFactory {
public:
    MemoryFileFactory(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool exists(const String& name) override { return name == "input.ttf"; }
    File* create(const String&) override { throw korvane::io::FileOpenException(); }
    File* open(const String& name, uint32_t) override {
        if (!(name == "input.ttf"))
            throw korvane::io::FileNotFoundException();
        return new MemoryFile(data, size);
    }
    korvane::io::Directory* openDirectory() override { return new MemoryDirectory(size); }

private:
    const uint8_t* data;
    size_t size;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    auto files = object::Pointer<MemoryFileFactory>::adopt(new MemoryFileFactory(data, size));
    auto factory = object::Pointer<freetype::FontFactory>::adopt(new freetype::FontFactory(files.get()));
    if (factory->getFonts().isEmpty())
        return 0;
    object::Pointer<freetype::Font> font;
    try {
        font = object::Pointer<freetype::Font>::adopt(factory->createFont(freetype::Descriptor("", 24, 24)));
    } catch (const freetype::FreetypeException&) {
        return 0;
    }
    const int32_t width = font->getImage().getWidth();
    const int32_t height = font->getImage().getHeight();
    for (uint32_t code = 0; code < 256; ++code) {
        const freetype::Font::Glyph& glyph = font->getGlyph(uint8_t(code));
        if (glyph.x < 0 || glyph.y < 0 || glyph.width < 0 || glyph.rows < 0 ||
            glyph.x + glyph.width > width || glyph.y + glyph.rows > height)
            std::abort();
    }
    return 0;
}
