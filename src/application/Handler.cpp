#include "application/Handler.h"

#include "application/Messenger.h"

namespace korvane::application {

Handler::~Handler() {
    if (Messenger* attached = getMessenger())
        attached->removeHandler(this);
}

bool Handler::handleMessage(Message*) {
    return true;
}

types::String Handler::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Handler");
}

} // namespace korvane::application
