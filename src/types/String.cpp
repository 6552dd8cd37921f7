#include "types/String.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace korvane::types {

namespace {

char* allocate(uint32_t capacity) {
    auto* buffer = static_cast<char*>(std::malloc(capacity));
    if (!buffer)
        throw std::bad_alloc();
    return buffer;
}

uint32_t checkedLength(size_t length) {
    // Lengths beyond the growth rule's range cannot be represented.
    if (length >= (uint32_t(1) << 29) + (uint32_t(1) << 28))
        throw std::bad_alloc();
    return static_cast<uint32_t>(length);
}

} // namespace

uint32_t String::capacityFor(uint32_t length) {
    if (length == 0)
        return 0;
    if (length < 64)
        return 64;
    uint32_t top = uint32_t(1) << 28;
    while (top > length)
        top >>= 1;
    uint32_t capacity = top + top / 4;
    while (capacity <= length)
        capacity += top / 4;
    return capacity;
}

String::String(const char* source) : String(source, checkedLength(std::strlen(source))) {}

String::String(const char* source, uint32_t sourceLength) {
    replace(source, checkedLength(sourceLength));
}

String::String(const String& other) : Object(other) {
    replace(other.text, other.length);
}

String::String(String&& other) noexcept
    : Object(other), text(std::exchange(other.text, nullptr)), capacity(std::exchange(other.capacity, 0)),
      length(std::exchange(other.length, 0)) {}

String::~String() {
    std::free(text);
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        std::free(text);
        text = std::exchange(other.text, nullptr);
        capacity = std::exchange(other.capacity, 0);
        length = std::exchange(other.length, 0);
    }
    return *this;
}

// Makes the string hold newLength bytes of source: reuses the buffer when they fit, else a new buffer by
// the growth rule; the empty text frees the buffer.
void String::replace(const char* source, uint32_t newLength) {
    if (newLength == 0) {
        std::free(text);
        text = nullptr;
        capacity = 0;
        length = 0;
        return;
    }
    if (newLength >= capacity) {
        char* buffer = allocate(capacityFor(newLength));
        std::free(text);
        text = buffer;
        capacity = capacityFor(newLength);
    }
    std::memmove(text, source, newLength);
    text[newLength] = 0;
    length = newLength;
}

String& String::assign(const String& other) {
    if (this != &other)
        replace(other.text, other.length);
    return *this;
}

String& String::assign(const char* source) {
    uint32_t newLength = checkedLength(std::strlen(source));
    if (source == text && text)
        return *this;
    replace(source, newLength);
    return *this;
}

String& String::append(const char* source) {
    uint32_t extra = checkedLength(std::strlen(source));
    if (extra == 0)
        return *this;
    if (!text) {
        replace(source, extra);
        return *this;
    }
    uint32_t combined = checkedLength(size_t(length) + extra);
    if (combined < capacity) {
        std::memmove(text + length, source, extra + 1);
    } else {
        uint32_t newCapacity = capacityFor(combined);
        char* buffer = allocate(newCapacity);
        std::memcpy(buffer, text, length);
        std::memcpy(buffer + length, source, extra + 1);
        std::free(text);
        text = buffer;
        capacity = newCapacity;
    }
    length = combined;
    return *this;
}

String String::concat(const String& a, const char* b) {
    String result(a);
    result.append(b);
    return result;
}

String String::concat(const String& a, const String& b) {
    return concat(a, b.getText());
}

String String::toLowerCase() const {
    String result(*this);
    for (uint32_t i = 0; i < result.length; ++i)
        result.text[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(result.text[i])));
    return result;
}

String String::getClassPath() const {
    return concat(Object::getClassPath(), ":String");
}

String operator+(const String& a, const char* b) {
    return String::concat(a, b);
}

String operator+(const String& a, const String& b) {
    return String::concat(a, b);
}

} // namespace korvane::types
