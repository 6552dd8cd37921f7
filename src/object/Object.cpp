#include "object/Object.h"

#include "object/Class.h"

namespace korvane::object {

namespace {
thread_local Object::KeepAlive* keptAlive = nullptr;
}

Object::KeepAlive::KeepAlive(const Object* object) : object(object), outer(keptAlive) {
    keptAlive = this;
}

Object::KeepAlive::~KeepAlive() {
    keptAlive = outer;
}

void Object::destroy() const {
    for (KeepAlive* keep = keptAlive; keep; keep = keep->outer) {
        if (keep->object == this) {
            keep->lastReleased = true;
            return;
        }
    }
    delete this;
}

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
