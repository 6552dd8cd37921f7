#include "freetype/Library.h"

#include FT_MODULE_H
#include FT_SYSTEM_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace korvane::freetype {

namespace {

// FreeType allocates what a font file declares: a hostile file asked for 3 GB in one block. No font this
// framework draws needs a block anywhere near this size, so larger requests fail, and FreeType reports
// the font as out of memory instead of the process taking the memory.
constexpr long LargestBlock = 64l << 20;

void* allocate(FT_Memory, long size) {
    if (size <= 0 || size > LargestBlock)
        return nullptr;
    return std::malloc(size_t(size));
}

void release(FT_Memory, void* block) {
    std::free(block);
}

void* reallocate(FT_Memory, long, long size, void* block) {
    if (size <= 0 || size > LargestBlock)
        return nullptr;
    return std::realloc(block, size_t(size));
}

class Handle {
public:
    Handle() {
        if (FT_New_Library(&memory, &library) != 0) {
            library = nullptr;
            return;
        }
        FT_Add_Default_Modules(library);
        FT_Set_Default_Properties(library);
    }
    ~Handle() {
        if (library)
            FT_Done_Library(library);
    }
    FT_MemoryRec_ memory{nullptr, allocate, release, reallocate};
    FT_Library library = nullptr;
};

// Reads count bytes at offset; a count of 0 is a seek, for which FreeType wants 0 on success. Nothing
// may escape into FreeType: every failure is a short read.
unsigned long readStream(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
    auto* file = static_cast<io::File*>(stream->descriptor.pointer);
    const unsigned long failed = count == 0 ? 1 : 0;
    if (offset > stream->size)
        return failed;
    try {
        file->seek(int64_t(offset), io::File::Begin);
        if (count == 0)
            return 0;
        if (!(file->getMode() & io::File::Read))
            return 0;
        // A file may hand out fewer bytes than asked for (and -1 at its end): keep reading until the
        // count is reached or nothing more comes.
        unsigned long done = 0;
        while (done < count) {
            const uint32_t chunk = uint32_t(std::min<unsigned long>(count - done, 1ul << 30));
            const int32_t got = file->read(buffer + done, chunk);
            if (got <= 0)
                break;
            done += static_cast<unsigned long>(got);
        }
        return done;
    } catch (...) {
        return failed;
    }
}

void closeStream(FT_Stream) {}

} // namespace

FT_Library Library::get() {
    static Handle handle;
    return handle.library;
}

system::Mutex& Library::getLock() {
    static system::Mutex lock;
    return lock;
}

Face::Face(io::File& file) {
    FT_Library library = Library::get();
    if (!library)
        return;
    int64_t size = 0;
    try {
        size = file.getSize();
    } catch (...) {
        // Pipes and devices have no size: nothing to read a face from.
        return;
    }
    if (size <= 0)
        return;
    stream.size = static_cast<unsigned long>(size);
    stream.descriptor.pointer = &file;
    stream.read = &readStream;
    stream.close = &closeStream;
    FT_Open_Args arguments{};
    arguments.flags = FT_OPEN_STREAM;
    arguments.stream = &stream;
    if (FT_Open_Face(library, &arguments, 0, &face) != 0)
        face = nullptr;
}

Face::~Face() {
    if (face)
        FT_Done_Face(face);
}

} // namespace korvane::freetype
