#pragma once

#include <string>

namespace korvane::demo::test {

// The built program's run directory (the program, its data files and font).
inline std::string runDirectory() {
    return KORVANE_RUN_DIR;
}

} // namespace korvane::demo::test
