#pragma once

#include <atomic>

#include "application/Message.h"
#include "container/Chain.h"
#include "object/Object.h"

namespace korvane::application {

class Messenger;

/// Anything that receives messages. A handler attached to a messenger receives its messages on the
/// messenger's thread.
/// Attaching a handler gives its messenger a counted reference; detaching or the messenger's end gives it
/// back.
class Handler : public object::Object, public container::Chainable<Handler> {
public:
    Handler() = default;
    /// Leaves the messenger it is attached to.
    ~Handler() override;

    virtual bool handleMessage(Message* message);

    Messenger* getMessenger() const { return messenger.load(std::memory_order_acquire); }

    types::String getClassPath() const override;

private:
    friend class Messenger;

    std::atomic<Messenger*> messenger{nullptr};
};

} // namespace korvane::application
