// What the chooser lists of a folder, and the folders it makes there.
#include "filedialog/folderentries.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace {

// A folder with one of every kind of entry the chooser meets: folders,
// hidden ones, a file, links to a folder and to nothing, and a FIFO.
class FolderEntries : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_.mkdir("tree");
        dir_.mkdir("tree/sub");
        dir_.mkdir("tree/.hidden");
        dir_.write("tree/file.txt");
        dir_.write("tree/.dotfile");
        ASSERT_EQ(::symlink((root_ + "/tree/sub").c_str(), (root_ + "/tree/linked").c_str()), 0);
        ASSERT_EQ(::symlink((root_ + "/nowhere").c_str(), (root_ + "/tree/dangling").c_str()), 0);
        ASSERT_EQ(::mkfifo((root_ + "/tree/pipe").c_str(), 0600), 0);
    }
    testing_support::ScratchDir dir_;
    const std::string root_ = dir_.path();
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
    struct stat st {};
    ASSERT_EQ(::lstat((root_ + "/tree/新しいフォルダ").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(dir_.read("tree/file.txt"), "x");
}

}  // namespace
