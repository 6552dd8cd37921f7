#include "gui/Context.h"

namespace korvane::gui {

Context::~Context() {
    clear();
}

types::String Context::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Context");
}

} // namespace korvane::gui
