#pragma once

#include <cstddef>
#include <cstdint>

#include "container/Array.h"
#include "math/Vector.h"
#include "object/Object.h"

namespace korvane::geometry {

/// A triangle soup: vertex positions and three vertex numbers per triangle.
template <typename T, std::size_t N> class TriangleMesh : public object::Object {
public:
    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":TriangleMesh");
    }

    uint32_t getTriangleCount() const { return indices.getCount() / 3; }

    container::Array<math::Vector<T, N>> vertices;
    container::Array<unsigned int> indices;
};

/// A triangle soup in three dimensions, filled triangle by triangle.
template <typename T> class TriangleMesh3 : public TriangleMesh<T, 3> {
public:
    /// Stores (a, b, c) as triangle i, growing the index array to hold it (new entries are zero). False,
    /// storing nothing, when triangle i cannot be numbered with 32-bit indices.
    bool setTriangle(uint32_t i, unsigned int a, unsigned int b, unsigned int c) {
        if (i > (UINT32_MAX - 3) / 3)
            return false;
        container::Array<unsigned int>& indices = this->indices;
        if (indices.getCount() < 3 * i + 3)
            indices.setSize(3 * i + 3);
        indices[3 * i] = a;
        indices[3 * i + 1] = b;
        indices[3 * i + 2] = c;
        return true;
    }
};

} // namespace korvane::geometry
