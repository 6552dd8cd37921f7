#pragma once

#include "math/Vector.h"

namespace korvane::math {

/// A 4x4 float matrix in row-major order: element (row, column) at index 4 * row + column, translation in
/// elements 3, 7 and 11. Points are column vectors multiplied on the right (p' = M * p), so in a product
/// A * B the matrix B acts first. OpenGL takes the elements through glLoadTransposeMatrixf(data()).
struct Matrix {
    float elements[16];

    /// The identity.
    Matrix();
    /// Sixteen values, row by row.
    Matrix(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20,
           float m21, float m22, float m23, float m30, float m31, float m32, float m33);
    /// Sixteen values, row by row, copied from an array.
    explicit Matrix(const float* rowMajor);

    static Matrix identity() { return Matrix(); }
    static Matrix zero();
    static Matrix translation(float x, float y, float z);
    static Matrix scaling(float x, float y, float z);
    /// The rotation by angle radians about axis, counter-clockwise when the axis points at the viewer.
    /// A zero axis gives the identity.
    static Matrix rotation(float angle, const Vector3<float>& axis);

    float& operator()(int row, int column) { return elements[4 * row + column]; }
    float operator()(int row, int column) const { return elements[4 * row + column]; }
    float* data() { return elements; }
    const float* data() const { return elements; }

    Vector3<float> getTranslation() const { return {elements[3], elements[7], elements[11]}; }
    void setTranslation(const Vector3<float>& t);
};

bool operator==(const Matrix& a, const Matrix& b);
inline bool operator!=(const Matrix& a, const Matrix& b) {
    return !(a == b);
}

/// The product a * b (b applied first).
Matrix multiply(const Matrix& a, const Matrix& b);
inline Matrix operator*(const Matrix& a, const Matrix& b) {
    return multiply(a, b);
}

Matrix transpose(const Matrix& m);

/// m applied to a point: rows 0 to 2 with the translation column.
Vector3<float> transform(const Matrix& m, const Vector3<float>& point);
/// m applied to a direction: rows 0 to 2 without the translation column.
Vector3<float> transformVector(const Matrix& m, const Vector3<float>& vector);

/// Replaces the top three rows of m by R times them, R being the rotation of Matrix::rotation; the
/// translation column turns with them and the bottom row becomes (0, 0, 0, 1).
void rotate(Matrix& m, float angle, const Vector3<float>& axis);

/// Inverts m in place by Gauss-Jordan elimination with full pivoting. Returns false, leaving m untouched,
/// when a pivot is exactly zero (a singular matrix).
bool invert(Matrix& m);

} // namespace korvane::math
