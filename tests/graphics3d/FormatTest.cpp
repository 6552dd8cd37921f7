#include <gtest/gtest.h>

#include <string>

#include "graphics3d/ParameterBuffer.h"
#include "graphics3d/ParameterFormat.h"
#include "graphics3d/TypeCode.h"
#include "graphics3d/VertexFormat.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {
namespace {

TEST(TypeCodeTest, DescribesScalarCountAndSize) {
    EXPECT_EQ(type::Float3, 0x000C0324u);
    EXPECT_EQ(type::sizeOf(type::Matrix4), 64u);
    EXPECT_EQ(type::countOf(type::Float2), 2u);
    EXPECT_EQ(type::glTypeOf(type::make(type::UnsignedShort, 1)), 0x1403u);
    EXPECT_EQ(type::glTypeOf(type::make(type::Double, 3)), 0x140Au);
    EXPECT_EQ(type::glTypeOf(0x33), 0u);
}

TEST(VertexFormatTest, EntriesFollowEachOther) {
    VertexFormat format;
    EXPECT_EQ(format.add(type::Float3, attribute::Position), 0u);
    EXPECT_EQ(format.add(type::Float3, attribute::Normal), 1u);
    EXPECT_EQ(format.add(type::Float2, attribute::TextureCoordinate0), 2u);
    EXPECT_EQ(format.components[1].offset, 12u);
    EXPECT_EQ(format.components[2].offset, 24u);
    EXPECT_EQ(format.stride, 32u);
    EXPECT_EQ(format.count, 3u);
    EXPECT_EQ(format.getClassPath(), "Object:VertexFormat");
}

TEST(VertexFormatTest, AFullFormatRefusesMoreAndAFreedEntryIsReused) {
    VertexFormat format;
    for (uint32_t index = 0; index < VertexFormat::MaximumComponents; ++index)
        ASSERT_EQ(format.add(type::Float2, attribute::textureCoordinate(index % 8)), index);
    const uint32_t stride = format.stride;
    EXPECT_EQ(format.add(type::Float3, attribute::Position), VertexFormat::None);
    EXPECT_EQ(format.stride, stride);
    EXPECT_EQ(format.count, 16u);

    // A free entry in the middle takes the next entry; the ones after it move up.
    VertexFormat gap;
    gap.add(type::Float3, attribute::Position);
    gap.add(type::Float3, attribute::Normal);
    gap.add(type::Float2, attribute::TextureCoordinate0);
    gap.components[1] = {};
    gap.stride -= 12;
    gap.components[2].offset = 12;
    EXPECT_EQ(gap.add(type::Float4, attribute::Colour), 1u);
    EXPECT_EQ(gap.components[1].offset, 12u);
    EXPECT_EQ(gap.components[2].offset, 28u);
    EXPECT_EQ(gap.stride, 36u);
    EXPECT_EQ(gap.count, 3u);
}

TEST(ParameterFormatTest, ComponentsArePackedInOrder) {
    ParameterFormat format;
    format.add("modelview", type::Matrix4);
    format.add("projection", type::Matrix4);
    format.add("colour", type::Float3);
    EXPECT_EQ(format[0].offset, 0u);
    EXPECT_EQ(format[1].offset, 64u);
    EXPECT_EQ(format[2].offset, 128u);
    EXPECT_EQ(format.getSize(), 140u);
    EXPECT_EQ(format.find("projection"), &format[1]);
    EXPECT_EQ(format.find("missing"), format.end());
}

TEST(ParameterFormatTest, NamesAreSignificantInTheirFirst64Characters) {
    const std::string base(64, 'n');
    ParameterFormat format;
    format.add((base + "-first").c_str(), type::Float2);
    EXPECT_EQ(std::string(format[0].name), base);
    EXPECT_EQ(format.find((base + "-other").c_str()), &format[0]);
    EXPECT_EQ(format.find(base.substr(0, 63).c_str()), format.end());
}

TEST(ParameterFormatTest, CompactDropsUntypedComponentsAndTrimsStorage) {
    ParameterFormat format;
    format.add("a", type::Float2);
    format.add("b", type::Float3);
    format.add("c", type::Matrix4);
    format.add("d", type::Float2);
    format.add("e", type::Float2);
    format.add("f", type::Float2);
    ASSERT_GT(format.getComponents().getCapacity(), 6u);
    format[1].type = 0;
    format[3].type = 0;
    format.compact();
    ASSERT_EQ(format.getCount(), 4u);
    EXPECT_EQ(format.getComponents().getCapacity(), 4u);
    EXPECT_STREQ(format[1].name, "c");
    EXPECT_EQ(format[1].offset, 20u) << "offsets are kept";
    EXPECT_STREQ(format[2].name, "e");

    const uint32_t* elements = reinterpret_cast<const uint32_t*>(format.getComponents().getElements());
    format.compact(); // nothing to drop, count equals capacity: untouched
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(format.getComponents().getElements()), elements);

    for (ParameterFormat::Component& component : format)
        component.type = 0;
    format.compact();
    EXPECT_EQ(format.getCount(), 0u);
    EXPECT_EQ(format.getComponents().getCapacity(), 0u);
}

TEST(ParameterBufferTest, HoldsZeroedStorageLaidOutByItsFormat) {
    EXPECT_EQ(ParameterBuffer::create(ParameterFormat()), nullptr);

    ParameterFormat format;
    format.add("modelview", type::Matrix4);
    format.add("tint", type::Float3);
    auto buffer = object::Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(format));
    ASSERT_NE(buffer, nullptr);
    format.add("later", type::Float2); // the buffer keeps its own copy
    EXPECT_EQ(buffer->getSize(), 76u);
    EXPECT_EQ(buffer->getFormat().getCount(), 2u);
    for (uint32_t index = 0; index < buffer->getSize(); ++index)
        ASSERT_EQ(buffer->getData()[index], 0);

    const float tint[3] = {0.25f, 0.5f, 1.0f};
    EXPECT_TRUE(buffer->set("tint", tint, sizeof tint));
    EXPECT_EQ(static_cast<float*>(buffer->get("tint"))[2], 1.0f);
    EXPECT_EQ(buffer->get("tint"), buffer->getData() + 64);
    const float tooLarge[4] = {};
    EXPECT_FALSE(buffer->set("tint", tooLarge, sizeof tooLarge));
    EXPECT_FALSE(buffer->set("later", tint, sizeof tint));
    EXPECT_EQ(buffer->get("later"), nullptr);
    EXPECT_EQ(buffer->getClassPath(), "Object:ParameterBuffer");
}

} // namespace
} // namespace korvane::graphics3d
