#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "io/IOException.h"
#include "io/SystemDirectory.h"
#include "io/SystemFileFactory.h"
#include "object/Pointer.h"
#include "support/io/TemporaryDirectory.h"

using namespace korvane::io;
using korvane::object::Pointer;
using korvane::types::String;

namespace {

struct Entry {
    std::string name;
    uint32_t flags;
    uint64_t size;
};

std::vector<Entry> entriesOf(const Directory& directory) {
    std::vector<Entry> entries;
    for (const FileInfo& info : directory.getEntries())
        entries.push_back({info.getNameText(), info.getFlags(), info.getSize()});
    return entries;
}

const Entry* find(const std::vector<Entry>& entries, const std::string& name) {
    for (const Entry& entry : entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

} // namespace

TEST(SystemFileFactoryTest, JoinsNamesWithOneBackslash) {
    EXPECT_EQ(SystemFileFactory(".").join("a.ttf"), ".\\a.ttf");
    EXPECT_EQ(SystemFileFactory("data\\").join("a.ttf"), "data\\a.ttf");
    EXPECT_EQ(SystemFileFactory("").join("a.ttf"), "a.ttf");
    EXPECT_EQ(SystemFileFactory(".").getClassPath(), "Object:FileFactory:SystemFileFactory");
}

TEST(SystemFileFactoryTest, OpensCreatesAndTestsFilesUnderItsBase) {
    korvane::test::TemporaryDirectory dir;
    auto factory = Pointer<SystemFileFactory>::adopt(new SystemFileFactory(String(dir.path().c_str())));
    EXPECT_FALSE(factory->exists("new.txt"));
    {
        auto created = Pointer<File>::adopt(factory->create("new.txt"));
        EXPECT_EQ(created->getOutputStream().write("abc", 3), 3);
    }
    EXPECT_TRUE(factory->exists("new.txt"));
    auto opened = Pointer<File>::adopt(factory->open("new.txt", File::Read));
    EXPECT_EQ(opened->getSize(), 3);
    EXPECT_THROW(factory->open("missing.txt", File::Read), FileNotFoundException);
}

TEST(SystemFileFactoryTest, ListingsShowEveryEntryWithItsFlags) {
    korvane::test::TemporaryDirectory dir;
    dir.write("font.ttf", std::string("12345"));
    dir.write(".secret", std::string("x"));
    chmod(dir.path(".secret").c_str(), 0444);
    std::filesystem::create_directory(dir.path("sub"));
    std::filesystem::create_symlink(dir.path("font.ttf"), dir.path("alias.ttf"));

    SystemFileFactory factory(String(dir.path().c_str()));
    auto directory = Pointer<Directory>::adopt(factory.openDirectory());
    auto entries = entriesOf(*directory);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(find(entries, ".")->flags, 0x07u);
    EXPECT_EQ(find(entries, "..")->flags, 0x07u);
    EXPECT_EQ(find(entries, "sub")->flags, 0x07u);
    EXPECT_EQ(find(entries, ".secret")->flags, 0x11u);
    EXPECT_EQ(find(entries, "font.ttf")->flags, 0x03u);
    EXPECT_EQ(find(entries, "font.ttf")->size, 5u);
    EXPECT_EQ(find(entries, "alias.ttf")->flags & 0x24u, 0x20u);

    const FileInfo& first = *directory->getEntries().begin();
    EXPECT_EQ(first.getName(), ".");
    EXPECT_EQ(first.getClassPath(), "Object:FileInfo");
    EXPECT_GT(first.getModified(), 0u);
}

TEST(SystemFileFactoryTest, RefreshAppendsAndOpenStartsAfresh) {
    korvane::test::TemporaryDirectory dir;
    dir.write("a", std::string());
    SystemDirectory directory;
    directory.open(String(dir.path().c_str()));
    EXPECT_EQ(directory.getEntries().getCount(), 3u);
    directory.refresh();
    EXPECT_EQ(directory.getEntries().getCount(), 6u);
    directory.open(String((dir.path() + "\\").c_str()));
    EXPECT_EQ(directory.getEntries().getCount(), 3u);
    EXPECT_EQ(directory.getClassPath(), "Object:Directory:SystemDirectory");
}

TEST(SystemFileFactoryTest, AnEmptyBaseListsTheWorkingDirectory) {
    korvane::test::TemporaryDirectory dir;
    dir.write("here.txt", std::string());
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    SystemFileFactory factory("");
    auto directory = Pointer<Directory>::adopt(factory.openDirectory());
    EXPECT_TRUE(factory.exists("here.txt"));
    ASSERT_EQ(chdir(previous), 0);
    auto entries = entriesOf(*directory);
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_NE(find(entries, "here.txt"), nullptr);
}

TEST(SystemFileFactoryTest, AMissingDirectoryIsReported) {
    korvane::test::TemporaryDirectory dir;
    SystemFileFactory factory(String(dir.path("missing").c_str()));
    EXPECT_THROW(factory.openDirectory(), DirectoryNotFoundException);
    dir.write("file", std::string());
    SystemDirectory directory;
    EXPECT_THROW(directory.open(String(dir.path("file").c_str())), DirectoryNotFoundException);
}

TEST(SystemFileFactoryTest, LongNamesAreCutTo255Characters) {
    std::string name(300, 'n');
    FileInfo info(name.c_str(), 1, 2, 3, 4, FileInfo::Readable);
    EXPECT_EQ(info.getName().getLength(), 255u);
    EXPECT_EQ(info.getCreated(), 2u);
    EXPECT_EQ(info.getModified(), 3u);
    EXPECT_EQ(info.getAccessed(), 4u);
}

TEST(SystemFileFactoryTest, EveryListedEntryOpensThroughTheFactory) {
    korvane::test::TemporaryDirectory dir;
    dir.write("plain.ttf", "p");
    dir.write("back\\slash.ttf", "b");
    SystemFileFactory factory(String(dir.path().c_str()));
    auto directory = Pointer<Directory>::adopt(factory.openDirectory());
    int opened = 0;
    for (const FileInfo& info : directory->getEntries()) {
        if (info.getFlags() & FileInfo::IsDirectory)
            continue;
        EXPECT_TRUE(factory.exists(info.getName())) << info.getNameText();
        auto file = Pointer<File>::adopt(factory.open(info.getName(), File::Read));
        EXPECT_EQ(file->getSize(), 1) << info.getNameText();
        ++opened;
    }
    EXPECT_EQ(opened, 2);
    // A missing directory on the way is not a missing file.
    SystemFileFactory missing(String(dir.path("nowhere").c_str()));
    try {
        missing.open("a.txt", File::Read);
        ADD_FAILURE() << "opened a file in a missing directory";
    } catch (const FileNotFoundException&) {
        ADD_FAILURE() << "a missing directory reported as a missing file";
    } catch (const IOException&) {
    }
}
