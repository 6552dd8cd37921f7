#pragma once

#include "object/Exception.h"

namespace korvane::graphics3d {

KORVANE_EXCEPTION(Graphics3dException, object::Exception);
KORVANE_EXCEPTION(TextureException, Graphics3dException);
KORVANE_EXCEPTION(TypeException, Graphics3dException);
KORVANE_EXCEPTION(UnsupportedFeatureException, Graphics3dException);
KORVANE_EXCEPTION(UnsupportedFormatException, Graphics3dException);
KORVANE_EXCEPTION(InvalidModeException, Graphics3dException);
KORVANE_EXCEPTION(InvalidOperationException, Graphics3dException);
KORVANE_EXCEPTION(ShaderCompilerException, Graphics3dException);
KORVANE_EXCEPTION(ShaderLinkerException, Graphics3dException);
KORVANE_EXCEPTION(MemoryException, Graphics3dException);
KORVANE_EXCEPTION(FrameBufferException, Graphics3dException);

} // namespace korvane::graphics3d
