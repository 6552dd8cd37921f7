#include "input3d/Controller.h"

#include "input3d/TransformConstraint.h"

namespace korvane::input3d {

Controller::~Controller() = default;

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
