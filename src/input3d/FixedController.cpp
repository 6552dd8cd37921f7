#include "input3d/FixedController.h"

namespace korvane::input3d {

void FixedController::update(float) {
    transform = stored;
}

types::String FixedController::getClassPath() const {
    return types::String::concat(Controller::getClassPath(), ":FixedController");
}

} // namespace korvane::input3d
