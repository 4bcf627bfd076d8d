// The folder handle: it means the folder it was opened on, whatever later
// happens to that folder's path.
#include "platform/fileops.h"
#include "platform/folder.h"
#include "platform/fs.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using platform::FolderHandle;

namespace {

std::string realPath(const std::string& p)
{
    char buf[4096];
    return ::realpath(p.c_str(), buf) ? buf : "";
}

platform::FileId idOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {.inode = st.st_ino, .device = st.st_dev};
}

TEST(FolderHandle, OpensFoldersOnly)
{
    ScratchDir d;
    d.mkdir("sub");
    d.write("file");
    const struct {
        std::string path;
        int err;
    } cases[] = {{d / "sub", 0}, {d / "sub/", 0}, {d / "missing", ENOENT},
                 {d / "file", ENOTDIR}, {"", ENOENT}};
    for (const auto& c : cases) {
        const platform::Result<FolderHandle> opened = FolderHandle::open(c.path);
        const FolderHandle& h = opened.value();
        EXPECT_EQ(h.valid(), c.err == 0) << c.path;
        EXPECT_EQ(opened.error(), c.err) << c.path;
        if (h) {
            EXPECT_EQ(h.path(), c.path);
            EXPECT_EQ(h.id(), idOf(d / "sub"));
        } else {
            EXPECT_EQ(h.fd(), -1);
        }
    }
}

TEST(FolderHandle, CurrentIsTheFolderAsThePlatformReportsIt)
{
    ScratchDir d;
    d.mkdir("sub");
    CwdGuard cwd(d / "sub/../sub/.");
    const FolderHandle h = FolderHandle::current().value();
    ASSERT_TRUE(h);
    EXPECT_EQ(h.path(), realPath(d / "sub"));
    EXPECT_EQ(h.id(), idOf(d / "sub"));
}

// Renamed while held: entering it goes to where it is now, and names made
// in it land there, not in a new folder that took its old path.
TEST(FolderHandle, FollowsItsFolderWhenItIsRenamed)
{
    ScratchDir d;
    d.mkdir("work");
    d.write("work/a", "mine");
    CwdGuard cwd;
    const FolderHandle h = FolderHandle::open(d / "work").value();
    ASSERT_EQ(::rename((d / "work").c_str(), (d / "moved").c_str()), 0);
    d.mkdir("work");
    d.write("work/a", "another folder's");

    ASSERT_TRUE(h.enter());
    EXPECT_EQ(platform::currentFolder().value(), realPath(d / "moved"));
    EXPECT_TRUE(platform::copyFileNoReplace(h.fd(), "a", h.fd(), "b"));
    EXPECT_EQ(d.read("moved/b"), "mine");
    EXPECT_FALSE(d.exists("work/b"));
}

// Removed while held: it can still be entered, so the process stays out of
// every other folder, but nothing can be made in it.
TEST(FolderHandle, RemovedFolderCanBeEnteredButTakesNothing)
{
    ScratchDir d;
    d.mkdir("gone");
    CwdGuard cwd;
    const FolderHandle h = FolderHandle::open(d / "gone").value();
    ASSERT_EQ(::rmdir((d / "gone").c_str()), 0);
    d.mkdir("gone");  // another folder at the same path
    d.write("gone/a", "another folder's");

    ASSERT_TRUE(h.enter());
    EXPECT_EQ(platform::currentFolder().error(), ENOENT);
    EXPECT_FALSE(platform::copyFileNoReplace(h.fd(), "a", h.fd(), "b"));
    EXPECT_EQ(d.names(), std::vector<std::string>{"gone"});
    EXPECT_EQ(d.read("gone/a"), "another folder's");
}

TEST(FolderHandle, DuplicateLivesOnItsOwn)
{
    ScratchDir d;
    d.write("a", "A");
    FolderHandle copy;
    {
        const FolderHandle h = FolderHandle::open(d.path()).value();
        copy = h.duplicate().value();
        ASSERT_TRUE(copy);
        EXPECT_NE(copy.fd(), h.fd());
        EXPECT_EQ(copy.id(), h.id());
        EXPECT_EQ(copy.path(), h.path());
    }
    EXPECT_TRUE(platform::isReadOnly(copy.fd(), "a") == false);
    EXPECT_TRUE(platform::copyFileNoReplace(copy.fd(), "a", copy.fd(), "b"));
    EXPECT_EQ(d.read("b"), "A");

    FolderHandle moved = std::move(copy);
    EXPECT_FALSE(copy);
    EXPECT_TRUE(moved);
    EXPECT_EQ(copy.duplicate().error(), EBADF);
}

// No folder at all: nothing made in it can reach the current folder.
TEST(FolderHandle, NoFolderNeverMeansTheCurrentOne)
{
    ScratchDir d;
    d.write("a", "A");
    CwdGuard cwd(d.path());
    const FolderHandle none;
    EXPECT_EQ(none.enter().error(), EBADF);
    EXPECT_EQ(platform::copyFileNoReplace(none.fd(), "a", none.fd(), "b").error(), EBADF);
    EXPECT_FALSE(platform::renameNoReplace(none.fd(), "a", none.fd(), "c"));
    EXPECT_EQ(d.names(), std::vector<std::string>{"a"});
}

}  // namespace
