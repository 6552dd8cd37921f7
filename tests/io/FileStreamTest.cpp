#include <gtest/gtest.h>

#include "io/IOException.h"
#include "io/SystemFile.h"
#include "object/Pointer.h"
#include "support/io/TemporaryDirectory.h"

using namespace korvane::io;
using korvane::object::Pointer;
using korvane::types::String;

namespace {

Pointer<SystemFile> createFile(const korvane::test::TemporaryDirectory& dir, const char* name) {
    return Pointer<SystemFile>::adopt(SystemFile::create(String(dir.path(name).c_str())));
}

// A file kept in memory, with no times of its own.
class MemoryFile : public File {
public:
    MemoryFile() : File(ReadWrite) {}
    int32_t write(const void*, uint32_t count) override { return int32_t(count); }
    int32_t read(void*, uint32_t) override { return -1; }
    int64_t seek(int64_t distance, int32_t) override { return distance; }
    int64_t getPosition() override { return 0; }
    bool rewind() override { return true; }
    bool flush() override { return true; }
    int64_t getSize() override { return 0; }
    int64_t setSize(int64_t size) override { return size; }
};

} // namespace

TEST(FileStreamTest, EmbeddedStreamsReadAndWriteThroughTheirFile) {
    korvane::test::TemporaryDirectory dir;
    Pointer<SystemFile> file = createFile(dir, "e.txt");
    EXPECT_EQ(file->getOutputStream().write("abcdef", 6), 6);
    EXPECT_TRUE(file->getOutputStream().flush());
    file->rewind();
    InputStream& in = file->getInputStream();
    EXPECT_EQ(in.available(), 6);
    EXPECT_EQ(in.skip(2), 2);
    char buffer[8] = {};
    EXPECT_EQ(in.read(buffer, 0), 0);
    EXPECT_EQ(in.read(buffer, 8), 4);
    EXPECT_STREQ(buffer, "cdef");
    EXPECT_EQ(in.read(buffer, 8), -1);
    EXPECT_EQ(in.available(), 0);

    // Skipping past the end reports the whole distance; nothing is left to read there.
    EXPECT_EQ(in.skip(10), 10);
    EXPECT_EQ(file->getPosition(), 16);
    EXPECT_EQ(in.available(), 0);
    EXPECT_EQ(file->getClassPath(), "Object:StreamFactory:File:SystemFile");
    EXPECT_EQ(in.getClassPath(), "Object:Stream:InputStream:FileInputStream");
    EXPECT_EQ(file->getOutputStream().getClassPath(), "Object:Stream:OutputStream:FileOutputStream");
    EXPECT_EQ(file->getOutputStream().getSetting(), 10);
}

TEST(FileStreamTest, ClosingTheEmbeddedStreamTwiceKeepsTheFile) {
    korvane::test::TemporaryDirectory dir;
    Pointer<SystemFile> file = createFile(dir, "c.txt");
    EXPECT_EQ(file->getReferenceCount(), 1);
    EXPECT_TRUE(file->getInputStream().close());
    EXPECT_TRUE(file->getInputStream().close());
    EXPECT_TRUE(file->getOutputStream().close());
    EXPECT_TRUE(file->getOutputStream().close());
    EXPECT_EQ(file->getReferenceCount(), 1);
    EXPECT_EQ(file->getOutputStream().write("x", 1), 1);
    file->rewind();
    char c = 0;
    EXPECT_EQ(file->getInputStream().read(&c, 1), 1);
    EXPECT_EQ(c, 'x');
}

TEST(FileStreamTest, SeparateStreamsHoldOneReferenceEach) {
    korvane::test::TemporaryDirectory dir;
    SystemFile* file = SystemFile::create(String(dir.path("r.txt").c_str()));
    auto* in = new FileInputStream(file);
    auto* out = new FileOutputStream(file);
    EXPECT_EQ(file->getReferenceCount(), 3);
    file->release(); // the streams keep it alive
    EXPECT_EQ(out->write("data", 4), 4);
    file->rewind();
    char buffer[4];
    EXPECT_EQ(in->read(buffer, 4), 4);

    EXPECT_TRUE(in->close());
    EXPECT_EQ(in->getFile(), nullptr);
    EXPECT_TRUE(in->close()); // released only once
    EXPECT_EQ(in->read(buffer, 4), 0);
    EXPECT_EQ(in->available(), 0);
    EXPECT_EQ(file->getReferenceCount(), 1);
    in->release();
    out->release(); // the last reference: closes the file

    // The file is closed, so it can be opened again.
    Pointer<SystemFile> again =
        Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path("r.txt").c_str()), File::Read));
    EXPECT_EQ(again->getSize(), 4);
}

TEST(FileStreamTest, StreamsRespectTheFilesAccessFlags) {
    korvane::test::TemporaryDirectory dir;
    dir.write("a.txt", "abc");
    {
        Pointer<SystemFile> reader =
            Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path("a.txt").c_str()), File::Read));
        EXPECT_EQ(reader->getOutputStream().write("zz", 2), 0);
        EXPECT_FALSE(reader->getOutputStream().flush());
    }
    EXPECT_EQ(dir.read("a.txt"), "abc");
    Pointer<SystemFile> writer =
        Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path("a.txt").c_str()), File::Write));
    char buffer[3];
    EXPECT_EQ(writer->getInputStream().read(buffer, 3), 0);
}

TEST(FileStreamTest, StreamsPassFileErrorsThrough) {
    korvane::test::TemporaryDirectory dir;
    Pointer<SystemFile> file = createFile(dir, "x.txt");
    file->close();
    EXPECT_THROW(file->getInputStream().skip(1), IOException);
    EXPECT_THROW(file->getInputStream().available(), IOException);
}

TEST(FileStreamTest, FileWithoutTimesReportsItsConstructionTime) {
    uint64_t before = korvane::system::Timestamp::now().get();
    Pointer<MemoryFile> file = Pointer<MemoryFile>::adopt(new MemoryFile);
    uint64_t after = korvane::system::Timestamp::now().get();
    uint64_t created = file->getCreationTime().get();
    EXPECT_GE(created, before);
    EXPECT_LE(created, after);
    EXPECT_EQ(file->getModificationTime().get(), created);
    EXPECT_EQ(file->getAccessTime().get(), created);
    EXPECT_EQ(file->getClassPath(), "Object:StreamFactory:File");
}
