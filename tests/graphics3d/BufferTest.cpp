#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "graphics3d/IndexBuffer.h"
#include "graphics3d/TypeCode.h"
#include "graphics3d/VertexBuffer.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"

namespace korvane::graphics3d {
namespace {

using object::Pointer;
using test::getInteger;

GLint bufferSize(GLenum target, GLuint buffer) {
    GLint size = -1;
    glBindBuffer(target, buffer);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    return size;
}

VertexFormat positionNormal() {
    VertexFormat format;
    format.add(type::Float3, attribute::Position);
    format.add(type::Float3, attribute::Normal);
    return format;
}

class BufferTest : public test::GLTest {};

TEST_F(BufferTest, IndexBufferLivesInABufferObjectWhenItCan) {
    auto buffer = Pointer<IndexBuffer>::adopt(IndexBuffer::create(2, 36, StorageStatic));
    ASSERT_NE(buffer, nullptr);
    EXPECT_NE(buffer->getBufferObject(), 0u);
    EXPECT_EQ(buffer->getStorage(), uint32_t(StorageStatic));
    EXPECT_EQ(buffer->getGLType(), GLenum(GL_UNSIGNED_SHORT));
    EXPECT_EQ(buffer->getData(), nullptr);
    EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, buffer->getBufferObject()), 72);
    GLint usage = 0;
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_USAGE, &usage);
    EXPECT_EQ(usage, GL_STATIC_DRAW);
    EXPECT_EQ(buffer->getClassPath(), "Object:Resource:IndexBuffer");

    std::vector<uint16_t> indices(36);
    std::iota(indices.begin(), indices.end(), uint16_t(100));
    EXPECT_TRUE(buffer->update(0, indices.data(), 36));
    EXPECT_FALSE(buffer->update(30, indices.data(), 7)) << "past the end";
    ASSERT_TRUE(buffer->map(MapRead));
    ASSERT_NE(buffer->getData(), nullptr);
    EXPECT_EQ(std::memcmp(buffer->getData(), indices.data(), 72), 0);
    buffer->unmap();
    EXPECT_FALSE(buffer->isMapped());
    EXPECT_EQ(buffer->getData(), nullptr);
    EXPECT_EQ(buffer->bind(), nullptr) << "a buffer object draws from offset 0";
}

TEST_F(BufferTest, IndexBufferFallsBackToClientMemory) {
    {
        test::MissingEntryPoint missingARB(__glewGenBuffersARB);
        test::MissingEntryPoint missingCore(__glewGenBuffers);
        auto buffer = Pointer<IndexBuffer>::adopt(IndexBuffer::create(2, 36, StorageStatic));
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(buffer->getBufferObject(), 0u);
        EXPECT_EQ(buffer->getStorage(), uint32_t(StorageMemory));
        ASSERT_NE(buffer->getData(), nullptr);
        EXPECT_EQ(buffer->getByteSize(), 72u);
        const uint16_t tail[2] = {7, 9};
        EXPECT_TRUE(buffer->update(34, tail, 2));
        EXPECT_EQ(static_cast<uint16_t*>(buffer->getData())[35], 9);
        EXPECT_EQ(buffer->bind(), buffer->getData());
    }
    // No usage for kind 0: the buffer object is refused and nothing of the error is left behind.
    auto none = Pointer<IndexBuffer>::adopt(IndexBuffer::create(4, 10, StorageNone));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->getStorage(), uint32_t(StorageMemory));
    EXPECT_EQ(none->getGLType(), GLenum(GL_UNSIGNED_INT));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    EXPECT_EQ(IndexBuffer::create(3, 36, StorageStatic), nullptr);
    EXPECT_EQ(IndexBuffer::create(0, 36, StorageStatic), nullptr);
}

TEST_F(BufferTest, VertexBufferTakesItsLayoutFromTheFormat) {
    auto buffer = Pointer<VertexBuffer>::adopt(VertexBuffer::create(positionNormal(), 8, StorageDynamic));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->getAttributes(), attribute::Position | attribute::Normal);
    EXPECT_EQ(buffer->getStride(), 24u);
    EXPECT_EQ(buffer->getByteSize(), 192u);
    EXPECT_EQ(buffer->getStorage(), uint32_t(StorageDynamic));
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, buffer->getBufferObject()), 192);
    EXPECT_EQ(buffer->getFormat().components[1].glType, GLenum(GL_FLOAT));
    EXPECT_EQ(buffer->getFormat().components[1].glSize, 3u);
    EXPECT_EQ(buffer->getSlot(2).offset, 12u);

    ASSERT_TRUE(buffer->map(MapWriteOnly));
    float* vertices = static_cast<float*>(buffer->getData());
    for (int index = 0; index < 48; ++index)
        vertices[index] = float(index);
    buffer->unmap();
    std::vector<float> read(48);
    glBindBuffer(GL_ARRAY_BUFFER, buffer->getBufferObject());
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 192, read.data());
    EXPECT_EQ(read[47], 47.0f);
}

