#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "io/IOException.h"
#include "io/SystemFile.h"
#include "io/TranslatorDDS.h"
#include "object/Pointer.h"
#include "support/io/AllocationProbe.h"
#include "support/io/DdsFile.h"
#include "support/io/TemporaryDirectory.h"

using namespace korvane::io;
using korvane::graphics::Image;
using korvane::graphics::PixelFormat;
using korvane::object::Pointer;
using korvane::test::appendBytes;
using korvane::test::ddsFile;
using korvane::test::DdsHeader;
using korvane::test::tagged;
using korvane::types::String;

namespace {

constexpr uint32_t FourCC(const char (&text)[5]) {
    return uint32_t(text[0]) | uint32_t(text[1]) << 8 | uint32_t(text[2]) << 16 | uint32_t(text[3]) << 24;
}

class TranslatorDDSTest : public ::testing::Test {
protected:
    // Writes the bytes to a file and reads it through the file's own input stream.
    Pointer<Image> read(const std::vector<unsigned char>& bytes) {
        std::string name = "f" + std::to_string(files++) + ".dds";
        dir.write(name, bytes);
        auto file = Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path(name).c_str()), File::Read));
        return Pointer<Image>::adopt(translator.read(file->getInputStream(), 0));
    }

    // The images of a chain in order.
    static std::vector<Image*> chain(Image* first) {
        std::vector<Image*> images;
        for (Image* image = first; image; image = image->getNext())
            images.push_back(image);
        return images;
    }

    static std::vector<unsigned char> pixels(Image* image) {
        auto* bytes = static_cast<unsigned char*>(image->lock());
        return std::vector<unsigned char>(bytes, bytes + size_t(image->getPitch()) * image->getHeight());
    }

    static unsigned firstTag(Image* image) { return static_cast<unsigned char*>(image->lock())[0] >> 4; }

    korvane::test::TemporaryDirectory dir;
    TranslatorDDS translator;
    int files = 0;
};

} // namespace

TEST_F(TranslatorDDSTest, EachFormatRowSelectsItsPixelFormat) {
    struct Row {
        uint32_t fourCC;
        uint32_t bitCount;
        PixelFormat format;
    };
    const Row rows[] = {
        {20, 0, PixelFormat::BGR8},
        {21, 0, PixelFormat::BGRA8},
        {22, 0, PixelFormat::BGRA8},
        {23, 0, PixelFormat::R5G6B5},
        {24, 0, PixelFormat::RGB5A1},
        {36, 0, PixelFormat::BGRA16},
        {41, 0, PixelFormat::P8},
        {FourCC("DXT1"), 0, PixelFormat::DXT1},
        {FourCC("DXT3"), 0, PixelFormat::DXT3},
        {FourCC("DXT5"), 0, PixelFormat::DXT5},
        {0, 16, PixelFormat::R5G6B5},
        {0, 24, PixelFormat::BGR8},
        {0, 32, PixelFormat::BGRA8},
        {FourCC("ATI2"), 24, PixelFormat::BGR8},
    };
    for (const Row& row : rows) {
        DdsHeader header;
        header.width = 3;
        header.height = 2;
        header.fourCC = row.fourCC;
        header.bitCount = row.bitCount;
        size_t bytes = 6 * korvane::graphics::getBytesPerPixel(row.format);
        // Compressed files carry their blocks, which the reader leaves unread.
        size_t stored = bytes ? bytes : (row.format == PixelFormat::DXT1 ? 8 : 16);
        Pointer<Image> image = read(ddsFile(header, tagged(stored, 5)));
        ASSERT_NE(image.get(), nullptr) << row.fourCC;
        EXPECT_EQ(image->getFormat(), row.format) << row.fourCC;
        EXPECT_EQ(translator.getFormat(), row.format);
        EXPECT_EQ(image->getWidth(), 3);
        EXPECT_EQ(image->getHeight(), 2);
        EXPECT_EQ(image->getNext(), nullptr);
        EXPECT_FALSE(image->isLocked());
        EXPECT_EQ(pixels(image), tagged(bytes, 5)) << row.fourCC;
    }

    DdsHeader unknown;
    unknown.bitCount = 8;
    EXPECT_THROW(read(ddsFile(unknown, tagged(4, 0))), TranslatorFormatException);
}

