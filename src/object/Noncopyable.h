#pragma once

namespace korvane::object {

/// Mix-in for classes whose instances are never copied or assigned.
class Noncopyable {
protected:
    Noncopyable() = default;
    ~Noncopyable() = default;

public:
    Noncopyable(const Noncopyable&) = delete;
    Noncopyable& operator=(const Noncopyable&) = delete;
};

/// Mix-in for classes whose instances are never assigned.
class Nonassignable {
protected:
    Nonassignable() = default;
    Nonassignable(const Nonassignable&) = default;
    ~Nonassignable() = default;

public:
    Nonassignable& operator=(const Nonassignable&) = delete;
};

} // namespace korvane::object
