#include "object/Object.h"

#include "object/Class.h"

namespace korvane::object {

types::String Object::getName() const {
    return Class(*this).getName();
}

types::String Object::toString() const {
    return Class(*this).toString();
}

types::String Object::getClassPath() const {
    return types::String("Object");
}

} // namespace korvane::object
