#pragma once

#include "container/Array.h"
#include "object/Object.h"

namespace korvane::graphics3d {

class Constant;

/// The shader constants a shader sets when it is bound. No shader of the system defines any, so every list
/// stays empty.
class ConstantList : public object::Object {
public:
    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":ConstantList");
    }

    uint32_t getCount() const { return constants.getCount(); }

private:
    container::Array<Constant*> constants;
};

} // namespace korvane::graphics3d
