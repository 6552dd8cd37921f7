#pragma once

namespace korvane::container {

/// A plain record of two values.
template <typename A, typename B> struct Pair {
    A first;
    B second;

    friend bool operator==(const Pair&, const Pair&) = default;
};

} // namespace korvane::container
