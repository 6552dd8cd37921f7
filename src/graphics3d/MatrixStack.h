#pragma once

#include <cstdint>

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::graphics3d {

// Remembers the GL matrix mode last selected through it, so that repeated selections cost nothing. A mode
// is GL_MODELVIEW, GL_PROJECTION or GL_TEXTURE0 + i for the texture matrix of unit i. Code that changes the
// matrix mode behind the stack's back must restore it.
class MatrixStack : public object::Object, public object::Noncopyable {
public:
    MatrixStack() = default;

    types::String getClassPath() const override;

    // Selects the mode unconditionally.
    void select(uint32_t newMode);
    // Selects the mode only when it differs from the one recorded.
    void setMode(uint32_t newMode) {
        if (newMode != mode)
            select(newMode);
    }
    uint32_t getMode() const { return mode; }

private:
    uint32_t mode = 0; // none known yet
};

} // namespace korvane::graphics3d
