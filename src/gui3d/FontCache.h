#pragma once

#include "container/Array.h"
#include "container/Map.h"
#include "gui3d/FontMap.h"
#include "object/Noncopyable.h"
#include "object/Pointer.h"

namespace korvane::gui3d {

/// One FontMap per Font, made on first request, so that every text drawn in a font shares one texture.
/// Fonts are told apart by identity. Use it on the thread of the GL context that draws the text.
class FontCache : public object::Object, private object::Noncopyable {
public:
    FontCache() = default;
    ~FontCache() override { clear(); }

    /// The font's map, made and kept on the first request; null when it cannot be made, which is
    /// remembered too. Borrowed: the cache keeps its reference.
    FontMap* getFontMap(const freetype::Font* font);
    /// Releases every map.
    void clear();
    uint32_t getCount() const { return maps.getCount(); }

    types::String getClassPath() const override;

private:
    container::Map<const freetype::Font*, FontMap*> maps;
    // Fonts whose map could not be made: held, so that no other font can take over their address (and
    // their remembered failure) while the cache lives.
    container::Array<object::Pointer<const freetype::Font>> failed;
};

} // namespace korvane::gui3d
