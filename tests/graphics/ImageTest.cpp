#include <gtest/gtest.h>

#include <cstring>

#include "graphics/Bitmap.h"
#include "object/Pointer.h"

using namespace korvane::graphics;
using korvane::object::Pointer;

namespace {

Pointer<Bitmap> bitmap(PixelFormat format, int32_t width, int32_t height) {
    return Pointer<Bitmap>::adopt(new Bitmap(format, width, height));
}

} // namespace

TEST(ImageTest, PitchFollowsTheFormatTable) {
    struct Row {
        uint32_t code;
        int32_t bytes;
    };
    const Row rows[] = {
        {0x00200001, 4}, {0x00100002, 2}, {0x00100003, 2},  {0x00180004, 3},  {0x00080006, 1},
        {0x00180007, 3}, {0x00200008, 4}, {0x00100009, 6},  {0x0040000A, 8},  {0x0010000B, 6},
        {0x0040000C, 8}, {0x0008000D, 1}, {0x0010000E, 2},  {0x00100011, 2},  {0x10400013, 8},
        {0x10300014, 6}, {0x10100017, 2}, {0x30800019, 16}, {0x3060001A, 12}, {0x3020001E, 0},
        {0x40000040, 0}, {0x40000041, 0}, {0x80000080, 0},  {0x80000081, 0},  {0x80000082, 0},
        {0x00240005, 5}, {0x0010000F, 2}, {0x00200010, 4},  {0x00200012, 4},  {0x10400015, 8},
        {0x10300016, 6}, {0x10200018, 4}, {0x3080001B, 16}, {0x3060001C, 12}, {0x12345678, 0}};
    for (const Row& row : rows) {
        auto image = bitmap(PixelFormat(row.code), 7, 3);
        EXPECT_EQ(image->getPitch(), 7 * row.bytes) << std::hex << row.code;
        EXPECT_EQ(image->getByteCount(), size_t(21 * row.bytes)) << std::hex << row.code;
        EXPECT_EQ(bitmap(PixelFormat(row.code), 0, 3)->getPitch(), 0);
    }
}

TEST(ImageTest, BitmapsStartZeroedAndUnlocked) {
    auto image = bitmap(PixelFormat::BGR8, 5, 4);
    EXPECT_EQ(image->getWidth(), 5);
    EXPECT_EQ(image->getHeight(), 4);
    EXPECT_FALSE(image->isLocked());
    EXPECT_EQ(image->getNext(), nullptr);
    EXPECT_TRUE(image->getText().isEmpty());
    auto* pixels = static_cast<unsigned char*>(image->lock());
    for (size_t i = 0; i < image->getByteCount(); ++i)
        ASSERT_EQ(pixels[i], 0);

    // Compressed formats have no size entry: no bytes, but still a pointer.
    auto compressed = bitmap(PixelFormat::DXT1, 64, 64);
    EXPECT_EQ(compressed->getPitch(), 0);
    EXPECT_EQ(compressed->getByteCount(), 0u);
    EXPECT_NE(compressed->lock(), nullptr);

    auto negative = bitmap(PixelFormat::RGBA8, -4, 2);
    EXPECT_EQ(negative->getWidth(), 0);
    EXPECT_THROW(Bitmap(PixelFormat::RGBA16, 0x20000000, 1), std::bad_alloc);
    EXPECT_EQ(image->getClassPath(), "Object:Image:Bitmap");
}

TEST(ImageTest, PalettesExistOnlyForP8) {
    Palette<unsigned char> palette;
    palette[3][0] = 200;
    palette[255][2] = 7;
    Palette<unsigned char> out;
    out[0][0] = 9;

    auto rgba = bitmap(PixelFormat::RGBA8, 1, 1);
    EXPECT_FALSE(rgba->getPalette(out));
    EXPECT_EQ(out[0][0], 9); // left unchanged
    EXPECT_FALSE(rgba->setPalette(palette));

    auto indexed = bitmap(PixelFormat::P8, 2, 2);
    ASSERT_TRUE(indexed->getPalette(out));
    EXPECT_EQ(out, Palette<unsigned char>()); // all zero
    ASSERT_TRUE(indexed->setPalette(palette));
    auto other = bitmap(PixelFormat::P8, 1, 1);
    EXPECT_TRUE(other->copyPalette(*indexed));
    ASSERT_TRUE(other->getPalette(out));
    EXPECT_EQ(out, palette);

    auto bgr = bitmap(PixelFormat::BGR8, 1, 1);
    EXPECT_FALSE(bgr->copyPalette(*indexed));
    EXPECT_FALSE(indexed->copyPalette(*bgr));
    EXPECT_EQ(palette.getClassPath(), "Object:Palette");
}

TEST(ImageTest, ChainsAreOwnedByTheirFirstImage) {
    Bitmap* first = new Bitmap(PixelFormat::A8, 4, 4);
    Bitmap* second = new Bitmap(PixelFormat::A8, 2, 2);
    first->setNext(second);
    EXPECT_EQ(second->getReferenceCount(), 2);
    second->addReference(); // someone else keeps the second image
    second->release();
    second->release();
    EXPECT_EQ(first->getNext(), second);

    Pointer<Image> kept = second;
    first->release();
    EXPECT_EQ(kept->getReferenceCount(), 1);
    EXPECT_EQ(kept->getWidth(), 2);

    Image* detached = kept->detachNext();
    EXPECT_EQ(detached, nullptr);
}

TEST(ImageTest, LongChainsAreReleasedWithoutDeepRecursion) {
    Image* first = new Bitmap(PixelFormat::A8, 1, 1);
    Image* last = first;
    for (int i = 0; i < 300000; ++i) {
        Image* image = new Bitmap(PixelFormat::A8, 1, 1);
        last->setNext(image);
        image->release();
        last = image;
    }
    first->release();
}
