#pragma once

#include "graphics3d/GL.h"

namespace korvane::graphics3d {

/// Discards the errors that earlier, unrelated GL calls left pending, so that a check right after an
/// operation reports that operation's own error. The number of flags a driver keeps is small; the bound
/// only guards against a driver that keeps reporting without a current context.
inline void clearGLErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

inline bool hasGLError() {
    return glGetError() != GL_NO_ERROR;
}

} // namespace korvane::graphics3d
