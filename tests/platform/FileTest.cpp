#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/File.h"

using namespace korvane::platform;
namespace fs = std::filesystem;

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvane-file-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root, ignored);
    }

    std::string path(const std::string& name) const { return root + "/" + name; }

    void writeText(const std::string& name, const std::string& text) {
        std::ofstream(path(name), std::ios::binary) << text;
    }

    FileHandle open(const std::string& file, uint32_t access = GENERIC_READ, uint32_t share = 0) {
        return createFile(file.c_str(), access, share, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    }

    std::string root;
};

// Runs body in a child process and returns its exit status, or -1 when it did not exit normally.
template <typename Body> int inChild(Body body) {
    pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int skipped = 200;

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

    // Without root's override a permission failure is access denied.
    if (geteuid() == 0) {
        writeText("secret", "x");
        chmod(path("secret").c_str(), 0600);
        int error = inChild([&] {
            if (setuid(65534) != 0)
                return skipped;
            return open(path("secret")) ? 0 : int(getLastError());
        });
        if (error != skipped) {
            EXPECT_EQ(error, int(ERROR_ACCESS_DENIED));
        }
    }
}

TEST_F(FileTest, NamedPipesWithoutAPeerDoNotBlockTheOpener) {
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    // In a child with an alarm, so that a blocking open fails the test instead of hanging the suite.
    int status = inChild([&] {
        alarm(10);
        FileHandle reader = open(path("pipe"));
        if (!reader)
            return 1;
        char c;
        uint32_t done = 1;
        // No writer: the reader sees the end at once.
        if (!readFile(reader, &c, 1, &done) || done != 0)
            return 2;
        closeHandle(reader);
        // No reader: a writer cannot be opened.
        if (open(path("pipe"), GENERIC_WRITE) || getLastError() != ERROR_OPEN_FAILED)
            return 3;
        return 0;
    });
    EXPECT_EQ(status, 0);
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

    // Through a link whose target is missing, the target is created.
    fs::create_symlink(path("target.txt"), path("dangling"));
    file = createFile(path("dangling").c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    ASSERT_NE(file, nullptr) << getLastError();
    closeHandle(file);
    EXPECT_TRUE(fs::is_regular_file(path("target.txt")));
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

    // Another process is refused as well.
    EXPECT_EQ(inChild([&] { return open(path("s.txt")) ? 0 : int(getLastError()); }),
              int(ERROR_SHARING_VIOLATION));

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

TEST_F(FileTest, FullDeviceReportsDiskFull) {
    FileHandle full =
        createFile("/dev/full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    ASSERT_NE(full, nullptr);
    uint32_t done = 99;
    EXPECT_FALSE(writeFile(full, "abc", 3, &done));
    EXPECT_EQ(getLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(flushFileBuffers(full));
    closeHandle(full);
}

TEST_F(FileTest, ReadOnlyAndFullMediaReportTheirCodes) {
    // A private mount namespace lets the test mount small file systems; skipped where that is not allowed.
    int result = inChild([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return skipped;
        std::string readOnly = path("ro"), tiny = path("tiny");
        if (mkdir(readOnly.c_str(), 0755) != 0 || mkdir(tiny.c_str(), 0755) != 0)
            return 1;
        if (mount("none", readOnly.c_str(), "tmpfs", MS_RDONLY, "size=64k") != 0 ||
            mount("none", tiny.c_str(), "tmpfs", 0, "size=8k") != 0)
            return skipped;
        if (createFile((readOnly + "\\new.txt").c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0) ||
            getLastError() != ERROR_WRITE_PROTECT)
            return 2;
        FileHandle file = createFile((tiny + "/big").c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
        if (!file)
            return 3;
        std::vector<char> block(64 * 1024, 'x');
        uint32_t done = 0;
        bool written = writeFile(file, block.data(), uint32_t(block.size()), &done);
        uint32_t error = getLastError();
        closeHandle(file);
        if (written || error != ERROR_DISK_FULL || done >= block.size())
            return 4;
        return 0;
    });
    if (result == skipped)
        GTEST_SKIP() << "cannot mount file systems here";
    EXPECT_EQ(result, 0);
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
    chmod(path("locked.txt").c_str(), 0444);
    fs::create_directory(path("dir"));
    fs::create_directory_symlink(path("dir"), path("link"));

    EXPECT_EQ(getFileAttributes(path("plain.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(getFileAttributes(path(".hidden").c_str()), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(getFileAttributes(path("locked.txt").c_str()), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(getFileAttributes(path("dir").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(getFileAttributes((path("dir") + "\\").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(getFileAttributes(path("link").c_str()),
              FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
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
    EXPECT_EQ(found[2].attributes, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(found[3].attributes, FILE_ATTRIBUTE_NORMAL);
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

TEST_F(FileTest, NamesHoldingABackslashStillOpenFindAndDescribe) {
    writeText("a\\b.txt", "literal");
    fs::create_directories(path("a"));
    fs::create_directories(path("x\\y"));
    writeText("x\\y/in.txt", "inside");

    FileHandle file = open(root + "\\a\\b.txt");
    ASSERT_NE(file, nullptr) << "the separator reading names nothing, the literal one does";
    char text[16] = {};
    uint32_t got = 0;
    ASSERT_TRUE(readFile(file, text, sizeof text, &got));
    EXPECT_EQ(std::string(text, got), "literal");
    closeHandle(file);
    EXPECT_NE(getFileAttributes((root + "\\x\\y\\in.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    FindData data;
    FindHandle search = findFirstFile((root + "\\x\\y\\*.txt").c_str(), &data);
    ASSERT_NE(search, nullptr);
    EXPECT_STREQ(data.fileName, "in.txt");
    findClose(search);

    // Where both readings name something, the separator wins, as on Win32.
    writeText("a/b.txt", "separated");
    file = open(root + "\\a\\b.txt");
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(readFile(file, text, sizeof text, &got));
    EXPECT_EQ(std::string(text, got), "separated");
    closeHandle(file);
    // A new file is created where the separators say.
    FileHandle created = createFile((root + "\\a\\c.txt").c_str(), GENERIC_WRITE, 0, CREATE_NEW, 0);
    ASSERT_NE(created, nullptr);
    closeHandle(created);
    EXPECT_TRUE(fs::exists(path("a/c.txt")));
}

TEST_F(FileTest, ShareModesHoldBetweenProcesses) {
    writeText("p.txt", "shared");
    // This process reads and lets others read only.
    FileHandle reader = open(path("p.txt"), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(reader, nullptr);
    auto inOther = [&](uint32_t access, uint32_t share) {
        return inChild([&] {
            FileHandle file = open(path("p.txt"), access, share);
            if (!file)
                return int(getLastError());
            closeHandle(file);
            return 0;
        });
    };
    EXPECT_EQ(inOther(GENERIC_READ, FILE_SHARE_READ), 0);
    EXPECT_EQ(inOther(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE), 0);
    EXPECT_EQ(inOther(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE), int(ERROR_SHARING_VIOLATION))
        << "writing is not shared";
    EXPECT_EQ(inOther(GENERIC_READ, FILE_SHARE_WRITE), int(ERROR_SHARING_VIOLATION))
        << "the other opener would refuse this process's reading";
    closeHandle(reader);

    // Another process writes and shares both: this process may read only if it shares writing.
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t child = fork();
    if (child == 0) {
        FileHandle writer = open(path("p.txt"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
        char signal = writer ? 'y' : 'n';
        (void)!write(ready[1], &signal, 1);
        (void)!read(release[0], &signal, 1);
        _exit(0);
    }
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1);
    EXPECT_EQ(signal, 'y');
    EXPECT_EQ(open(path("p.txt"), GENERIC_READ, FILE_SHARE_READ), nullptr);
    EXPECT_EQ(getLastError(), ERROR_SHARING_VIOLATION);
    FileHandle both = open(path("p.txt"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_NE(both, nullptr);
    closeHandle(both);
    (void)!write(release[1], &signal, 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        close(fd);
    // Once the other process has gone, its share modes are gone too.
    FileHandle alone = open(path("p.txt"), GENERIC_READ, 0);
    EXPECT_NE(alone, nullptr);
    closeHandle(alone);
}
