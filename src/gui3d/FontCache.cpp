#include "gui3d/FontCache.h"

namespace korvane::gui3d {

FontMap* FontCache::getFontMap(const freetype::Font* font) {
    if (auto* node = maps.find(font))
        return node->value;
    FontMap* map = FontMap::create(font);
    maps.insert(font, map);
    if (!map && font)
        failed.emplace(font);
    return map;
}

void FontCache::clear() {
    for (auto& node : maps) {
        if (node.value)
            node.value->release();
        node.value = nullptr;
    }
    maps.clear();
    failed.clear();
}

types::String FontCache::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":FontCache");
}

} // namespace korvane::gui3d
