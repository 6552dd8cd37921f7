#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/File.h"
#include "support/platform/FileTesting.h"

using namespace korvane::platform;
namespace fs = std::filesystem;

namespace {

using FileTest = korvane::platform::testing::FileFixture;

} // namespace

TEST_F(FileTest, ReadsWritesAndSeeksLikeWin32) {
    FileHandle file = createFile(path("a.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(getLastError(), ERROR_SUCCESS);
    uint32_t done = 0;
    ASSERT_TRUE(writeFile(file, "0123456789", 10, &done));
    EXPECT_EQ(done, 10u);

    int64_t position = -1;
    ASSERT_TRUE(setFilePointerEx(file, -4, &position, FILE_END));
    EXPECT_EQ(position, 6);
    char buffer[16] = {};
    ASSERT_TRUE(readFile(file, buffer, sizeof buffer, &done));
    EXPECT_EQ(done, 4u);
    EXPECT_STREQ(buffer, "6789");
    // At the end of the file a read succeeds with nothing.
    ASSERT_TRUE(readFile(file, buffer, sizeof buffer, &done));
    EXPECT_EQ(done, 0u);

    EXPECT_FALSE(setFilePointerEx(file, -1, &position, FILE_BEGIN));
    EXPECT_EQ(getLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_FALSE(setFilePointerEx(file, 0, &position, 3));
    EXPECT_EQ(getLastError(), ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(setFilePointerEx(file, 0, &position, FILE_CURRENT));
    EXPECT_EQ(position, 10);

    // Beyond the end is a valid position; the file only grows when written there.
    ASSERT_TRUE(setFilePointerEx(file, 20, &position, FILE_BEGIN));
    int64_t size = 0;
    ASSERT_TRUE(getFileSizeEx(file, &size));
    EXPECT_EQ(size, 10);

    ASSERT_TRUE(setFilePointerEx(file, 3, nullptr, FILE_BEGIN));
    ASSERT_TRUE(setEndOfFile(file));
    ASSERT_TRUE(getFileSizeEx(file, &size));
    EXPECT_EQ(size, 3);
    EXPECT_TRUE(flushFileBuffers(file));
    EXPECT_TRUE(closeHandle(file));
}

TEST_F(FileTest, AccessNotAskedForIsDenied) {
    writeText("r.txt", "abc");
    FileHandle file = open(path("r.txt"));
    ASSERT_NE(file, nullptr);
    uint32_t done = 7;
    EXPECT_FALSE(writeFile(file, "x", 1, &done));
    EXPECT_EQ(getLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(done, 0u);
    EXPECT_FALSE(setEndOfFile(file));
    closeHandle(file);

    FileHandle writer = open(path("r.txt"), GENERIC_WRITE);
    ASSERT_NE(writer, nullptr);
    char c;
    EXPECT_FALSE(readFile(writer, &c, 1, &done));
    EXPECT_EQ(getLastError(), ERROR_ACCESS_DENIED);
    closeHandle(writer);
}

TEST_F(FileTest, OpeningFailuresReportWin32Codes) {
    EXPECT_EQ(open(path("missing.txt")), nullptr);
    EXPECT_EQ(getLastError(), ERROR_FILE_NOT_FOUND);

    writeText("plain", "x");
    EXPECT_EQ(open(path("plain/inside")), nullptr);
    EXPECT_EQ(getLastError(), ERROR_PATH_NOT_FOUND);

    EXPECT_EQ(createFile(path("plain").c_str(), GENERIC_WRITE, 0, CREATE_NEW, 0), nullptr);
    EXPECT_EQ(getLastError(), ERROR_FILE_EXISTS);

    fs::create_directory(path("dir"));
    EXPECT_EQ(open(path("dir")), nullptr);
    EXPECT_EQ(getLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(open(path("dir"), GENERIC_READ | GENERIC_WRITE), nullptr);
    EXPECT_EQ(getLastError(), ERROR_ACCESS_DENIED);

    EXPECT_EQ(createFile("", GENERIC_READ, 0, OPEN_EXISTING, 0), nullptr);
    EXPECT_EQ(getLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(createFile(path("plain").c_str(), GENERIC_READ, 0, 9, 0), nullptr);
    EXPECT_EQ(getLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FileTest, CreateAlwaysTruncatesAndReportsAnExistingFile) {
    writeText("t.txt", "old contents");
    FileHandle file = createFile(path("t.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(getLastError(), ERROR_ALREADY_EXISTS);
    int64_t size = -1;
    ASSERT_TRUE(getFileSizeEx(file, &size));
    EXPECT_EQ(size, 0);
    closeHandle(file);

    // Through a link whose target is missing, the target is created (where links can be made: Windows
    // asks for a privilege, Wine has none).
    std::error_code linkError;
    fs::create_symlink(path("target.txt"), path("dangling"), linkError);
    if (!linkError) {
        file = createFile(path("dangling").c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
        ASSERT_NE(file, nullptr) << getLastError();
        closeHandle(file);
        EXPECT_TRUE(fs::is_regular_file(path("target.txt")));
    }
}

TEST_F(FileTest, ExclusiveOpenRefusesEveryOtherOpener) {
    writeText("s.txt", "keep me");
    FileHandle first = open(path("s.txt"));
    ASSERT_NE(first, nullptr);

    EXPECT_EQ(open(path("s.txt")), nullptr);
    EXPECT_EQ(getLastError(), ERROR_SHARING_VIOLATION);
    // The same file through another spelling of its path.
    EXPECT_EQ(open(root + "\\.\\s.txt"), nullptr);
    EXPECT_EQ(getLastError(), ERROR_SHARING_VIOLATION);
    // A refused create must not empty the file.
    EXPECT_EQ(createFile(path("s.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, 0), nullptr);
    EXPECT_EQ(getLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(fs::file_size(path("s.txt")), 7u);

    ASSERT_TRUE(closeHandle(first));
    FileHandle again = open(path("s.txt"));
    EXPECT_NE(again, nullptr);
    closeHandle(again);
}

TEST_F(FileTest, ShareModesAdmitCompatibleOpeners) {
    writeText("m.txt", "x");
    FileHandle reader = open(path("m.txt"), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(reader, nullptr);
    FileHandle second = open(path("m.txt"), GENERIC_READ, FILE_SHARE_READ);
    EXPECT_NE(second, nullptr);
    // Writing is not shared, and the new opener refuses the existing readers.
    EXPECT_EQ(open(path("m.txt"), GENERIC_WRITE, FILE_SHARE_READ), nullptr);
    EXPECT_EQ(getLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(open(path("m.txt"), GENERIC_READ, 0), nullptr);
    EXPECT_EQ(getLastError(), ERROR_SHARING_VIOLATION);
    closeHandle(second);
    closeHandle(reader);
}

TEST_F(FileTest, BackslashesSeparatePathComponents) {
    fs::create_directories(path("data/sub"));
    std::string windowsPath = root + "\\data\\sub\\f.txt";
    FileHandle file = createFile(windowsPath.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    ASSERT_NE(file, nullptr);
    closeHandle(file);
    EXPECT_TRUE(fs::exists(path("data/sub/f.txt")));
    EXPECT_EQ(getFileAttributes((root + "\\data").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FileTest, FileTimesAreRecentWin32Counts) {
    FileHandle file = createFile(path("time.txt").c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    ASSERT_NE(file, nullptr);
    uint64_t created = 0, accessed = 0, written = 0;
    ASSERT_TRUE(getFileTime(file, &created, &accessed, &written));
    EXPECT_TRUE(getFileTime(file, nullptr, nullptr, &written));
    closeHandle(file);
    uint64_t now = (uint64_t(time(nullptr)) + 11644473600ull) * 10000000ull;
    for (uint64_t stamp : {created, accessed, written}) {
        EXPECT_LE(stamp, now + 20000000ull);
        EXPECT_GE(stamp + 600000000ull, now);
    }
}

TEST_F(FileTest, AttributesDescribeTheEntryItself) {
    writeText("plain.txt", "x");
    writeText(".hidden", "x");
    writeText("locked.txt", "x");
    fs::permissions(path("locked.txt"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directory(path("dir"));
    std::error_code linkError;
    fs::create_directory_symlink(path("dir"), path("link"), linkError);

    EXPECT_EQ(getFileAttributes(path("plain.txt").c_str()), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(getFileAttributes(path(".hidden").c_str()), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(getFileAttributes(path("locked.txt").c_str()),
              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(getFileAttributes(path("dir").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(getFileAttributes((path("dir") + "\\").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    if (!linkError) {
        EXPECT_EQ(getFileAttributes(path("link").c_str()),
                  FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    }
    EXPECT_EQ(getFileAttributes(path("dir/..").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(getFileAttributes(path("nothing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(getLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileTest, SearchListsEveryEntryWithDotAndDotDot) {
    fs::create_directory(path("dir"));
    writeText("dir/b.txt", "12345");
    writeText("dir/.hidden", "");
    fs::create_directory(path("dir/sub"));

    FindData data;
    FindHandle search = findFirstFile((path("dir") + "\\*").c_str(), &data);
    ASSERT_NE(search, nullptr);
    std::vector<FindData> found{data};
    while (findNextFile(search, &data))
        found.push_back(data);
    EXPECT_EQ(getLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(findClose(search));

    ASSERT_EQ(found.size(), 5u);
    EXPECT_STREQ(found[0].fileName, ".");
    EXPECT_STREQ(found[1].fileName, "..");
    EXPECT_STREQ(found[2].fileName, ".hidden");
    EXPECT_STREQ(found[3].fileName, "b.txt");
    EXPECT_STREQ(found[4].fileName, "sub");
    EXPECT_EQ(found[0].attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(found[1].attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(found[2].attributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(found[3].attributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(found[3].fileSizeLow, 5u);
    EXPECT_EQ(found[3].fileSizeHigh, 0u);
    EXPECT_NE(found[3].lastWriteTime, 0u);
    EXPECT_EQ(found[4].attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(found[4].fileSizeLow, 0u);
}

TEST_F(FileTest, SearchPatternsAndFailures) {
    writeText("one.txt", "");
    writeText("two.dds", "");
    FindData data;
    FindHandle search = findFirstFile((root + "/*.dds").c_str(), &data);
    ASSERT_NE(search, nullptr);
    EXPECT_STREQ(data.fileName, "two.dds");
    EXPECT_FALSE(findNextFile(search, &data));
    EXPECT_EQ(getLastError(), ERROR_NO_MORE_FILES);
    findClose(search);

    EXPECT_EQ(findFirstFile((root + "/*.png").c_str(), &data), nullptr);
    EXPECT_EQ(getLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(findFirstFile((root + "/missing/*").c_str(), &data), nullptr);
    EXPECT_EQ(getLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileTest, ExclusiveOpensFromSeveralThreadsNeverOverlap) {
    writeText("race.txt", "x");
    std::atomic<int> holders{0}, overlaps{0}, successes{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                FileHandle file = open(path("race.txt"));
                if (!file) {
                    if (getLastError() != ERROR_SHARING_VIOLATION)
                        ++overlaps;
                    continue;
                }
                if (holders.fetch_add(1) != 0)
                    ++overlaps;
                ++successes;
                holders.fetch_sub(1);
                closeHandle(file);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(successes.load(), 0);
}

TEST_F(FileTest, AMissingDirectoryOnTheWayIsPathNotFound) {
    EXPECT_EQ(open(path("nowhere/a.txt")), nullptr);
    EXPECT_EQ(getLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(open(root + "\\nowhere\\deeper\\a.txt"), nullptr);
    EXPECT_EQ(getLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(createFile(path("nowhere/a.txt").c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0), nullptr);
    EXPECT_EQ(getLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(getFileAttributes(path("nowhere/a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(getLastError(), ERROR_PATH_NOT_FOUND);
    // The directory is there, the file is not.
    EXPECT_EQ(open(path("a.txt")), nullptr);
    EXPECT_EQ(getLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(getFileAttributes(path("a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(getLastError(), ERROR_FILE_NOT_FOUND);
}