TEST_F(BufferTest, ArrayPointersAreOffsetsInABufferObjectAndAddressesInMemory) {
    VertexFormat format = positionNormal();
    format.add(type::Float2, attribute::textureCoordinate(1));
    auto object = Pointer<VertexBuffer>::adopt(VertexBuffer::create(format, 4, StorageStatic));
    ASSERT_NE(object->getBufferObject(), 0u);

    // An attribute the buffer lacks keeps its pointer.
    const float colours[4] = {};
    glColorPointer(4, GL_FLOAT, 0, colours);
    object->setPointers(0xFFFFFFFF);
    GLvoid* pointer = nullptr;
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, nullptr);
    glGetPointerv(GL_NORMAL_ARRAY_POINTER, &pointer);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pointer), 12u);
    EXPECT_EQ(getInteger(GL_VERTEX_ARRAY_BUFFER_BINDING), GLint(object->getBufferObject()));
    EXPECT_EQ(getInteger(GL_VERTEX_ARRAY_STRIDE), 32);
    glClientActiveTexture(GL_TEXTURE1);
    glGetPointerv(GL_TEXTURE_COORD_ARRAY_POINTER, &pointer);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pointer), 24u);
    EXPECT_EQ(getInteger(GL_TEXTURE_COORD_ARRAY_SIZE), 2);
    glGetPointerv(GL_COLOR_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, colours);

    test::MissingEntryPoint missingARB(__glewGenBuffersARB);
    test::MissingEntryPoint missingCore(__glewGenBuffers);
    auto memory = Pointer<VertexBuffer>::adopt(VertexBuffer::create(format, 4, StorageStatic));
    ASSERT_EQ(memory->getStorage(), uint32_t(StorageMemory));
    memory->setPointers(attribute::Position | attribute::Normal);
    const uint8_t* base = static_cast<const uint8_t*>(memory->getData());
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, base);
    glGetPointerv(GL_NORMAL_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, base + 12);
    EXPECT_EQ(getInteger(GL_ARRAY_BUFFER_BINDING), 0);
    glClientActiveTexture(GL_TEXTURE1);
    glGetPointerv(GL_TEXTURE_COORD_ARRAY_POINTER, &pointer);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pointer), 24u) << "not in the mask: left as it was";
    EXPECT_TRUE(memory->map(MapWrite));
    EXPECT_EQ(memory->getData(), base);
    memory->unmap();
    EXPECT_EQ(memory->getData(), base);
}

// Sets every entry point of one family of buffer-object functions to null for its lifetime.
class MissingFamily {
public:
    explicit MissingFamily(bool core)
        : generate(core ? __glewGenBuffers : __glewGenBuffersARB),
          bind(core ? __glewBindBuffer : __glewBindBufferARB),
          data(core ? __glewBufferData : __glewBufferDataARB),
          subData(core ? __glewBufferSubData : __glewBufferSubDataARB),
          map(core ? __glewMapBuffer : __glewMapBufferARB),
          unmap(core ? __glewUnmapBuffer : __glewUnmapBufferARB),
          remove(core ? __glewDeleteBuffers : __glewDeleteBuffersARB) {}

private:
    test::MissingEntryPoint<PFNGLGENBUFFERSPROC> generate;
    test::MissingEntryPoint<PFNGLBINDBUFFERPROC> bind;
    test::MissingEntryPoint<PFNGLBUFFERDATAPROC> data;
    test::MissingEntryPoint<PFNGLBUFFERSUBDATAPROC> subData;
    test::MissingEntryPoint<PFNGLMAPBUFFERPROC> map;
    test::MissingEntryPoint<PFNGLUNMAPBUFFERPROC> unmap;
    test::MissingEntryPoint<PFNGLDELETEBUFFERSPROC> remove;
};

// A driver may offer buffer objects through one family of entry points only: everything a buffer does,
// from creation through mapping and drawing to deletion, must then go through that family.
TEST_F(BufferTest, BuffersWorkThroughWhicheverFamilyOfEntryPointsIsThere) {
    VertexFormat format;
    format.add(type::Float3, attribute::Position);
    const float triangle[3][3] = {{-1, -1, 0}, {3, -1, 0}, {-1, 3, 0}};
    const uint16_t order[3] = {0, 1, 2};
    for (bool coreMissing : {true, false}) {
        SCOPED_TRACE(coreMissing ? "without the core entry points" : "without the ARB entry points");
        {
            MissingFamily missing(coreMissing);
            auto vertices = Pointer<VertexBuffer>::adopt(VertexBuffer::create(format, 3, StorageStatic));
            auto indices = Pointer<IndexBuffer>::adopt(IndexBuffer::create(2, 3, StorageDynamic));
            ASSERT_NE(vertices->getBufferObject(), 0u);
            ASSERT_NE(indices->getBufferObject(), 0u);
            ASSERT_TRUE(vertices->map(MapWriteOnly));
            std::memcpy(vertices->getData(), triangle, sizeof triangle);
            vertices->unmap();
            ASSERT_TRUE(indices->update(0, order, 3));
            ASSERT_TRUE(indices->map(MapRead));
            EXPECT_EQ(static_cast<const uint16_t*>(indices->getData())[2], 2);
            indices->unmap();

            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT);
            glColor3f(0, 1, 0);
            glEnableClientState(GL_VERTEX_ARRAY);
            vertices->setPointers(attribute::Position);
            glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, indices->bind());
            glDisableClientState(GL_VERTEX_ARRAY);
            uint8_t pixel[4] = {};
            glReadPixels(128, 128, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
            EXPECT_EQ(pixel[1], 255);
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}

} // namespace
} // namespace korvane::graphics3d
