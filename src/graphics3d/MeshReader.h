#pragma once

#include <cstdint>

#include "graphics3d/IndexBuffer.h"
#include "graphics3d/VertexBuffer.h"
#include "math/Vector.h"
#include "object/Noncopyable.h"
#include "object/Pointer.h"

namespace korvane::graphics3d::detail {

/// The positions of a mesh, read from the first of its vertex buffers that has them, through the first
/// format entry that feeds the position attribute. Positions of three or four 8-, 16- or 32-bit integers
/// or 32- or 64-bit floats are read (x, y and z); integers are signed, except that bytes read as 0 to 255
/// when asked (bounds measure them so, colliders read them signed). The buffer is mapped for reading for
/// the reader's lifetime. isReady() is false when there is no such buffer, the entry's type is not one of
/// those, or the buffer cannot be mapped (one mapped by someone else is left alone). Used on the thread of
/// the buffer's GL context, for the length of one call.
class PositionReader : public object::Noncopyable {
public:
    enum Bytes { SignedBytes, UnsignedBytes };

    PositionReader(const object::Pointer<VertexBuffer>* buffers, uint32_t bufferCount,
                   Bytes bytes = SignedBytes);
    ~PositionReader();

    bool isReady() const { return ready; }
    /// The number of vertices in the buffer.
    uint32_t getCount() const { return count; }
    /// The position of a vertex below getCount().
    math::Vector3<float> operator[](uint32_t vertex) const;

private:
    VertexBuffer* buffer = nullptr;
    const uint8_t* base = nullptr;
    uint32_t scalar = 0;
    uint32_t stride = 0;
    uint32_t count = 0;
    Bytes byteMode;
    bool mapped = false;
    bool ready = false;
};

/// The indices of an index buffer, mapped for reading for the reader's lifetime.
class IndexReader : public object::Noncopyable {
public:
    explicit IndexReader(IndexBuffer* buffer);
    ~IndexReader();

    bool isReady() const { return ready; }
    uint32_t getCount() const { return count; }
    /// The value of an index below getCount().
    uint32_t operator[](uint32_t index) const;

private:
    IndexBuffer* buffer;
    const uint8_t* base = nullptr;
    uint32_t size = 0;
    uint32_t count = 0;
    bool mapped = false;
    bool ready = false;
};

} // namespace korvane::graphics3d::detail
