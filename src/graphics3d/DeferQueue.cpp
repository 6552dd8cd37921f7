#include "graphics3d/DeferQueue.h"

namespace korvane::graphics3d {

types::String DeferQueue::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":DeferQueue");
}

} // namespace korvane::graphics3d
