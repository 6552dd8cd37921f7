#pragma once

#include "object/Noncopyable.h"
#include "object/Object.h"
#include "types/String.h"

namespace korvane::graphics3d {

// Base of every GPU-side and render-state object of the rendering layer: an object with a display name.
// A resource never holds a rendering context; subclasses that own GL objects delete them themselves,
// which requires their GL context to be current on the destroying thread.
class Resource : public object::Object, public object::Nonassignable {
public:
    Resource() = default;
    ~Resource() override = default;

    types::String getName() const override { return name; }
    types::String getClassPath() const override;

    void setName(const types::String& newName) { name = newName; }

protected:
    types::String name;
};

} // namespace korvane::graphics3d
