#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "freetype/FontFactory.h"
#include "freetype/FreetypeException.h"
#include "io/SystemFileFactory.h"
#include "object/Pointer.h"
#include "support/freetype/Fonts.h"
#include "support/io/TemporaryDirectory.h"

namespace korvane::freetype {
namespace {

using object::Pointer;
using test::copyFont;
using test::TemporaryDirectory;

Pointer<FontFactory> factoryFor(const TemporaryDirectory& directory) {
    auto files = Pointer<io::SystemFileFactory>::adopt(new io::SystemFileFactory(directory.path().c_str()));
    return Pointer<FontFactory>::adopt(new FontFactory(files.get()));
}

std::set<std::string> catalogued(const FontFactory& factory) {
    std::set<std::string> names;
    for (const FontFactory::FontInfo& info : factory.getFonts())
        names.insert(info.path.getText());
    return names;
}

TEST(FontFactory, CataloguesOnlyTheFontsAmongEveryKindOfEntry) {
    TemporaryDirectory directory;
    copyFont(directory.path(), "DejaVuSans.ttf", "sans.ttf");
    copyFont(directory.path(), "DejaVuSerif-Bold.ttf", "serif-bold");
    const std::string font = directory.read("sans.ttf");
    directory.write("notes.txt", std::string("not a font at all\n"));
    directory.write("empty.ttf", std::string());
    directory.write("truncated.ttf", font.substr(0, font.size() / 2));
    directory.write("header-only.ttf", font.substr(0, 12));
    std::filesystem::create_directory(directory.path("fonts.d"));
    copyFont(directory.path("fonts.d"), "DejaVuSansMono.ttf", "inside.ttf");
    ASSERT_EQ(mkfifo(directory.path("idle.pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(directory.path("busy.pipe").c_str(), 0600), 0);
    // A pipe whose other end is open (and silent) must not stall the catalogue either.
    const int peer = open(directory.path("busy.pipe").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(peer, 0);
    std::filesystem::create_symlink(directory.path("sans.ttf"), directory.path("linked.ttf"));
    std::filesystem::create_symlink(directory.path("missing.ttf"), directory.path("dangling.ttf"));

    auto factory = factoryFor(directory);
    close(peer);

    EXPECT_EQ(catalogued(*factory), (std::set<std::string>{"sans.ttf", "serif-bold", "linked.ttf"}));
    for (const FontFactory::FontInfo& info : factory->getFonts()) {
        if (info.path == "serif-bold") {
            EXPECT_EQ(info.family, "dejavu serif");
            EXPECT_EQ(info.style, "bold");
        }
    }
    EXPECT_FALSE(factory->addFont("notes.txt"));
    EXPECT_FALSE(factory->addFont("no-such-file"));
    EXPECT_EQ(factory->getFonts().getCount(), 3u);
}

TEST(FontFactory, NoFontsMeansNoMatch) {
    TemporaryDirectory empty;
    EXPECT_THROW(factoryFor(empty)->createFont(Descriptor("DejaVu Sans", 24, 24)), NoMatchException);
    EXPECT_EQ(NoMatchException().getClassPath(), "Object:Exception:FreetypeException:NoMatchException");

    TemporaryDirectory junk;
    junk.write("a.ttf", std::string(4096, '\x01'));
    EXPECT_THROW(factoryFor(junk)->createFont(Descriptor()), NoMatchException);

    // A directory that cannot be listed leaves an empty catalogue rather than an exception.
    auto missing = Pointer<io::SystemFileFactory>::adopt(new io::SystemFileFactory("/nonexistent/korvane"));
    auto factory = Pointer<FontFactory>::adopt(new FontFactory(missing.get()));
    EXPECT_TRUE(factory->getFonts().isEmpty());
    EXPECT_THROW(factory->createFont(Descriptor()), NoMatchException);
}

TEST(FontFactory, ChoosesFamilyAndStyleWithTheLaterEntryWinningTies) {
    TemporaryDirectory directory;
    // Catalogued while empty, then filled in a known order (a listing's order is the file system's).
    auto factory = factoryFor(directory);
    copyFont(directory.path(), "DejaVuSans.ttf", "sans");
    copyFont(directory.path(), "DejaVuSans-Bold.ttf", "sans-bold");
    copyFont(directory.path(), "DejaVuSerif.ttf", "serif");
    for (const char* name : {"sans", "sans-bold", "serif"})
        ASSERT_TRUE(factory->addFont(name));

    auto chosen = [&](const char* family, const char* style) {
        Descriptor descriptor(family, 12, 12);
        descriptor.style = style;
        auto font = Pointer<Font>::adopt(factory->createFont(descriptor));
        return std::string(font->getDescriptor().getName().getText());
    };
    EXPECT_EQ(chosen("DejaVu Sans", "Book"), "DejaVu Sans Book");
    EXPECT_EQ(chosen("dejavu sans", "BOLD"), "DejaVu Sans Bold");
    // Family alone: both Sans entries score 100 and the later one wins.
    EXPECT_EQ(chosen("DejaVu Sans", "regular"), "DejaVu Sans Bold");
    // A style alone counts for less than a family.
    EXPECT_EQ(chosen("DejaVu Serif", "Bold"), "DejaVu Serif Book");
    // No family match: the last font found.
    EXPECT_EQ(chosen("Accidental Presidency", "regular"), "DejaVu Serif Book");
    EXPECT_EQ(chosen("Accidental Presidency", "bold"), "DejaVu Sans Bold");
    EXPECT_EQ(chosen("", ""), "DejaVu Serif Book");
}

TEST(FontFactory, ReportsACataloguedFileThatChangedSince) {
    TemporaryDirectory directory;
    copyFont(directory.path(), "DejaVuSans.ttf", "sans.ttf");
    copyFont(directory.path(), "DejaVuSerif.ttf", "serif.ttf");
    auto factory = factoryFor(directory);
    ASSERT_EQ(factory->getFonts().getCount(), 2u);

    std::filesystem::remove(directory.path("sans.ttf"));
    EXPECT_THROW(factory->createFont(Descriptor("DejaVu Sans", 24, 24)), FormatException);
    directory.write("serif.ttf", std::string("overwritten"));
    EXPECT_THROW(factory->createFont(Descriptor("DejaVu Serif", 24, 24)), FreetypeException);
}

TEST(FontFactory, BuildsFontsOnSeveralThreadsAtOnce) {
    TemporaryDirectory directory;
    copyFont(directory.path(), "DejaVuSans.ttf", "sans.ttf");
    copyFont(directory.path(), "DejaVuSansMono.ttf", "mono.ttf");
    auto factory = factoryFor(directory);
    std::vector<std::thread> threads;
    std::vector<int32_t> widths(4);
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < 3; ++round) {
                Descriptor descriptor(i % 2 ? "DejaVu Sans Mono" : "DejaVu Sans", 14, 14);
                auto font = Pointer<Font>::adopt(factory->createFont(descriptor));
                widths[size_t(i)] = font->getImage().getWidth();
                // Cataloguing again meanwhile must not disturb the builds.
                if (i == 0)
                    factory->addFont("mono.ttf");
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(widths[0], widths[2]);
    EXPECT_EQ(widths[1], widths[3]);
    EXPECT_GT(widths[0], 0);
}

} // namespace
} // namespace korvane::freetype
