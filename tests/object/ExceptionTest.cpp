#include <gtest/gtest.h>

#include "freetype/FreetypeException.h"
#include "graphics3d/Graphics3dException.h"
#include "io/IOException.h"

using namespace korvane;

TEST(ExceptionTest, NamesPathsAndDefaultMessages) {
    io::IllegalPositionModeException e;
    EXPECT_EQ(e.getName(), "IllegalPositionModeException");
    EXPECT_EQ(e.getClassPath(), "Object:Exception:IOException:FileSeekException:IllegalPositionModeException");
    EXPECT_EQ(e.toString(), "IllegalPositionModeException");

    EXPECT_EQ(graphics3d::FrameBufferException().getClassPath(),
              "Object:Exception:Graphics3dException:FrameBufferException");
    EXPECT_EQ(io::TranslatorFormatException().getClassPath(),
              "Object:Exception:IOException:TranslatorException:TranslatorFormatException");
    EXPECT_EQ(object::Exception("abc").toString(), "abc");
    EXPECT_EQ(object::Exception("").toString().getLength(), 0u);
    EXPECT_EQ(object::Exception("abc").getName(), "Exception");
}

TEST(ExceptionTest, CaughtByItsBranchOnly) {
    auto caughtAsIO = [](auto thrown) {
        try {
            throw thrown;
        } catch (const io::IOException&) {
            return 1;
        } catch (const freetype::FreetypeException&) {
            return 2;
        } catch (const object::Exception&) {
            return 3;
        }
    };
    EXPECT_EQ(caughtAsIO(io::IllegalPositionModeException()), 1);
    EXPECT_EQ(caughtAsIO(freetype::NoMatchException()), 2);
    EXPECT_EQ(caughtAsIO(graphics3d::ShaderCompilerException("log")), 3);
}
