#pragma once

#include "object/Object.h"

namespace korvane::object {

/// Root of the framework's exception tree: an object carrying one message. Thrown by value, caught by
/// reference. getName() is the short class name, toString() the message.
/// Layers above the platform report failures with this tree; the platform layer reports error codes
/// instead.
class Exception : public Object {
public:
    Exception() : message("Exception") {}
    explicit Exception(const char* message) : message(message) {}
    explicit Exception(const types::String& message) : message(message) {}

    types::String getName() const override { return types::String("Exception"); }
    types::String toString() const override { return message; }
    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Exception");
    }

    const types::String& getMessage() const { return message; }

private:
    types::String message;
};

} // namespace korvane::object

// Declares an exception class whose default message is its own short name.
#define KORVANE_EXCEPTION(Name, Base)                                                                        \
    class Name : public Base {                                                                               \
    public:                                                                                                  \
        Name() : Base(#Name) {}                                                                              \
        explicit Name(const char* message) : Base(message) {}                                                \
        explicit Name(const ::korvane::types::String& message) : Base(message) {}                            \
        ::korvane::types::String getName() const override { return ::korvane::types::String(#Name); }        \
        ::korvane::types::String getClassPath() const override {                                             \
            return ::korvane::types::String::concat(Base::getClassPath(), ":" #Name);                        \
        }                                                                                                    \
    }
