#include <gtest/gtest.h>

#include <cstring>

#include "io/Content.h"
#include "io/SystemFile.h"
#include "object/Pointer.h"
#include "support/io/TemporaryDirectory.h"

using namespace korvane::io;
using korvane::object::Pointer;
using korvane::types::String;

namespace {

Pointer<SystemFile> openFile(const korvane::test::TemporaryDirectory& dir, const char* name) {
    return Pointer<SystemFile>::adopt(SystemFile::open(String(dir.path(name).c_str()), File::Read));
}

// Delivers its bytes a few at a time and claims more than it has.
class TricklingStream : public InputStream {
public:
    int32_t read(void* buffer, uint32_t count) override {
        if (position == sizeof text - 1)
            return -1;
        uint32_t n = std::min<uint32_t>({count, 3, uint32_t(sizeof text - 1 - position)});
        std::memcpy(buffer, text + position, n);
        position += n;
        return int32_t(n);
    }
    int64_t skip(uint32_t) override { return 0; }
    int64_t available() override { return 100; }
    bool close() override { return true; }

private:
    static constexpr char text[] = "void main() {}";
    uint32_t position = 0;
};

} // namespace

TEST(ContentTest, LoadsTheRestOfTheStreamZeroTerminated) {
    korvane::test::TemporaryDirectory dir;
    dir.write("shader.vp", std::string("uniform mat4 m;\nvoid main() {}\n"));
    auto file = openFile(dir, "shader.vp");
    file->seek(8, File::Begin);
    Content content;
    EXPECT_EQ(content.getData(), nullptr);
    content.load(file->getInputStream());
    EXPECT_EQ(content.getSize(), 23u);
    EXPECT_STREQ(content.getData(), "mat4 m;\nvoid main() {}\n");
    EXPECT_EQ(content.getClassPath(), "Object:Content");
}

TEST(ContentTest, AnEmptyStreamGivesAnEmptyText) {
    korvane::test::TemporaryDirectory dir;
    dir.write("empty", std::string());
    Content content;
    content.load(openFile(dir, "empty")->getInputStream());
    EXPECT_EQ(content.getSize(), 0u);
    ASSERT_NE(content.getData(), nullptr);
    EXPECT_EQ(content.getData()[0], '\0');
}

TEST(ContentTest, SizeIsWhatArrivedNotWhatWasPromised) {
    TricklingStream stream;
    Content content;
    content.load(stream);
    EXPECT_EQ(content.getSize(), 14u);
    EXPECT_STREQ(content.getData(), "void main() {}");
}
