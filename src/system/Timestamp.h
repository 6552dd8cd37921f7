#pragma once

#include <cstdint>

#include "object/Object.h"
#include "types/String.h"

namespace korvane::system {

/// A point in time: microseconds since 1601-01-01 00:00 UTC (a file time divided by 10).
class Timestamp : public object::Object {
public:
    Timestamp() = default;
    explicit Timestamp(uint64_t microseconds) : microseconds(microseconds) {}

    /// From a file time, a count of 100-nanosecond intervals since 1601.
    static Timestamp fromFileTime(uint64_t fileTime) { return Timestamp(fileTime / 10); }
    static Timestamp now();

    /// Reads the system clock.
    void setNow();
    uint64_t get() const { return microseconds; }
    void set(uint64_t value) { microseconds = value; }

    /// The time in the local time zone: the short date, one blank, the 24-hour time. Empty for a time too
    /// far in the future to have a calendar date.
    types::String toString() const override;
    types::String getClassPath() const override;

    auto operator<=>(const Timestamp& other) const { return microseconds <=> other.microseconds; }
    bool operator==(const Timestamp& other) const { return microseconds == other.microseconds; }

private:
    uint64_t microseconds = 0;
};

} // namespace korvane::system
