#pragma once

#include "freetype/FontFactory.h"
#include "object/Pointer.h"
#include "types/String.h"

namespace korvane::demo {

// Where the program finds its files. It looks in the working directory first; an installed program (one
// with a data folder at <program folder>/../share/korvane/data) also looks there, so that it runs from any
// working directory and from a relocated tree.

// The installed data folder, or an empty text when the program does not run from an installed tree.
types::String installedDataFolder();

// The path to open for a data file named relative to the working directory ("data/cubeshader.vp"): the
// name itself when anything of that name is there; else the file in the installed data folder when it is
// there; else the name itself, so that a file found nowhere is reported by the name the user knows.
types::String findDataFile(const char* name);

// The label's font factory: the working directory's fonts. An installed program whose working directory
// holds none takes a DejaVu font from its data folder, then from the system's DejaVu folder (Linux).
object::Pointer<freetype::FontFactory> createFontFactory();

} // namespace korvane::demo
