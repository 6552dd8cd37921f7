#pragma once

#include "container/Allocator.h"
#include "container/Array.h"
#include "container/Pair.h"
#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::graphics3d {

class Context;
class Mesh;

/// A mesh whose drawing is put off, pooled by the queue.
struct DeferedMesh {
    Mesh* mesh = nullptr;
};

/// Holder for meshes whose drawing is put off and issued later in the order of a float key. Every rendering
/// context embeds one; no drawing path defers a mesh yet, so the queue stays empty and owns no memory until
/// something is queued.
class DeferQueue : public object::Object, public object::Noncopyable {
public:
    using Entry = container::Pair<DeferedMesh*, float>;

    explicit DeferQueue(Context* context) : context(context) {}

    types::String getClassPath() const override;

    Context* getContext() const { return context; }
    const container::Allocator<DeferedMesh, 64>& getAllocator() const { return allocator; }
    const container::Array<Entry>& getEntries() const { return entries; }

private:
    Context* context;
    // Declared before the entries so that the entries go first on destruction.
    container::Allocator<DeferedMesh, 64> allocator;
    container::Array<Entry> entries;
};

} // namespace korvane::graphics3d
