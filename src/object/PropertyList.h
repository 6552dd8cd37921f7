#pragma once

#include "container/Array.h"
#include "object/Object.h"

namespace korvane::object {

/// One entry of a PropertyList; it carries nothing yet.
struct Property {};

/// A list of properties attached to loaded data (images); created empty.
class PropertyList : public Object {
public:
    container::Array<Property>& getProperties() { return properties; }
    const container::Array<Property>& getProperties() const { return properties; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":PropertyList");
    }

private:
    container::Array<Property> properties;
};

} // namespace korvane::object
