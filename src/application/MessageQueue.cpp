#include "application/MessageQueue.h"

namespace korvane::application {

MessageQueue::~MessageQueue() {
    while (Message* message = queue.popFront())
        message->release();
}

// Linking counts a reference; the caller's reference is the one the queue keeps.
bool MessageQueue::pushBack(Message* message) {
    if (!queue.pushBack(message))
        return false;
    --message->references;
    return true;
}

bool MessageQueue::pushFront(Message* message) {
    if (!queue.pushFront(message))
        return false;
    --message->references;
    return true;
}

Message* MessageQueue::popFront() {
    return queue.popFront();
}

types::String MessageQueue::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":MessageQueue");
}

} // namespace korvane::application
