#pragma once

#include <cstdint>

#include "object/Noncopyable.h"
#include "object/Object.h"
#include "types/Rectangle.h"

namespace korvane::graphics3d {

/// A per-context record reserved for driver limits. The layer learns what it may use from the entry points
/// GLEW loaded (a null pointer means the feature is missing), so nothing fills or reads these sizes yet.
class Capabilities : public object::Object, public object::Noncopyable {
public:
    using Size = types::Size<int32_t>;

    Capabilities() = default;

    Size firstSize;
    Size secondSize;
};

} // namespace korvane::graphics3d
