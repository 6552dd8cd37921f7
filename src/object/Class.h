#pragma once

#include "object/Object.h"

namespace korvane::object {

/// Run-time class descriptor: the class path of the object it was built from.
class Class : public Object {
public:
    explicit Class(const Object& object) : name(object.getClassPath()) {}

    types::String getName() const override { return name; }
    types::String toString() const override { return name; }
    types::String getClassPath() const override;

private:
    types::String name;
};

} // namespace korvane::object
