#include <gtest/gtest.h>

#include <dirent.h>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "io/IOException.h"
#include "io/SystemFile.h"
#include "object/Pointer.h"
#include "support/io/ChildProcess.h"
#include "support/io/TemporaryDirectory.h"

using namespace korvane::io;
using korvane::object::Exception;
using korvane::object::Pointer;
using korvane::types::String;

namespace {

// The dynamic class name and message of what the call throws; empty names when it throws nothing.
std::pair<std::string, std::string> thrown(const std::function<void()>& call) {
    try {
        call();
    } catch (const Exception& e) {
        return {std::string(e.getName().view()), std::string(e.toString().view())};
    }
    return {};
}

Pointer<SystemFile> openFile(const std::string& path, uint32_t mode) {
    return Pointer<SystemFile>::adopt(SystemFile::open(String(path.c_str()), mode));
}

Pointer<SystemFile> createFile(const std::string& path) {
    return Pointer<SystemFile>::adopt(SystemFile::create(String(path.c_str())));
}

} // namespace

TEST(SystemFileTest, EveryErrorCodeMapsToItsExceptionAndText) {
    struct Row {
        uint32_t code;
        const char* name;
        const char* message;
    };
    const Row rows[] = {
        {2, "FileNotFoundException", "The system cannot find the file specified."},
        {4, "FileOpenException", "The system cannot open the file."},
        {19, "FileWriteException", "The media is write protected."},
        {25, "IOException", "The drive cannot locate a specific area or track on the disk."},
        {29, "FileWriteException", "The system cannot write to the specified device."},
        {30, "FileReadException", "The system cannot read from the specified device."},
        {32, "IOException",
         "The process cannot access the file because it is being used by another process."},
        {34, "IOException", "The wrong diskette is in the drive."},
        {80, "FileExistsException", "The file exists."},
        {110, "FileOpenException", "The system cannot open the device or file specified."},
        {112, "DiskFullException", "There is not enough space on the disk."},
        {132, "FileSeekException", "The file pointer cannot be set on the specified device or file."},
        {1005, "IOException", "The volume does not contain a recognized file system."},
        {1006, "IOException",
         "The volume for a file has been externally altered so that the opened file is no longer valid."},
        {1785, "IOException", "The disk media is not recognized. It may not be formatted."},
        {3, "IOException", "The system cannot find the path specified."},
        {5, "IOException", "Access is denied."},
        {123, "IOException", "The filename, directory name, or volume label syntax is incorrect."},
        {4242, "IOException", "The system reported error 4242."},
    };
    for (const Row& row : rows) {
        korvane::platform::setLastError(row.code);
        auto [name, message] = thrown([] { raiseLastError(); });
        EXPECT_EQ(name, row.name) << row.code;
        EXPECT_EQ(message, row.message) << row.code;
    }
    // A handler for the base class catches every row.
    EXPECT_THROW(raiseError(112), IOException);
    EXPECT_THROW(raiseError(2), FileNotFoundException);
}

TEST(SystemFileTest, MissingAndSharedFilesAreRefused) {
    korvane::test::TemporaryDirectory dir;
    auto missing = thrown([&] { openFile(dir.path("missing.dds"), File::Read); });
    EXPECT_EQ(missing.first, "FileNotFoundException");
    EXPECT_EQ(missing.second, "The system cannot find the file specified.");

    dir.write("held.txt", "held");
    Pointer<SystemFile> held = openFile(dir.path("held.txt"), File::Read);
    auto shared = thrown([&] { openFile(dir.path("held.txt"), File::Read); });
    EXPECT_EQ(shared.first, "IOException");
    EXPECT_EQ(shared.second,
              "The process cannot access the file because it is being used by another process.");
    // Creating over a file that is open elsewhere fails the same way and leaves its contents.
    EXPECT_EQ(thrown([&] { createFile(dir.path("held.txt")); }).first, "IOException");
    EXPECT_EQ(dir.read("held.txt"), "held");

    held = nullptr;
    EXPECT_NO_THROW(openFile(dir.path("held.txt"), File::ReadWrite));
}

