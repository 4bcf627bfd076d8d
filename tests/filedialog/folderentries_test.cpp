// What the chooser lists of a folder, and the folders it makes there.
#include "filedialog/folderentries.h"

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

class FolderEntries : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/folderentries-XXXXXX";
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


TEST_F(FolderEntries, ListsVisibleFoldersAndFilesOnRequest)
{
    auto names = [&](bool files) {
        std::vector<nx::FolderEntry> out;
        EXPECT_TRUE(nx::listFolder(root_ + "/tree", files, out));
        std::vector<std::string> n;
        for (const auto& e : out)
            n.push_back(e.name + (e.folder ? "/" : ""));
        std::sort(n.begin(), n.end());
        return n;
    };
    EXPECT_EQ(names(false), (std::vector<std::string>{"linked/", "sub/"}));
    EXPECT_EQ(names(true), (std::vector<std::string>{"file.txt", "linked/", "sub/"}));

    std::vector<nx::FolderEntry> out;
    int err = 0;
    EXPECT_FALSE(nx::listFolder(root_ + "/missing", false, out, &err));
    EXPECT_EQ(err, ENOENT);
}

TEST_F(FolderEntries, MakesFoldersWithoutReplacingAnything)
{
    struct Case {
        const char* name;
        bool ok;
        int err;
    } cases[] = {
        {"新しいフォルダ", true, 0},
        {"新しいフォルダ", false, EEXIST},
        {"file.txt", false, EEXIST},
        {"a/b", false, EINVAL},
        {"..", false, EINVAL},
        {"", false, EINVAL},
    };
    for (const Case& c : cases) {
        int err = 0;
        EXPECT_EQ(nx::makeFolder(root_ + "/tree", c.name, &err), c.ok) << c.name;
        EXPECT_EQ(err, c.err) << c.name;
    }
    EXPECT_TRUE(fs::is_directory(root_ + "/tree/新しいフォルダ"));
    EXPECT_TRUE(fs::is_regular_file(root_ + "/tree/file.txt"));
}

}  // namespace
