#include "application/Message.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "container/Allocator.h"
#include "system/Mutex.h"
#include "system/Thread.h"

namespace korvane::application {

namespace {

// The two process-wide pools and the lock that guards both. Never destroyed: records may still be
// released by threads that run while the process exits.
struct Pools {
    system::Mutex lock;
    container::Allocator<Message, 64> messages;
    container::Allocator<Message::Parameter, 64> parameters;
    uint32_t messagesInUse = 0;
    uint32_t messagesHighWater = 0;
    uint32_t parametersInUse = 0;
    uint32_t parametersHighWater = 0;
};

Pools& pools() {
    static Pools* const instance = [] {
        // The thread registry and the adopted main thread come before the pools.
        system::Thread::getCurrent();
        return new Pools;
    }();
    return *instance;
}

// Built by static initialisation, before the program's entry function runs.
[[maybe_unused]] Pools& builtAtStart = pools();

} // namespace

Message* Message::create(uint32_t what, Handler* target) {
    Pools& pool = pools();
    Message* record;
    {
        std::lock_guard guard(pool.lock);
        record = pool.messages.obtain();
        pool.messagesHighWater = std::max(pool.messagesHighWater, ++pool.messagesInUse);
    }
    return ::new (static_cast<void*>(record)) Message(what, target);
}

void Message::release() {
    if (references < 2)
        recycle();
    else
        --references;
}

void Message::recycle() {
    destroyParameters();
    if (queue)
        queue->remove(this);
    this->~Message();
    Pools& pool = pools();
    std::lock_guard guard(pool.lock);
    pool.messages.giveBack(this);
    --pool.messagesInUse;
}

Message::Parameter* Message::addParameter(const char* name, void* value) {
    Pools& pool = pools();
    Parameter* record;
    {
        std::lock_guard guard(pool.lock);
        record = pool.parameters.obtain();
        pool.parametersHighWater = std::max(pool.parametersHighWater, ++pool.parametersInUse);
    }
    auto* parameter = ::new (static_cast<void*>(record)) Parameter();
    if (name)
        std::memcpy(parameter->name, name, strnlen(name, Parameter::NameLength));
    parameter->value = value;
    parameters.append(parameter);
    return parameter;
}

Message::Parameter* Message::findParameter(const char* name) const {
    if (!name)
        return nullptr;
    for (Parameter* parameter : parameters) {
        if (std::strncmp(parameter->name, name, Parameter::NameLength) == 0)
            return parameter;
    }
    return nullptr;
}

void Message::destroyParameters() {
    if (parameters.isEmpty())
        return;
    Pools& pool = pools();
    while (Parameter* parameter = parameters.getFirst()) {
        parameters.remove(parameter);
        parameter->~Parameter();
        std::lock_guard guard(pool.lock);
        pool.parameters.giveBack(parameter);
        --pool.parametersInUse;
    }
}

Message::PoolStatistics Message::getPoolStatistics() {
    Pools& pool = pools();
    std::lock_guard guard(pool.lock);
    PoolStatistics statistics;
    statistics.messages = pool.messages.getTotal();
    statistics.messagesInUse = pool.messagesInUse;
    statistics.messagesHighWater = pool.messagesHighWater;
    statistics.parameters = pool.parameters.getTotal();
    statistics.parametersInUse = pool.parametersInUse;
    statistics.parametersHighWater = pool.parametersHighWater;
    return statistics;
}

} // namespace korvane::application