TEST(SystemFileTest, FailuresWithoutAClassOfTheirOwnNameThePathAndTheReason) {
    korvane::test::TemporaryDirectory dir;
    dir.write("plain.txt", "plain");
    const std::string noFolder = dir.path("no-folder/sky.dds");
    const std::string throughAFile = dir.path("plain.txt") + "/sky.dds";
    const std::string pathNotFound = "The system cannot find the path specified. (";
    const struct {
        std::function<void()> call;
        std::string message;
    } cases[] = {
        {[&] { openFile(noFolder, File::Read); }, pathNotFound + noFolder + ")"},
        {[&] { createFile(noFolder); }, pathNotFound + noFolder + ")"},
        {[&] { openFile(throughAFile, File::Read); }, pathNotFound + throughAFile + ")"},
        {[&] { openFile(dir.path(), File::Read); }, "Access is denied. (" + dir.path() + ")"},
    };
    for (const auto& c : cases) {
        auto [name, message] = thrown(c.call);
        EXPECT_EQ(name, "IOException") << c.message;
        EXPECT_EQ(message, c.message);
    }
}

TEST(SystemFileTest, FullDiskShowsInTheCountAndTheLastError) {
    Pointer<SystemFile> full = openFile("/dev/full", File::Write);
    // A failed write is not raised; the count tells, and the system error maps to DiskFullException.
    EXPECT_EQ(full->write("abc", 3), 0);
    auto error = thrown([] { raiseLastError(); });
    EXPECT_EQ(error.first, "DiskFullException");
    EXPECT_EQ(error.second, "There is not enough space on the disk.");
}

TEST(SystemFileTest, ReadOnlyMediaRaisesWriteProtected) {
    korvane::test::TemporaryDirectory dir;
    const int result = korvane::test::inChild([&] {
        const std::string mountPoint = dir.path("ro");
        if (!korvane::test::privateMounts() || mkdir(mountPoint.c_str(), 0755) != 0 ||
            mount("none", mountPoint.c_str(), "tmpfs", MS_RDONLY, "size=64k") != 0)
            return korvane::test::SkippedInChild;
        auto error = thrown([&] { createFile(mountPoint + "\\new.txt"); });
        return error.first == "FileWriteException" && error.second == "The media is write protected." ? 0 : 1;
    });
    if (result == korvane::test::SkippedInChild)
        GTEST_SKIP() << "cannot mount file systems here";
    EXPECT_EQ(result, 0);
}

TEST(SystemFileTest, ReadWriteAndEndOfFile) {
    korvane::test::TemporaryDirectory dir;
    dir.write("f.txt", "stale contents");
    Pointer<SystemFile> file = createFile(dir.path("f.txt"));
    EXPECT_EQ(file->getSize(), 0); // create empties an existing file
    EXPECT_EQ(file->getMode(), File::ReadWrite);
    EXPECT_EQ(file->write("hello", 5), 5);
    char buffer[8] = {};
    EXPECT_EQ(file->read(buffer, 8), -1);
    EXPECT_EQ(file->read(buffer, 0), 0);
    EXPECT_TRUE(file->rewind());
    EXPECT_EQ(file->read(buffer, 8), 5);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(file->read(buffer, 8), -1);
    EXPECT_TRUE(file->flush());
}

TEST(SystemFileTest, SeekModesAndIllegalModes) {
    korvane::test::TemporaryDirectory dir;
    dir.write("s.bin", "0123456789");
    Pointer<SystemFile> file = openFile(dir.path("s.bin"), File::Read);
    EXPECT_EQ(file->seek(4, File::Begin), 4);
    EXPECT_EQ(file->seek(2, File::Current), 6);
    EXPECT_EQ(file->seek(-1, File::End), 9);
    for (int32_t mode : {0, 4, -1}) {
        auto error = thrown([&] { file->seek(0, mode); });
        EXPECT_EQ(error.first, "IllegalPositionModeException");
        EXPECT_EQ(error.second, "IllegalPositionModeException");
        EXPECT_EQ(file->getPosition(), 9);
    }
    EXPECT_EQ(IllegalPositionModeException().getClassPath(),
              "Object:Exception:IOException:FileSeekException:IllegalPositionModeException");
    EXPECT_THROW(file->seek(-20, File::Current), IOException);
    EXPECT_EQ(file->getPosition(), 9);
}

