#pragma once

#include <cstdint>

#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::graphics3d {

/// Remembers the GL matrix mode last selected through it, so that repeated selections cost nothing. A mode
/// is GL_MODELVIEW, GL_PROJECTION or GL_TEXTURE0 + i for the texture matrix of unit i. Which texture matrix
/// GL_TEXTURE addresses depends on the active texture unit, so the stack also keeps the active unit: the
/// layer changes units through selectTexture(), which keeps the recorded mode true. Code that changes the
/// matrix mode or the active unit behind the stack's back must restore them, or call forget().
class MatrixStack : public object::Object, public object::Noncopyable {
public:
    MatrixStack() = default;

    types::String getClassPath() const override;

    /// Selects the mode unconditionally.
    void select(uint32_t newMode);
    /// Selects the mode only when it differs from the one recorded.
    void setMode(uint32_t newMode) {
        if (newMode != mode)
            select(newMode);
    }
    uint32_t getMode() const { return mode; }

    /// Makes GL_TEXTURE0 + i the active texture unit. With a texture mode recorded, the texture matrix now
    /// addressed is that of the new unit, and the record says so.
    void selectTexture(uint32_t unit);
    /// The active texture unit last selected through the stack, 0 when none is known.
    uint32_t getActiveTexture() const { return activeTexture; }

    /// Drops what the stack knows, so that the next selections are made whatever they are.
    void forget() {
        mode = 0;
        activeTexture = 0;
    }

private:
    static bool isTextureMode(uint32_t value) { return value != 0 && value != 0x1700 && value != 0x1701; }

    uint32_t mode = 0;          // none known yet
    uint32_t activeTexture = 0; // none known yet
};

} // namespace korvane::graphics3d
