#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/demo/Program.h"
#include "tools/xwindow/XWindows.h"

using korvane::demo::test::Program;
using korvane::demo::test::RunDirectoryCopy;

// The program laid out as installed, <prefix>/bin/korvane with its data in <prefix>/share/korvane/data, and
// started in a working directory without data or fonts.

namespace {

namespace fs = std::filesystem;

struct InstalledTree {
    RunDirectoryCopy copy;
    std::string bin, data;

    InstalledTree() {
        const fs::path root = copy.path();
        bin = (root / "usr/bin").string();
        data = (root / "usr/share/korvane/data").string();
        fs::create_directories(bin);
        fs::create_directories(fs::path(data).parent_path());
        // A copy, not a link: the program finds its folder from its own file.
        fs::copy_file(fs::canonical(root / "korvane"), fs::path(bin) / "korvane");
        fs::rename(root / "data", data);
        for (const std::string& font : copy.fonts())
            copy.remove(font);
        copy.remove("korvane");
    }
};

} // namespace

TEST(InstalledTreeTest, TheProgramFindsItsDataNextToItselfAndNamesTheInstalledFileAtFault) {
    {
        // Everything from the installed tree; the label font from the system's DejaVu folder.
        InstalledTree tree;
        Program program(tree.bin);
        const ::Window window = program.waitForWindow(30000);
        ASSERT_NE(window, 0u) << program.output();
        ASSERT_TRUE(korvane::tools::requestClose(program.display(), window));
        EXPECT_EQ(program.wait(15000), 1) << program.output();
    }
    {
        // A damaged installed file is reported by its installed path.
        InstalledTree tree;
        tree.copy.write("usr/share/korvane/data/stpeters_cross.dds", std::string("DDS garbage"));
        Program program(tree.bin);
        EXPECT_EQ(program.wait(30000), 255) << program.output();
        EXPECT_NE(program.output().find(tree.data + "/stpeters_cross.dds is not a DDS cube map"),
                  std::string::npos)
            << program.output();
    }
    {
        // A data file in the working directory comes first, and keeps its short name in messages.
        InstalledTree tree;
        fs::create_directories(tree.bin + "/data");
        tree.copy.write("usr/bin/data/cubeshader.pp", std::string("not a shader"));
        Program program(tree.bin);
        EXPECT_EQ(program.wait(30000), 255) << program.output();
        EXPECT_NE(program.output().find("data/cubeshader.pp does not compile"), std::string::npos)
            << program.output();
        EXPECT_EQ(program.output().find(tree.data), std::string::npos) << program.output();
    }
}