TEST_F(TranslatorDDSTest, AZeroFourCCWith32BitsIsBGRA8WhateverTheMasks) {
    DdsHeader header;
    header.fourCC = 0;
    header.bitCount = 32;
    header.masks[0] = 0x000000FF;
    header.masks[2] = 0x00FF0000;
    Pointer<Image> image = read(ddsFile(header, {1, 2, 3, 4}));
    EXPECT_EQ(image->getFormat(), PixelFormat::BGRA8);
    EXPECT_EQ(pixels(image), (std::vector<unsigned char>{1, 2, 3, 4}));
}

TEST_F(TranslatorDDSTest, MipmapLevelsHalveDownToOne) {
    DdsHeader header = korvane::test::mipmapHeader(4, 2, 4);
    std::vector<unsigned char> data;
    appendBytes(data, tagged(4 * 2 * 4, 0));
    appendBytes(data, tagged(2 * 1 * 4, 1));
    appendBytes(data, tagged(1 * 1 * 4, 2));
    appendBytes(data, tagged(1 * 1 * 4, 3));
    Pointer<Image> first = read(ddsFile(header, data));
    auto images = chain(first);
    ASSERT_EQ(images.size(), 4u);
    const int sizes[][2] = {{4, 2}, {2, 1}, {1, 1}, {1, 1}};
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i]->getWidth(), sizes[i][0]);
        EXPECT_EQ(images[i]->getHeight(), sizes[i][1]);
        EXPECT_EQ(firstTag(images[i]), i);
    }
    EXPECT_EQ(translator.getLevelCount(), 4u);

    // A count of 0, or a count without its flag, means one level.
    header.levels = 0;
    EXPECT_EQ(chain(read(ddsFile(header, data))).size(), 1u);
    header.flags &= ~korvane::test::DdsMipmapCount;
    header.levels = 3;
    EXPECT_EQ(chain(read(ddsFile(header, data))).size(), 1u);
}

TEST_F(TranslatorDDSTest, VolumesCarryTheirSlicesInsideEachLevel) {
    DdsHeader header = korvane::test::volumeHeader(4, 4, 3);
    std::vector<unsigned char> data;
    const int slices[] = {4, 2, 1};
    const int sizes[] = {4, 2, 1};
    unsigned tag = 0;
    for (int level = 0; level < 3; ++level)
        for (int slice = 0; slice < slices[level]; ++slice)
            appendBytes(data, tagged(size_t(sizes[level] * sizes[level] * 4), tag++));
    Pointer<Image> first = read(ddsFile(header, data));
    auto images = chain(first);
    ASSERT_EQ(images.size(), 7u);
    for (size_t i = 0; i < images.size(); ++i) {
        int level = i < 4 ? 0 : i < 6 ? 1 : 2;
        EXPECT_EQ(images[i]->getWidth(), sizes[level]);
        EXPECT_EQ(firstTag(images[i]), i);
    }
    EXPECT_EQ(translator.getDepth(), 4u);

    // Without the complex flag the same header is a plain image.
    header.caps1 = 0x1000;
    EXPECT_EQ(chain(read(ddsFile(header, data))).size(), 3u);
}

TEST_F(TranslatorDDSTest, CubeMapsComeLevelByLevelWithAllFaces) {
    DdsHeader header = korvane::test::cubeHeader(2, 2);
    // In the file each face has all its levels before the next face.
    std::vector<unsigned char> data;
    for (unsigned face = 0; face < 6; ++face) {
        appendBytes(data, tagged(2 * 2 * 4, face));
        appendBytes(data, tagged(1 * 1 * 4, 8 + face));
    }
    Pointer<Image> first = read(ddsFile(header, data));
    auto images = chain(first);
    ASSERT_EQ(images.size(), 12u);
    for (unsigned face = 0; face < 6; ++face) {
        EXPECT_EQ(firstTag(images[face]), face);
        EXPECT_EQ(images[face]->getWidth(), 2);
        EXPECT_EQ(firstTag(images[6 + face]), 8 + face);
        EXPECT_EQ(images[6 + face]->getWidth(), 1);
    }
}

