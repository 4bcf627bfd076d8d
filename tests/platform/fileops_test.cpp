// Removing a file: only writable files go, by path or in a folder held open.
#include "platform/fileops.h"
#include "platform/folder.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;

namespace {

TEST(DeleteFile, RemovesWritableFilesOnlyEvenForRoot)
{
    ScratchDir d;
    writeFile(d / "rw", "x", 0644);
    writeFile(d / "owner-write-only", "x", 0200);
    writeFile(d / "ro", "x", 0444);
    writeFile(d / "none", "x", 0000);
    ASSERT_EQ(::mkdir((d / "folder").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("ro", (d / "link-to-ro").c_str()), 0);
    struct Case {
        const char* name;
        bool readOnly, deleted;
    } cases[] = {{"rw", false, true},     {"owner-write-only", false, true},
                 {"ro", true, false},     {"none", true, false},
                 {"folder", false, false}, {"missing", false, false},
                 {"link-to-ro", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::isReadOnly(d / c.name), c.readOnly);
        EXPECT_EQ(platform::deleteFile(d / c.name).ok(), c.deleted);
        EXPECT_EQ(exists(d / c.name), !c.deleted && std::string(c.name) != "missing");
    }
}

// In a folder held open the same rules hold, and a name never reaches the
// current folder, even where it holds a file of that name.
TEST(DeleteFile, InAFolderHeldOpenActsThereOnly)
{
    ScratchDir work, here;
    writeFile(work / "rw", "x", 0644);
    writeFile(work / "ro", "x", 0444);
    here.write("rw");
    here.write("other");
    CwdGuard cwd(here.path());
    const platform::FolderHandle dir = platform::FolderHandle::open(work.path()).value();
    EXPECT_TRUE(platform::isReadOnly(dir.fd(), "ro"));
    EXPECT_EQ(platform::deleteFile(dir.fd(), "ro").error(), EACCES);
    EXPECT_TRUE(platform::deleteFile(dir.fd(), "rw"));
    EXPECT_FALSE(work.exists("rw"));
    EXPECT_EQ(platform::deleteFile(dir.fd(), "other").error(), ENOENT);
    EXPECT_EQ(here.names(), (std::vector<std::string>{"other", "rw"}));
    // No folder at all: nothing anywhere is removed.
    EXPECT_EQ(platform::deleteFile(platform::FolderHandle().fd(), "other").error(), EBADF);
    EXPECT_TRUE(here.exists("other"));
}

TEST(DeleteFile, NameWithANulByteIsRefused)
{
    ScratchDir d;
    d.write("a");
    EXPECT_EQ(platform::deleteFile(d.file(std::string("a\0b", 3))).error(), EINVAL);
    EXPECT_TRUE(d.exists("a"));
}

}  // namespace
