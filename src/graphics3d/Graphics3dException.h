#pragma once

#include "object/Exception.h"

namespace korvane::graphics3d {

/// Base of the rendering layer's failures; each subclass names one kind, its message the details.
KORVANE_EXCEPTION(Graphics3dException, object::Exception);
/// A texture cannot be made or filled.
KORVANE_EXCEPTION(TextureException, Graphics3dException);
/// A pixel format or data type that the operation cannot take.
KORVANE_EXCEPTION(TypeException, Graphics3dException);
/// The driver lacks what the operation needs (frame-buffer objects, shaders).
KORVANE_EXCEPTION(UnsupportedFeatureException, Graphics3dException);
/// A format the driver refuses for the purpose asked (a render buffer, a surface to draw into).
KORVANE_EXCEPTION(UnsupportedFormatException, Graphics3dException);
/// A mode value the operation does not know.
KORVANE_EXCEPTION(InvalidModeException, Graphics3dException);
/// A call that cannot be made as asked: a missing argument, or GL refused the object.
KORVANE_EXCEPTION(InvalidOperationException, Graphics3dException);
/// A shader did not compile; the message carries the driver's log.
KORVANE_EXCEPTION(ShaderCompilerException, Graphics3dException);
/// A program did not link; the message carries the linker's log when it gave one.
KORVANE_EXCEPTION(ShaderLinkerException, Graphics3dException);
/// GL could not make an object or its storage.
KORVANE_EXCEPTION(MemoryException, Graphics3dException);
/// GL reported an error while a frame buffer was being put together.
KORVANE_EXCEPTION(FrameBufferException, Graphics3dException);

} // namespace korvane::graphics3d
