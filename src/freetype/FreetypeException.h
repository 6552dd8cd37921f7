#pragma once

#include "object/Exception.h"

namespace korvane::freetype {

KORVANE_EXCEPTION(FreetypeException, object::Exception);
KORVANE_EXCEPTION(NoMatchException, FreetypeException);
KORVANE_EXCEPTION(FormatException, FreetypeException);

} // namespace korvane::freetype
