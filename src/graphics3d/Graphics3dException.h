#pragma once

#include "object/Exception.h"

namespace korvane::graphics3d {

/// Base of the rendering layer's failures; each subclass names one kind, its message the details.
KORVANE_EXCEPTION(Graphics3dException, object::Exception);
KORVANE_EXCEPTION(TextureException, Graphics3dException);
KORVANE_EXCEPTION(TypeException, Graphics3dException);
/// The driver lacks what the operation needs (frame-buffer objects, shaders).
KORVANE_EXCEPTION(UnsupportedFeatureException, Graphics3dException);
KORVANE_EXCEPTION(UnsupportedFormatException, Graphics3dException);
KORVANE_EXCEPTION(InvalidModeException, Graphics3dException);
KORVANE_EXCEPTION(InvalidOperationException, Graphics3dException);
/// A shader did not compile; the message carries the driver's log.
KORVANE_EXCEPTION(ShaderCompilerException, Graphics3dException);
/// A program did not link; the message carries the linker's log when it gave one.
KORVANE_EXCEPTION(ShaderLinkerException, Graphics3dException);
KORVANE_EXCEPTION(MemoryException, Graphics3dException);
KORVANE_EXCEPTION(FrameBufferException, Graphics3dException);

} // namespace korvane::graphics3d
