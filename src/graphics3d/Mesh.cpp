#include "graphics3d/Mesh.h"

namespace korvane::graphics3d {

types::String Mesh::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Mesh");
}

} // namespace korvane::graphics3d