TEST_F(TranslatorDDSTest, CubeMapsKeepOnlyThePresentFacesInOrder) {
    DdsHeader header = korvane::test::cubeHeader(2, 2, 0x400 | 0x2000); // +X and -Y
    std::vector<unsigned char> data;
    appendBytes(data, tagged(16, 1)); // +X level 0
    appendBytes(data, tagged(4, 2));  // +X level 1
    appendBytes(data, tagged(16, 3)); // -Y level 0
    appendBytes(data, tagged(4, 4));  // -Y level 1
    Pointer<Image> first = read(ddsFile(header, data));
    auto images = chain(first);
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(firstTag(images[0]), 1u);
    EXPECT_EQ(firstTag(images[1]), 3u);
    EXPECT_EQ(firstTag(images[2]), 2u);
    EXPECT_EQ(firstTag(images[3]), 4u);

    header.caps2 = korvane::test::DdsCubeMap; // a cube map without faces
    EXPECT_THROW(read(ddsFile(header, data)), TranslatorFormatException);
}

TEST_F(TranslatorDDSTest, BadHeadersAreRefused) {
    DdsHeader header;
    std::vector<unsigned char> good = ddsFile(header, {1, 2, 3, 4});
    EXPECT_NO_THROW(read(good));

    std::vector<unsigned char> magic = good;
    magic[3] = 'X';
    EXPECT_THROW(read(magic), TranslatorFormatException);
    EXPECT_EQ(TranslatorFormatException().getClassPath(),
              "Object:Exception:IOException:TranslatorException:TranslatorFormatException");
    for (uint32_t missing : {0x1u, 0x2u, 0x4u, 0x1000u}) {
        DdsHeader flags;
        flags.flags = 0x1007 & ~missing;
        EXPECT_THROW(read(ddsFile(flags, {1, 2, 3, 4})), TranslatorFormatException) << missing;
    }
    // A header cut short.
    EXPECT_THROW(read(std::vector<unsigned char>(good.begin(), good.begin() + 16)),
                 TranslatorFormatException);
    EXPECT_THROW(read({}), TranslatorFormatException);
}

TEST_F(TranslatorDDSTest, PixelDataEndingEarlyIsRefused) {
    DdsHeader header;
    header.width = 4;
    header.height = 4;
    std::vector<unsigned char> data = tagged(4 * 4 * 4 - 1, 1);
    EXPECT_THROW(read(ddsFile(header, data)), TranslatorFormatException);

    // A later level or face missing is refused as well.
    header.flags |= 0x20000;
    header.levels = 2;
    data = tagged(4 * 4 * 4 + 3, 1);
    EXPECT_THROW(read(ddsFile(header, data)), TranslatorFormatException);
    header.levels = 1;
    header.caps1 |= 0x8;
    header.caps2 = 0x200 | 0x400 | 0x800;
    data = tagged(4 * 4 * 4 * 2 - 1, 1);
    EXPECT_THROW(read(ddsFile(header, data)), TranslatorFormatException);
}

