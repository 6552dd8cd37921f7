#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "io/IOException.h"
#include "io/SystemFile.h"
#include "io/TranslatorDDS.h"
#include "io/TranslatorRegistry.h"
#include "object/Pointer.h"
#include "support/io/DdsFile.h"
#include "support/io/TemporaryDirectory.h"

using namespace korvane::io;
using korvane::graphics::Bitmap;
using korvane::graphics::Image;
using korvane::graphics::PixelFormat;
using korvane::object::Pointer;
using korvane::types::String;

namespace {

// A reader of files that start with "TEXT": one 1 x 1 image.
class TextReader : public Translator {
public:
    Image* read(InputStream&, uint32_t) override { return new Bitmap(PixelFormat::BGRA8, 1, 1); }
    bool write(OutputStream&, Image*) override { return false; }
    bool canRead(File& file) override {
        const int64_t position = file.getPosition();
        char bytes[4] = {};
        const bool text = file.read(bytes, 4) == 4 && std::string(bytes, 4) == "TEXT";
        file.seek(position, File::Begin);
        return text;
    }
    String getClassPath() const override { return String::concat(Translator::getClassPath(), ":TextReader"); }
};

int imageCount(Image* first) {
    int count = 0;
    for (Image* image = first; image; image = image->getNext())
        ++count;
    return count;
}

} // namespace

// Files go to the reader that knows them, whatever their names; a file nobody knows is refused with its name
// and the formats tried, and the reader's own refusal of a damaged file passes through as it is.
TEST(TranslatorRegistryTest, TheChainFindsTheReaderOfEachFileAndNamesTheFilesNoReaderKnows) {
    korvane::test::TemporaryDirectory dir;
    korvane::test::DdsHeader header;
    header.width = header.height = 2;
    header.caps1 |= 0x8;
    header.caps2 = 0x200 | 0xFC00;
    const std::vector<unsigned char> cube =
        korvane::test::ddsFile(header, std::vector<unsigned char>(6 * 16, 7));
    dir.write("sky.png", cube);
    dir.write("cut.dds", std::vector<unsigned char>(cube.begin(), cube.begin() + 140));
    dir.write("notes.dds", std::string("TEXT and more"));
    dir.write("empty.dds", std::string());
    auto open = [&](const char* name) {
        return Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path(name).c_str()), File::Read));
    };
    auto refusal = [&](const TranslatorRegistry& registry, const char* name) {
        auto file = open(name);
        try {
            Pointer<Image>::adopt(registry.read(*file, String(name)));
        } catch (const TranslatorFormatException& exception) {
            const std::string message = exception.getMessage().getText();
            // Refused before any reader started: nothing of the file was read.
            if (message.find("not an image") != std::string::npos) {
                EXPECT_EQ(file->getPosition(), 0) << name;
            }
            return message;
        }
        return std::string("read");
    };

    auto registry = Pointer<TranslatorRegistry>::adopt(TranslatorRegistry::createStandard());
    ASSERT_EQ(registry->getTranslators().getCount(), 1u);
    {
        // The DDS reader knows the cube map by its bytes, not by the file's name.
        auto file = open("sky.png");
        Translator* reader = registry->find(*file);
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->getClassPath(), "Object:Translator:TranslatorDDS");
        EXPECT_EQ(file->getPosition(), 0);
        auto images = Pointer<Image>::adopt(registry->read(*file, "sky.png"));
        EXPECT_EQ(imageCount(images.get()), 6);
        EXPECT_EQ(images->getWidth(), 2);
    }
    EXPECT_EQ(refusal(*registry, "notes.dds"), "notes.dds: not an image any reader knows (readers: DDS)");
    EXPECT_EQ(refusal(*registry, "empty.dds"), "empty.dds: not an image any reader knows (readers: DDS)");
    EXPECT_EQ(refusal(*registry, "cut.dds"), "TranslatorFormatException");

    // A second reader goes behind the first: each file still reaches the reader that knows it.
    auto text = Pointer<TextReader>::adopt(new TextReader);
    EXPECT_TRUE(registry->add(text.get()));
    EXPECT_FALSE(registry->add(text.get()));
    EXPECT_FALSE(registry->add(nullptr));
    {
        auto notes = open("notes.dds");
        EXPECT_EQ(registry->find(*notes), text.get());
        EXPECT_EQ(imageCount(Pointer<Image>::adopt(registry->read(*notes, "notes.dds")).get()), 1);
        auto sky = open("sky.png");
        EXPECT_NE(registry->find(*sky), text.get());
    }
    EXPECT_EQ(refusal(*registry, "empty.dds"),
              "empty.dds: not an image any reader knows (readers: DDS, TextReader)");

    TranslatorRegistry none;
    EXPECT_EQ(refusal(none, "sky.png"), "sky.png: not an image any reader knows (no readers)");
}
