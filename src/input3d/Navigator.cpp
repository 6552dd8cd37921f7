#include "input3d/Navigator.h"

namespace korvane::input3d {

void Navigator::setController(Controller* newController) {
    controller = newController;
}

void Navigator::update(float dt) {
    if (!controller)
        return;
    // Hold the chain for the whole walk: a step may reach code that changes it.
    object::Pointer<Controller> first = controller;
    first->step(1.0f);
    math::Matrix combined = first->getTransform();
    for (object::Pointer<Controller> link = first->getParent(); link; link = link->getParent()) {
        link->step(dt);
        combined = combined * link->getTransform();
    }
    matrix = combined;
}

types::String Navigator::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Navigator");
}

} // namespace korvane::input3d
