#include "input3d/Controller.h"

#include <utility>

#include "input3d/TransformConstraint.h"

namespace korvane::input3d {

Controller::~Controller() {
    // Letting go of the parent may destroy it, and it its own parent, one nested destructor per link:
    // unlink the links that only this chain holds one at a time instead, so that a long chain cannot
    // exhaust the stack.
    object::Pointer<Controller> link = std::move(parent);
    while (link && link->getReferenceCount() == 1) {
        object::Pointer<Controller> next = std::move(link->parent);
        link = std::move(next);
    }
}

void Controller::reset() {}

void Controller::update(float) {}

void Controller::sync() {}

void Controller::step(float dt) {
    update(dt);
    if (constraint && constraint->apply(transform))
        sync();
}

bool Controller::setParent(Controller* newParent) {
    for (Controller* link = newParent; link; link = link->getParent())
        if (link == this)
            return false;
    parent = newParent;
    return true;
}

void Controller::setConstraint(TransformConstraint* newConstraint) {
    constraint = newConstraint;
}

types::String Controller::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Controller");
}

} // namespace korvane::input3d
