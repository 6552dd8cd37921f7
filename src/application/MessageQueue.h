#pragma once

#include "application/Message.h"
#include "container/Queue.h"
#include "object/Object.h"

namespace korvane::application {

/// A queue of messages linked through their own fields. Pushing hands the caller's reference to the
/// queue and popFront() hands it back, so a message that is popped, handled and released returns to its
/// pool; messages still queued are released when the queue is destroyed. Not locked: the owner guards it.
class MessageQueue : public object::Object {
public:
    MessageQueue() = default;
    ~MessageQueue() override;

    bool pushBack(Message* message);
    bool pushFront(Message* message);
    Message* popFront();

    uint32_t getCount() const { return queue.getCount(); }
    bool isEmpty() const { return queue.isEmpty(); }

    types::String getClassPath() const override;

private:
    container::Queue<Message> queue;
};

} // namespace korvane::application
