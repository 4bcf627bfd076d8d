// Where a folder choice leads.
#include "filedialog/browsetarget.h"
#include "filedialog/specialdirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ResolveFolderTarget : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/browsetarget-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root_ = tmpl;
        fs::create_directories(root_ + "/home/Documents");
        fs::create_directories(root_ + "/tree/sub");
        fs::create_directories(root_ + "/tree/.hidden");
        std::ofstream(root_ + "/tree/file.txt") << "x";
        std::ofstream(root_ + "/tree/.dotfile") << "x";
        fs::create_directory_symlink(root_ + "/tree/sub", root_ + "/tree/linked");
        fs::create_symlink(root_ + "/nowhere", root_ + "/tree/dangling");
        ::mkfifo((root_ + "/tree/pipe").c_str(), 0600);
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string root_;
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
