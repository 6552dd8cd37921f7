#pragma once

#include "container/Chain.h"
#include "object/Object.h"

namespace korvane::io {

/// Turns one object into a new one. Filters can be members of a chain and leave it when destroyed.
template <typename In, typename Out>
class Filter : public object::Object, public container::Chainable<Filter<In, Out>> {
public:
    /// A new object (count 1, owned by the caller), or null when the input cannot be handled.
    virtual Out* apply(In* source) = 0;

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Filter");
    }
};

} // namespace korvane::io
