// The process's threads and open files, as Linux lists them under /proc.
#include <filesystem>

#include "support/gui/GuiTesting.h"

namespace korvane::gui::testing {

namespace {
size_t entriesOf(const char* directory) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory))
        ++count;
    return count;
}
} // namespace

size_t threadsOfProcess() {
    return entriesOf("/proc/self/task");
}

size_t filesOfProcess() {
    return entriesOf("/proc/self/fd");
}

} // namespace korvane::gui::testing