TEST(SystemFileTest, SizeOperationsKeepThePosition) {
    korvane::test::TemporaryDirectory dir;
    Pointer<SystemFile> file = createFile(dir.path("z.bin"));
    file->write("0123456789", 10);
    file->seek(7, File::Begin);
    EXPECT_EQ(file->getSize(), 10);
    EXPECT_EQ(file->getPosition(), 7);
    EXPECT_EQ(file->setSize(20), 20);
    EXPECT_EQ(file->getPosition(), 7);
    EXPECT_EQ(file->getSize(), 20);
    // Shrinking below the position leaves the position beyond the new end.
    EXPECT_EQ(file->setSize(3), 3);
    EXPECT_EQ(file->getPosition(), 7);
    EXPECT_EQ(file->getSize(), 3);
    char c;
    EXPECT_EQ(file->read(&c, 1), -1);

    Pointer<SystemFile> reader;
    file = nullptr;
    reader = openFile(dir.path("z.bin"), File::Read);
    reader->seek(1, File::Begin);
    // Without write access the size cannot change; the position still comes back.
    EXPECT_THROW(reader->setSize(0), IOException);
    EXPECT_EQ(reader->getPosition(), 1);
    EXPECT_EQ(reader->getSize(), 3);
}

TEST(SystemFileTest, TimesComeFromTheFileSystem) {
    korvane::test::TemporaryDirectory dir;
    Pointer<SystemFile> file = createFile(dir.path("t.bin"));
    uint64_t now = korvane::system::Timestamp::now().get();
    for (auto time : {file->getCreationTime(), file->getModificationTime(), file->getAccessTime()}) {
        EXPECT_LE(time.get(), now + 2000000);
        EXPECT_GE(time.get() + 60000000, now);
    }
    EXPECT_EQ(file->getClassPath(), "Object:StreamFactory:File:SystemFile");
}

TEST(SystemFileTest, ExistsSeesFilesAndDirectories) {
    korvane::test::TemporaryDirectory dir;
    dir.write("e.txt", "");
    EXPECT_TRUE(exists(String(dir.path("e.txt").c_str())));
    EXPECT_TRUE(exists(String((dir.path() + "\\e.txt").c_str())));
    EXPECT_TRUE(exists(String(dir.path().c_str())));
    EXPECT_FALSE(exists(String(dir.path("nothing").c_str())));
}

TEST(SystemFileTest, FailingCloseIsReportedByCloseButNotByTheDestructor) {
    korvane::test::TemporaryDirectory dir;
    std::string path = dir.path("c.txt");
    auto closeBehindTheFilesBack = [&] {
        // Closes the descriptor the file object holds, so that its own close fails.
        DIR* fds = opendir("/proc/self/fd");
        while (dirent* entry = readdir(fds)) {
            char target[4096] = {};
            std::string link = std::string("/proc/self/fd/") + entry->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0 && path == target) {
                int fd = atoi(entry->d_name);
                closedir(fds);
                ::close(fd);
                return true;
            }
        }
        closedir(fds);
        return false;
    };

    SystemFile* file = SystemFile::create(String(path.c_str()));
    ASSERT_TRUE(closeBehindTheFilesBack());
    EXPECT_THROW(file->close(), IOException);
    EXPECT_EQ(file->read(nullptr, 1), -1);
    file->release();

    file = SystemFile::create(String(path.c_str()));
    ASSERT_TRUE(closeBehindTheFilesBack());
    EXPECT_NO_THROW(file->release());
}
