#include "graphics3d/Shader.h"

namespace korvane::graphics3d {

types::String Shader::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Shader");
}

} // namespace korvane::graphics3d
