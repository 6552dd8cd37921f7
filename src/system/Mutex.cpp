#include "system/Mutex.h"

namespace korvane::system {

types::String Mutex::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Mutex");
}

} // namespace korvane::system
