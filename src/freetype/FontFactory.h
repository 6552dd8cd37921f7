#pragma once

#include "container/Array.h"
#include "freetype/Descriptor.h"
#include "freetype/Font.h"
#include "io/FileFactory.h"
#include "object/Noncopyable.h"

namespace korvane::freetype {

/// A catalogue of the font files of a directory (through a FileFactory) that builds Fonts for
/// Descriptors. Every file of the directory is offered to FreeType once, when the factory is given its file
/// factory; files FreeType does not recognise (anything that is not a font, empty or truncated files,
/// pipes) are left out.
/// Every use of FreeType holds the library's lock, so createFont() may be called from any thread while
/// no thread changes the catalogue (setFileFactory(), addFont()).
class FontFactory : public object::Object, private object::Noncopyable {
public:
    /// One font file: its name for the file factory, and the face's style and family in lower case.
    struct FontInfo {
        types::String path;
        types::String style;
        types::String family;
    };

    /// Catalogues the working directory.
    FontFactory();
    /// Catalogues the directory of the given file factory (adding a reference to it).
    explicit FontFactory(io::FileFactory* factory);
    ~FontFactory() override;

    /// Takes a reference to the factory, releases the previous one, empties the catalogue and offers every
    /// entry of the factory's directory that is not a directory to addFont, in listing order. A directory
    /// that cannot be listed leaves the catalogue empty.
    void setFileFactory(io::FileFactory* factory);
    io::FileFactory* getFileFactory() const { return fileFactory; }

    /// Adds the file to the catalogue when FreeType can open a face from it; false (and nothing added)
    /// otherwise.
    bool addFont(const types::String& path);

    /// Builds the font of the catalogue entry that matches the descriptor best: 100 for the family, 50 for
    /// the style, the later entry winning ties, so that with no match at all the last entry is used. The
    /// new font carries the caller's reference. Throws NoMatchException for an empty catalogue,
    /// FormatException when the file cannot be opened or built again, FreetypeException when FreeType no
    /// longer recognises it.
    Font* createFont(const Descriptor& descriptor);

    /// The catalogue, in order of discovery. Not to be read while another thread changes it.
    const container::Array<FontInfo>& getFonts() const { return fonts; }

    types::String getClassPath() const override;

private:
    // The largest atlas a font may have, in pixels per side and in bytes.
    static constexpr int32_t MaximumAtlasSide = 16384;
    static constexpr int64_t MaximumAtlasBytes = 16 << 20;

    Font* build(io::File& file, const Descriptor& descriptor);

    io::FileFactory* fileFactory = nullptr;
    container::Array<FontInfo> fonts;
};

} // namespace korvane::freetype
