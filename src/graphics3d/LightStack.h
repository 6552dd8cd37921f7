#pragma once

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::graphics3d {

class Light;

/// The light last applied to each of the eight fixed-function lights (GL_LIGHT0 + i). Slots are written by
/// the scene code and do not hold references; a light clears its own slots when it is destroyed.
class LightStack : public object::Object, public object::Noncopyable {
public:
    static constexpr int Slots = 8;

    LightStack() = default;

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":LightStack");
    }

    Light* lights[Slots] = {};
};

} // namespace korvane::graphics3d
