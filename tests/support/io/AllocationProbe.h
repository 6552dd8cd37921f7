#pragma once

#include <cstddef>

namespace korvane::test {

// Watches the sizes given to operator new while alive and reports the largest.
class AllocationProbe {
public:
    AllocationProbe();
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    size_t getLargest() const;
};

} // namespace korvane::test
