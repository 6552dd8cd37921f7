#include "freetype/Descriptor.h"

namespace korvane::freetype {

types::String Descriptor::getName() const {
    types::String name = family;
    name.append(" ");
    name.append(style);
    return name;
}

types::String Descriptor::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Descriptor");
}

} // namespace korvane::freetype
