#include <gtest/gtest.h>

#include <vector>

#include "container/Chain.h"
#include "graphics/Bitmap.h"
#include "graphics/FilterResize.h"
#include "object/Pointer.h"

using namespace korvane::graphics;
using korvane::object::Pointer;

namespace {

// A one-byte-per-pixel image whose pixel (x, y) holds 16 y + x.
Pointer<Bitmap> numbered(PixelFormat format, int32_t width, int32_t height) {
    auto image = Pointer<Bitmap>::adopt(new Bitmap(format, width, height));
    auto* pixels = static_cast<unsigned char*>(image->lock());
    uint32_t size = getBytesPerPixel(format);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (uint32_t b = 0; b < size; ++b)
                pixels[y * image->getPitch() + x * size + b] = static_cast<unsigned char>(16 * y + x + b);
    return image;
}

Pointer<Image> resize(Image* source, int32_t width, int32_t height) {
    FilterResize filter(width, height);
    return Pointer<Image>::adopt(filter.apply(source));
}

// Pixel values of a one-byte-per-pixel image, row by row.
std::vector<int> values(Image* image) {
    std::vector<int> out;
    auto* pixels = static_cast<unsigned char*>(image->lock());
    for (int32_t y = 0; y < image->getHeight(); ++y)
        for (int32_t x = 0; x < image->getWidth(); ++x)
            out.push_back(pixels[y * image->getPitch() + x]);
    return out;
}

} // namespace

TEST(FilterResizeTest, PicksNearestColumnsAndRows) {
    auto source = numbered(PixelFormat::A8, 3, 3);
    auto wide = resize(source, 5, 1);
    ASSERT_NE(wide.get(), nullptr);
    EXPECT_EQ(values(wide), (std::vector<int>{0, 0, 1, 1, 2}));

    auto tall = resize(source, 1, 5);
    EXPECT_EQ(values(tall), (std::vector<int>{0x00, 0x00, 0x10, 0x10, 0x20}));

    // Shrinking keeps the first and last rows and columns.
    auto big = numbered(PixelFormat::A8, 5, 4);
    auto small = resize(big, 3, 3);
    EXPECT_EQ(values(small), (std::vector<int>{0x00, 0x02, 0x04, 0x10, 0x12, 0x14, 0x30, 0x32, 0x34}));
    EXPECT_FALSE(source->isLocked());
    EXPECT_FALSE(small->isLocked());
}

TEST(FilterResizeTest, TargetOfOneTakesTheFirstColumnAndRow) {
    auto source = numbered(PixelFormat::A8, 4, 3);
    EXPECT_EQ(values(resize(source, 1, 1)), (std::vector<int>{0}));
    EXPECT_EQ(values(resize(source, 1, 3)), (std::vector<int>{0x00, 0x10, 0x20}));
    EXPECT_EQ(values(resize(source, 4, 1)), (std::vector<int>{0, 1, 2, 3}));
}

TEST(FilterResizeTest, MovesWholePixelsOfEverySize) {
    for (PixelFormat format : {PixelFormat::RGB8, PixelFormat::BGRA8, PixelFormat::R5G6B5, PixelFormat::RGB16,
                               PixelFormat::BGR16, PixelFormat::RGBA16, PixelFormat::RGB16F}) {
        auto source = numbered(format, 3, 2);
        auto result = resize(source, 5, 2);
        ASSERT_NE(result.get(), nullptr);
        EXPECT_EQ(result->getFormat(), format);
        uint32_t size = getBytesPerPixel(format);
        auto* pixels = static_cast<unsigned char*>(result->lock());
        const int columns[] = {0, 0, 1, 1, 2};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 5; ++x)
                for (uint32_t b = 0; b < size; ++b)
                    ASSERT_EQ(pixels[y * result->getPitch() + x * size + b], 16 * y + columns[x] + b)
                        << std::hex << uint32_t(format);
    }
}

TEST(FilterResizeTest, RefusesWhatItCannotResample) {
    for (PixelFormat format : {PixelFormat::RGB32F, PixelFormat::RGBA32F, PixelFormat::A32F,
                               PixelFormat::DXT1, PixelFormat::Depth24}) {
        Bitmap source(format, 4, 4);
        EXPECT_EQ(resize(&source, 2, 2).get(), nullptr) << std::hex << uint32_t(format);
    }
    Bitmap empty(PixelFormat::A8, 0, 0);
    EXPECT_EQ(resize(&empty, 2, 2).get(), nullptr);
    auto nothing = resize(&empty, 0, 0);
    ASSERT_NE(nothing.get(), nullptr);
    EXPECT_EQ(nothing->getWidth(), 0);
}

TEST(FilterResizeTest, PaletteComesAlongAndTheChainStaysBehind) {
    auto source = numbered(PixelFormat::P8, 2, 2);
    Palette<unsigned char> palette;
    palette[1][1] = 99;
    source->setPalette(palette);
    source->setNext(Pointer<Bitmap>::adopt(new Bitmap(PixelFormat::P8, 1, 1)));

    auto result = resize(source, 4, 4);
    ASSERT_NE(result.get(), nullptr);
    EXPECT_EQ(result->getFormat(), PixelFormat::P8);
    Palette<unsigned char> copied;
    ASSERT_TRUE(result->getPalette(copied));
    EXPECT_EQ(copied, palette);
    EXPECT_EQ(result->getNext(), nullptr);
    EXPECT_EQ(result->getReferenceCount(), 1);
}

TEST(FilterResizeTest, FiltersLeaveTheirChainWhenDestroyed) {
    korvane::container::Chain<korvane::io::Filter<Image, Image>> chain;
    auto* filter = new FilterResize(2, 2);
    chain.append(filter);
    EXPECT_EQ(filter->getClassPath(), "Object:Filter:FilterImage:FilterResize");
    filter->release(); // the chain holds the last reference
    EXPECT_EQ(chain.getCount(), 1u);
    chain.clear();
    EXPECT_EQ(chain.getCount(), 0u);
}
