#include "object/Class.h"

namespace korvane::object {

types::String Class::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Class");
}

} // namespace korvane::object
