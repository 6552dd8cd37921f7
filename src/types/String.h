#pragma once

#include <cstdint>
#include <string_view>

#include "object/Object.h"

namespace korvane::types {

/// Owned 8-bit text with a zero terminator, copied by value. Buffers are sized by a fixed growth rule
/// (see capacityFor) so that repeated appends allocate rarely.
/// Not locked: a string is used by one thread at a time.
class String : public object::Object {
public:
    String() = default;
    String(const char* text);
    String(const char* text, uint32_t length);
    String(const String& other);
    String(String&& other) noexcept;
    ~String() override;

    String& operator=(const String& other) { return assign(other); }
    String& operator=(const char* text) { return assign(text); }
    String& operator=(String&& other) noexcept;

    String& assign(const String& other);
    String& assign(const char* text);
    String& append(const char* text);
    String& append(const String& other) { return append(other.getText()); }

    static String concat(const String& a, const char* b);
    static String concat(const String& a, const String& b);
    String toLowerCase() const;

    const char* getText() const { return text ? text : ""; }
    uint32_t getLength() const { return length; }
    uint32_t getCapacity() const { return capacity; }
    bool isEmpty() const { return length == 0; }
    std::string_view view() const { return {getText(), length}; }

    String getName() const override { return *this; }
    String toString() const override { return *this; }
    String getClassPath() const override;

    /// The buffer size chosen for a text of the given length: 0 for the empty text, 64 below 64, otherwise
    /// the highest power of two not above the length plus the fewest quarter steps that exceed it.
    static uint32_t capacityFor(uint32_t length);

private:
    void replace(const char* source, uint32_t newLength);

    char* text = nullptr;
    uint32_t capacity = 0;
    uint32_t length = 0;
};

inline bool operator==(const String& a, const String& b) {
    return a.view() == b.view();
}
inline bool operator==(const String& a, const char* b) {
    return a.view() == std::string_view(b);
}
inline bool operator<(const String& a, const String& b) {
    return a.view() < b.view();
}
String operator+(const String& a, const char* b);
String operator+(const String& a, const String& b);

} // namespace korvane::types
