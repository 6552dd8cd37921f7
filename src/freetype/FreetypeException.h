#pragma once

#include "object/Exception.h"

namespace korvane::freetype {

/// Base of the font layer's failures.
KORVANE_EXCEPTION(FreetypeException, object::Exception);
/// No font file to choose from.
KORVANE_EXCEPTION(NoMatchException, FreetypeException);
/// A font file that cannot be opened or built.
KORVANE_EXCEPTION(FormatException, FreetypeException);

} // namespace korvane::freetype
