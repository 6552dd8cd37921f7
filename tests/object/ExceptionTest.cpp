#include <gtest/gtest.h>

#include "object/Exception.h"

using namespace korvane;

namespace {

KORVANE_EXCEPTION(StorageException, object::Exception);
KORVANE_EXCEPTION(SeekException, StorageException);
KORVANE_EXCEPTION(ModeException, SeekException);
KORVANE_EXCEPTION(DrawingException, object::Exception);

} // namespace

TEST(ExceptionTest, DeclaredClassesNameTheirChainAndAreCaughtByTheirBranchOnly) {
    ModeException e;
    EXPECT_EQ(e.getName(), "ModeException");
    EXPECT_EQ(e.getClassPath(), "Object:Exception:StorageException:SeekException:ModeException");
    EXPECT_EQ(e.toString(), "ModeException");
    EXPECT_EQ(ModeException("bad mode").toString(), "bad mode");
    EXPECT_EQ(ModeException("bad mode").getName(), "ModeException");
    EXPECT_EQ(object::Exception("abc").toString(), "abc");
    EXPECT_EQ(object::Exception("").toString().getLength(), 0u);
    EXPECT_EQ(object::Exception("abc").getName(), "Exception");

    auto branch = [](auto thrown) {
        try {
            throw thrown;
        } catch (const StorageException&) {
            return 1;
        } catch (const object::Exception&) {
            return 2;
        }
    };
    EXPECT_EQ(branch(ModeException()), 1);
    EXPECT_EQ(branch(DrawingException("log")), 2);
}
