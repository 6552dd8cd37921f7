#include "math/Matrix.h"

#include <cmath>
#include <utility>

namespace korvane::math {

Matrix::Matrix() : elements{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix::Matrix(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
               float m20, float m21, float m22, float m23, float m30, float m31, float m32, float m33)
    : elements{m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33} {}

Matrix::Matrix(const float* rowMajor) {
    for (int i = 0; i < 16; ++i)
        elements[i] = rowMajor[i];
}

Matrix Matrix::zero() {
    Matrix m;
    for (float& e : m.elements)
        e = 0;
    return m;
}

Matrix Matrix::translation(float x, float y, float z) {
    Matrix m;
    m.setTranslation({x, y, z});
    return m;
}

Matrix Matrix::scaling(float x, float y, float z) {
    Matrix m;
    m(0, 0) = x;
    m(1, 1) = y;
    m(2, 2) = z;
    return m;
}

Matrix Matrix::rotation(float angle, const Vector3<float>& axis) {
    Matrix m;
    rotate(m, angle, axis);
    return m;
}

void Matrix::setTranslation(const Vector3<float>& t) {
    elements[3] = t.x;
    elements[7] = t.y;
    elements[11] = t.z;
}

bool operator==(const Matrix& a, const Matrix& b) {
    for (int i = 0; i < 16; ++i)
        if (!(a.elements[i] == b.elements[i]))
            return false;
    return true;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a(r, k) * b(k, c);
            result(r, c) = sum;
        }
    return result;
}

Matrix transpose(const Matrix& m) {
    Matrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result(c, r) = m(r, c);
    return result;
}

Vector3<float> transform(const Matrix& m, const Vector3<float>& p) {
    return {m(0, 0) * p.x + m(0, 1) * p.y + m(0, 2) * p.z + m(0, 3),
            m(1, 0) * p.x + m(1, 1) * p.y + m(1, 2) * p.z + m(1, 3),
            m(2, 0) * p.x + m(2, 1) * p.y + m(2, 2) * p.z + m(2, 3)};
}

Vector3<float> transformVector(const Matrix& m, const Vector3<float>& v) {
    return {m(0, 0) * v.x + m(0, 1) * v.y + m(0, 2) * v.z, m(1, 0) * v.x + m(1, 1) * v.y + m(1, 2) * v.z,
            m(2, 0) * v.x + m(2, 1) * v.y + m(2, 2) * v.z};
}

void rotate(Matrix& m, float angle, const Vector3<float>& axis) {
    Vector3<float> n = normalize(axis);
    // Without a direction there is nothing to turn about; the formula would otherwise scale by cos(angle).
    if (squaredLength(n) == 0)
        angle = 0;
    const float x = n.x, y = n.y, z = n.z;
    const float c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    const float r[3][3] = {{c + t * x * x, t * x * y - s * z, t * x * z + s * y},
                           {t * x * y + s * z, c + t * y * y, t * y * z - s * x},
                           {t * x * z - s * y, t * y * z + s * x, c + t * z * z}};

    Matrix turned;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            turned(row, column) =
                r[row][0] * m(0, column) + r[row][1] * m(1, column) + r[row][2] * m(2, column);
    turned(3, 0) = 0;
    turned(3, 1) = 0;
    turned(3, 2) = 0;
    turned(3, 3) = 1;
    m = turned;
}

bool invert(Matrix& target) {
    // Work on a copy so that a singular matrix leaves the caller's matrix as it was.
    Matrix a = target;
    bool used[4] = {false, false, false, false};
    int pivotRows[4];
    int pivotColumns[4];

    for (int step = 0; step < 4; ++step) {
        float largest = 0;
        int pivotRow = -1, pivotColumn = -1;
        for (int row = 0; row < 4; ++row) {
            if (used[row])
                continue;
            for (int column = 0; column < 4; ++column) {
                if (used[column])
                    continue;
                float value = std::fabs(a(row, column));
                if (value > largest) {
                    largest = value;
                    pivotRow = row;
                    pivotColumn = column;
                }
            }
        }
        // Also catches an all-NaN remainder, where no comparison succeeds.
        if (pivotRow < 0 || !std::isfinite(largest))
            return false;

        used[pivotColumn] = true;
        if (pivotRow != pivotColumn)
            for (int column = 0; column < 4; ++column)
                std::swap(a(pivotRow, column), a(pivotColumn, column));
        pivotRows[step] = pivotRow;
        pivotColumns[step] = pivotColumn;

        const int p = pivotColumn;
        const float inverse = 1 / a(p, p);
        a(p, p) = 1;
        for (int column = 0; column < 4; ++column)
            a(p, column) *= inverse;
        for (int row = 0; row < 4; ++row) {
            if (row == p)
                continue;
            const float factor = a(row, p);
            a(row, p) = 0;
            for (int column = 0; column < 4; ++column)
                a(row, column) -= a(p, column) * factor;
        }
    }

    for (int step = 3; step >= 0; --step)
        if (pivotRows[step] != pivotColumns[step])
            for (int row = 0; row < 4; ++row)
                std::swap(a(row, pivotRows[step]), a(row, pivotColumns[step]));

    // A nearly singular matrix can overflow to infinities on the way; that is no usable inverse either.
    for (float e : a.elements)
        if (!std::isfinite(e))
            return false;
    target = a;
    return true;
}

} // namespace korvane::math
