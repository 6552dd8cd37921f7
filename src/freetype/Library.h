#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include "io/File.h"
#include "system/Mutex.h"

namespace korvane::freetype {

/// The process-wide FreeType library and the lock that every use of FreeType holds. The library is made
/// on first use and released at process exit; it is null when FreeType could not be initialised.
/// Any thread may take the lock; hold it for every FreeType call.
class Library {
public:
    static FT_Library get();
    static system::Mutex& getLock();
};

/// A face opened on a File through a FreeType stream. The file must stay open, and the caller must hold
/// the FreeType lock, for the life of the face.
class Face {
public:
    explicit Face(io::File& file);
    ~Face();
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    /// Null when FreeType did not recognise the file.
    FT_Face get() const { return face; }

private:
    FT_StreamRec stream{};
    FT_Face face = nullptr;
};

} // namespace korvane::freetype