TEST_F(TranslatorDDSTest, OversizedHeadersAreRefusedBeforeAllocating) {
    struct Case {
        const char* what;
        DdsHeader header;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change) {
        DdsHeader header;
        change(header);
        cases.push_back({what, header});
    };
    add("gigabytes of pixels", [](DdsHeader& h) { h.width = h.height = 32768; });
    add("products beyond 64 bits", [](DdsHeader& h) {
        h.width = h.height = 0x7FFFFFFF;
        h.fourCC = 36;
    });
    add("a width beyond 31 bits", [](DdsHeader& h) { h.width = 0xFFFFFFFF; });
    add("rows beyond 31 bits", [](DdsHeader& h) {
        h.width = 0x20000000;
        h.fourCC = 36;
    });
    add("endless levels", [](DdsHeader& h) {
        h.flags |= 0x20000;
        h.levels = 0xFFFFFFFF;
    });
    add("endless slices", [](DdsHeader& h) {
        h.flags |= 0x800000;
        h.depth = 0xFFFFFFFF;
        h.caps1 |= 0x8;
        h.caps2 = 0x200000;
    });
    add("huge compressed images", [](DdsHeader& h) {
        h.width = h.height = 0x7FFFFFFF;
        h.fourCC = FourCC("DXT5");
    });
    add("endless compressed levels", [](DdsHeader& h) {
        h.flags |= 0x20000;
        h.levels = 0xFFFFFFFF;
        h.fourCC = FourCC("DXT1");
    });
    add("a large cube", [](DdsHeader& h) {
        h.width = h.height = 8192;
        h.caps1 |= 0x8;
        h.caps2 = 0xFE00;
    });
    for (const Case& c : cases) {
        std::vector<unsigned char> bytes = ddsFile(c.header, tagged(64, 1));
        korvane::test::AllocationProbe probe;
        EXPECT_THROW(read(bytes), TranslatorFormatException) << c.what;
        EXPECT_LT(probe.getLargest(), size_t(1) << 16) << c.what;
    }
}

TEST_F(TranslatorDDSTest, LevelCountsBeyondAnyEdgeAreRefusedEvenWhenTheBytesArePresent) {
    // 1x1 palette levels cost one byte each, so the file's size alone does not bound their number.
    DdsHeader header;
    header.flags |= 0x20000;
    header.fourCC = 41;
    for (uint32_t levels : {3u, 32u, 33u, 4096u}) {
        header.levels = levels;
        std::vector<unsigned char> bytes = ddsFile(header, tagged(4096, 1));
        if (levels > 32) {
            EXPECT_THROW(read(bytes), TranslatorFormatException) << levels;
            continue;
        }
        Pointer<Image> first = read(bytes);
        auto images = chain(first);
        EXPECT_EQ(images.size(), levels);
        EXPECT_EQ(images.back()->getWidth(), 1);
    }
}

TEST_F(TranslatorDDSTest, CanReadLooksAtTheMagicAndKeepsThePosition) {
    dir.write("yes.dds", ddsFile(DdsHeader(), {1, 2, 3, 4}));
    dir.write("no.dds", std::string("PNG and more"));
    auto yes = Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path("yes.dds").c_str()), File::Read));
    EXPECT_TRUE(translator.canRead(*yes));
    EXPECT_EQ(yes->getPosition(), 0);
    yes->seek(2, File::Begin);
    EXPECT_FALSE(translator.canRead(*yes)); // reads from where the file stands
    EXPECT_EQ(yes->getPosition(), 2);

    auto no = Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path("no.dds").c_str()), File::Read));
    EXPECT_FALSE(translator.canRead(*no));
    EXPECT_EQ(no->getPosition(), 0);
    yes = nullptr;

    auto writeOnly =
        Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path("yes.dds").c_str()), File::Write));
    writeOnly->seek(1, File::Begin);
    EXPECT_FALSE(translator.canRead(*writeOnly));
    EXPECT_EQ(writeOnly->getPosition(), 1);
    writeOnly->close();
    EXPECT_FALSE(translator.canRead(*writeOnly)); // errors become false

    EXPECT_FALSE(translator.write(writeOnly->getOutputStream(), nullptr));
    auto properties = Pointer<korvane::object::PropertyList>::adopt(translator.createProperties());
    EXPECT_EQ(properties->getProperties().getCount(), 0u);
    EXPECT_EQ(translator.getClassPath(), "Object:Translator:TranslatorDDS");
}
