#pragma once

#include "object/Exception.h"

namespace korvane::io {

KORVANE_EXCEPTION(IOException, object::Exception);
KORVANE_EXCEPTION(FileNotFoundException, IOException);
KORVANE_EXCEPTION(FileExistsException, IOException);
KORVANE_EXCEPTION(DiskFullException, IOException);
KORVANE_EXCEPTION(FileWriteException, IOException);
KORVANE_EXCEPTION(FileReadException, IOException);
KORVANE_EXCEPTION(FileOpenException, IOException);
KORVANE_EXCEPTION(FileSeekException, IOException);
KORVANE_EXCEPTION(IllegalPositionModeException, FileSeekException);
KORVANE_EXCEPTION(DirectoryNotFoundException, IOException);
KORVANE_EXCEPTION(TranslatorException, IOException);
KORVANE_EXCEPTION(TranslatorFormatException, TranslatorException);

} // namespace korvane::io
