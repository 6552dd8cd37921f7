#pragma once

#include <cstdint>

#include "container/Chain.h"
#include "container/Queue.h"

namespace korvane::application {

class Handler;

/// Message codes of the framework.
///@{
constexpr uint32_t MessageQuit = 0x80000001;
constexpr uint32_t MessageWindowCreate = 0x70000001;
constexpr uint32_t MessageWindowDestroy = 0x70000002;
constexpr uint32_t MessageViewPaint = 0x70000003;
constexpr uint32_t MessageViewFrame = 0x70000004;
///@}

/// A message record: a code, the handler it is for and optional named parameters. Records come from a
/// process-wide pool (create) and go back to it (release, recycle); a message may also live on the stack.
/// The pools are locked: records may be created and released on any thread. A posted or sent message
/// belongs to its route, which returns it to the pool once the handler has run: a handler must not keep it.
struct Message {
    /// A named value attached to a message; records come from a pool of their own.
    struct Parameter : container::Chainable<Parameter> {
        static constexpr uint32_t NameLength = 48;

        /// The name, zero-terminated unless it fills all 48 characters.
        char name[NameLength] = {};
        void* value = nullptr;
    };

    /// Occupancy of the two pools: records in all blocks, records handed out now, and the most ever
    /// handed out at once.
    struct PoolStatistics {
        uint32_t messages = 0;
        uint32_t messagesInUse = 0;
        uint32_t messagesHighWater = 0;
        uint32_t parameters = 0;
        uint32_t parametersInUse = 0;
        uint32_t parametersHighWater = 0;
    };

    Message(uint32_t what, Handler* target) : what(what), target(target) {}
    ~Message() { destroyParameters(); }
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

    /// A new pooled message with one reference.
    static Message* create(uint32_t what, Handler* target);

    /// Drops one reference; the last one unlinks the message from its queue, gives its parameters back
    /// and returns the record to the pool.
    void release();
    /// Returns the record to the pool whatever its reference count (its single owner is done with it).
    void recycle();

    /// Appends a parameter; the name is cut after 48 characters.
    Parameter* addParameter(const char* name, void* value);
    /// The first parameter whose name equals the given one over at most 48 characters, or null.
    Parameter* findParameter(const char* name) const;
    void destroyParameters();

    static PoolStatistics getPoolStatistics();

    /// Links of the message queue that holds the message.
    container::Queue<Message>* queue = nullptr;
    Message* next = nullptr;
    Message* previous = nullptr;

    uint32_t what;
    int32_t references = 1;
    container::Chain<Parameter> parameters;
    Handler* target;
};

} // namespace korvane::application
