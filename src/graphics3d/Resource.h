#pragma once

#include "object/Noncopyable.h"
#include "object/Object.h"
#include "types/String.h"

namespace korvane::graphics3d {

/// Base of every GPU-side and render-state object of the rendering layer: an object with a display name.
/// Subclasses that own GL objects keep a reference to the rendering context they made them in and delete
/// them there (Context::Scope), whichever context is current when they go.
/// Resources are used on the thread whose GL context is current (an OpenGL view's window thread, inside
/// render()). Creators return a new object (count 1) that the caller releases; the last release may come
/// on another thread, where the deletion is deferred to the owning context's thread.
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
