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
#include "support/io/ChildProcess.h"
#include "support/platform/FileTesting.h"

using namespace korvane::platform;
namespace fs = std::filesystem;

namespace {

using PosixFileTest = korvane::platform::testing::FileFixture;
using korvane::test::inChild;
using korvane::test::privateMounts;
constexpr int skipped = korvane::test::SkippedInChild;

} // namespace

TEST_F(PosixFileTest, ExclusiveOpenRefusesAnotherProcess) {
    writeText("s.txt", "keep me");
    FileHandle first = open(path("s.txt"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(inChild([&] { return open(path("s.txt")) ? 0 : int(getLastError()); }),
              int(ERROR_SHARING_VIOLATION));
    ASSERT_TRUE(closeHandle(first));
}

TEST_F(PosixFileTest, PermissionFailuresAreAccessDenied) {
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

TEST_F(PosixFileTest, NamedPipesWithoutAPeerDoNotBlockTheOpener) {
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

TEST_F(PosixFileTest, FullDeviceReportsDiskFull) {
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

TEST_F(PosixFileTest, ReadOnlyAndFullMediaReportTheirCodes) {
    // A private mount namespace lets the test mount small file systems; skipped where that is not allowed.
    int result = inChild([&] {
        if (!privateMounts())
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

TEST_F(PosixFileTest, NamesHoldingABackslashStillOpenFindAndDescribe) {
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

TEST_F(PosixFileTest, ShareModesHoldBetweenProcesses) {
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
