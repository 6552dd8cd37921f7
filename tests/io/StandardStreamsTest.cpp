#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "io/StandardStreams.h"
#include "support/io/ChildProcess.h"

using namespace korvane::system;

namespace {

// Runs body in a child whose standard input is a file holding the given bytes; returns its exit status.
template <typename Body> int withInput(const std::string& bytes, Body body) {
    char path[] = "/tmp/korvane-stdin-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        return -1;
    lseek(fd, 0, SEEK_SET);
    const int status = korvane::test::inChild([&] {
        dup2(fd, 0);
        return body();
    });
    close(fd);
    unlink(path);
    return status;
}

} // namespace

TEST(StandardStreamsTest, InputIsReadWholeItemsOnly) {
    int result = withInput("abcdefgh", [] {
        char buffer[8] = {};
        if (standardInput.read(buffer, 3) != 3 || std::string(buffer) != "abc")
            return 1;
        if (standardInput.skip(2) != 2)
            return 2;
        // Three bytes remain: a request for five gets nothing, although the three are consumed.
        if (standardInput.read(buffer, 5) != 0)
            return 3;
        if (standardInput.read(buffer, 1) != 0)
            return 4;
        if (standardInput.available() != 1 || standardInput.close())
            return 5;
        return 0;
    });
    EXPECT_EQ(result, 0);
}

TEST(StandardStreamsTest, OutputAndErrorWriteThroughTheRuntime) {
    for (int target : {1, 2}) {
        char path[] = "/tmp/korvane-stdout-XXXXXX";
        int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        fflush(target == 1 ? stdout : stderr);
        int saved = dup(target);
        dup2(fd, target);
        korvane::io::OutputStream& stream =
            target == 1 ? static_cast<korvane::io::OutputStream&>(standardOutput) : standardError;
        EXPECT_EQ(stream.write("korvane", 7), 7);
        EXPECT_EQ(stream.write("", 0), 0);
        EXPECT_TRUE(stream.flush());
        EXPECT_FALSE(stream.close());
        dup2(saved, target);
        close(saved);

        char buffer[16] = {};
        EXPECT_EQ(pread(fd, buffer, sizeof buffer, 0), 7);
        EXPECT_STREQ(buffer, "korvane");
        close(fd);
        unlink(path);
    }
}
