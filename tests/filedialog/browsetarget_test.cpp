// Where a folder choice leads.
#include "filedialog/browsetarget.h"
#include "filedialog/specialdirs.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace {

class ResolveFolderTarget : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_.mkdir("home");
        dir_.mkdir("home/Documents");
        dir_.mkdir("tree");
        dir_.mkdir("tree/sub");
        dir_.write("tree/file.txt");
        ASSERT_EQ(::symlink((root_ + "/tree/sub").c_str(), (root_ + "/tree/linked").c_str()), 0);
    }
    testing_support::ScratchDir dir_;
    const std::string root_ = dir_.path();
};

using Kind = nx::FolderTarget::Kind;

TEST_F(ResolveFolderTarget, ResolvesPathsAndSpecialFolders)
{
    const nx::SpecialDirs dirs(root_ + "/home", nullptr, nullptr, "");
    struct Case {
        const char* what;
        std::string path;
        TnxBFSpecialDir special;
        nx::FolderTarget expected;
    } cases[] = {
        {"a folder", root_ + "/tree", sfNone, {Kind::path, root_ + "/tree"}},
        {"a folder with a trailing slash", root_ + "/tree/sub/", sfNone,
         {Kind::path, root_ + "/tree/sub"}},
        {"a link to a folder", root_ + "/tree/linked", sfNone,
         {Kind::path, root_ + "/tree/linked"}},
        {"a file", root_ + "/tree/file.txt", sfNone, {Kind::top, ""}},
        {"a missing folder", root_ + "/tree/none", sfNone, {Kind::top, ""}},
        {"a lone backslash", "\\", sfNone, {Kind::top, ""}},
        {"a relative path", "tree", sfNone, {Kind::top, ""}},
        {"no path", "", sfNone, {Kind::top, ""}},
        {"the desktop", root_ + "/tree", sfDesktop, {Kind::top, ""}},
        {"a special folder wins", root_ + "/tree", sfPersonal,
         {Kind::path, root_ + "/home/Documents"}},
        {"a special folder that does not exist", "", sfTemplates, {Kind::none, ""}},
        {"no counterpart", root_ + "/tree", sfNetWork, {Kind::none, ""}},
        {"the drives", "", sfDrives, {Kind::path, "/"}},
    };
    for (const Case& c : cases) {
        const nx::FolderTarget got = nx::resolveFolderTarget(c.path, c.special, dirs);
        EXPECT_EQ(int(got.kind), int(c.expected.kind)) << c.what;
        EXPECT_EQ(got.path, c.expected.path) << c.what;
    }
}

}  // namespace
