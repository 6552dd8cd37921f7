#include "graphics3d/Resource.h"

namespace korvane::graphics3d {

types::String Resource::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Resource");
}

} // namespace korvane::graphics3d
