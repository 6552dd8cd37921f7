#pragma once

#include <cmath>
#include <cstddef>
#include <type_traits>

namespace korvane::math {

/// A fixed-size vector of N components, copied by value. Components start at zero. The sizes 2, 3 and 4
/// name their components x, y, z, w; every size indexes them with operator[].
template <typename T, std::size_t N> struct Vector {
    static_assert(N > 0, "a vector needs at least one component");

    T elements[N]{};

    T& operator[](std::size_t i) { return elements[i]; }
    const T& operator[](std::size_t i) const { return elements[i]; }
    static constexpr std::size_t size() { return N; }
};

template <typename T> struct Vector<T, 2> {
    T x{};
    T y{};

    T& operator[](std::size_t i) { return this->*members[i]; }
    const T& operator[](std::size_t i) const { return this->*members[i]; }
    static constexpr std::size_t size() { return 2; }

private:
    static constexpr T Vector::*members[2] = {&Vector::x, &Vector::y};
};

template <typename T> struct Vector<T, 3> {
    T x{};
    T y{};
    T z{};

    T& operator[](std::size_t i) { return this->*members[i]; }
    const T& operator[](std::size_t i) const { return this->*members[i]; }
    static constexpr std::size_t size() { return 3; }

private:
    static constexpr T Vector::*members[3] = {&Vector::x, &Vector::y, &Vector::z};
};

template <typename T> struct Vector<T, 4> {
    T x{};
    T y{};
    T z{};
    T w{};

    T& operator[](std::size_t i) { return this->*members[i]; }
    const T& operator[](std::size_t i) const { return this->*members[i]; }
    static constexpr std::size_t size() { return 4; }

private:
    static constexpr T Vector::*members[4] = {&Vector::x, &Vector::y, &Vector::z, &Vector::w};
};

template <typename T> using Vector2 = Vector<T, 2>;
template <typename T> using Vector3 = Vector<T, 3>;
template <typename T> using Vector4 = Vector<T, 4>;

template <typename T, std::size_t N> Vector<T, N>& operator+=(Vector<T, N>& a, const Vector<T, N>& b) {
    for (std::size_t i = 0; i < N; ++i)
        a[i] += b[i];
    return a;
}

template <typename T, std::size_t N> Vector<T, N>& operator-=(Vector<T, N>& a, const Vector<T, N>& b) {
    for (std::size_t i = 0; i < N; ++i)
        a[i] -= b[i];
    return a;
}

template <typename T, std::size_t N> Vector<T, N>& operator*=(Vector<T, N>& a, std::type_identity_t<T> s) {
    for (std::size_t i = 0; i < N; ++i)
        a[i] *= s;
    return a;
}

template <typename T, std::size_t N> Vector<T, N>& operator/=(Vector<T, N>& a, std::type_identity_t<T> s) {
    for (std::size_t i = 0; i < N; ++i)
        a[i] /= s;
    return a;
}

template <typename T, std::size_t N> Vector<T, N> operator+(Vector<T, N> a, const Vector<T, N>& b) {
    return a += b;
}

template <typename T, std::size_t N> Vector<T, N> operator-(Vector<T, N> a, const Vector<T, N>& b) {
    return a -= b;
}

template <typename T, std::size_t N> Vector<T, N> operator-(Vector<T, N> a) {
    for (std::size_t i = 0; i < N; ++i)
        a[i] = -a[i];
    return a;
}

template <typename T, std::size_t N> Vector<T, N> operator*(Vector<T, N> a, std::type_identity_t<T> s) {
    return a *= s;
}

template <typename T, std::size_t N> Vector<T, N> operator*(std::type_identity_t<T> s, Vector<T, N> a) {
    return a *= s;
}

template <typename T, std::size_t N> Vector<T, N> operator/(Vector<T, N> a, std::type_identity_t<T> s) {
    return a /= s;
}

template <typename T, std::size_t N> bool operator==(const Vector<T, N>& a, const Vector<T, N>& b) {
    for (std::size_t i = 0; i < N; ++i)
        if (!(a[i] == b[i]))
            return false;
    return true;
}

template <typename T, std::size_t N> bool operator!=(const Vector<T, N>& a, const Vector<T, N>& b) {
    return !(a == b);
}

template <typename T, std::size_t N> T dot(const Vector<T, N>& a, const Vector<T, N>& b) {
    T sum{};
    for (std::size_t i = 0; i < N; ++i)
        sum += a[i] * b[i];
    return sum;
}

template <typename T> Vector<T, 3> cross(const Vector<T, 3>& a, const Vector<T, 3>& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <typename T, std::size_t N> T squaredLength(const Vector<T, N>& v) {
    return dot(v, v);
}

template <typename T, std::size_t N> T length(const Vector<T, N>& v) {
    return std::sqrt(squaredLength(v));
}

/// The vector scaled to length 1; a zero vector stays zero instead of turning into NaNs.
template <typename T, std::size_t N> Vector<T, N> normalize(Vector<T, N> v) {
    T squared = squaredLength(v);
    if (squared > T(0))
        v /= static_cast<T>(std::sqrt(squared));
    return v;
}

} // namespace korvane::math
