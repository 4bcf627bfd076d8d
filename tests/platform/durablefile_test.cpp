// Replacing a whole file durably: a crash or a failing disk at any step
// leaves the old content or the new one, and nothing beside it.
#include "platform/durablefile.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

using namespace testing_support;
using platform::replaceFileDurably;

namespace {

TEST(ReplaceFileDurably, KeepsTheFileModeAndFollowsALink)
{
    ScratchDir d;
    writeFile(d / "real.ini", "[a]\n", 0600);
    ASSERT_EQ(::symlink("real.ini", (d / "link.ini").c_str()), 0);
    ASSERT_TRUE(replaceFileDurably(d / "link.ini", "[a]\r\nk=1\r\n"));
    EXPECT_EQ(readFile(d / "real.ini"), "[a]\r\nk=1\r\n");
    EXPECT_EQ(modeOf(d / "real.ini"), 0600u);
    struct stat st {};
    ASSERT_EQ(::lstat((d / "link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    ASSERT_TRUE(replaceFileDurably(d / "real.ini", "[b]\r\n"));
    EXPECT_EQ(modeOf(d / "real.ini"), 0600u);
}

TEST(ReplaceFileDurably, NewContentIsOnDiskBeforeItsNameAndAFailureLeavesTheOld)
{
    ScratchDir d;
    writeFile(d / "f.ini", "[a]\nk=1\n");
    FaultSys fs;
    platform::ScopedSys scoped(fs);
    ASSERT_TRUE(replaceFileDurably(d / "f.ini", "[a]\r\nk=2\r\n"));
    EXPECT_GE(fs.indexOf("fsync"), 0);
    EXPECT_LT(fs.indexOf("fsync"), fs.indexOf("renameat2"));
    // The folder itself is flushed after the rename, so the name survives too.
    const auto lastSync = std::find(fs.calls.rbegin(), fs.calls.rend(), "fsync");
    ASSERT_NE(lastSync, fs.calls.rend());
    EXPECT_GT(fs.calls.rend() - lastSync - 1, fs.indexOf("renameat2"));

    // The disk fills up, the flush fails, the rename fails, the close
    // reports a lost write: each time the old file stays whole and no
    // scratch file is left.
    const struct {
        const char* what;
        FaultSys::Kind kind;
        int err;
    } cases[] = {{"write", FaultSys::kWrite, ENOSPC},
                 {"flush", FaultSys::kSync, EIO},
                 {"rename", FaultSys::kRename, EIO},
                 {"close", FaultSys::kClose, EIO}};
    for (const auto& c : cases) {
        fs.reset();
        fs.failNthOf(c.kind, 1, c.err);
        int err = 0;
        EXPECT_FALSE(replaceFileDurably(d / "f.ini", "[a]\r\nk=3\r\n", &err)) << c.what;
        EXPECT_EQ(err, c.err) << c.what;
        EXPECT_EQ(readFile(d / "f.ini"), "[a]\r\nk=2\r\n") << c.what;
        EXPECT_EQ(d.names(), std::vector<std::string>{"f.ini"}) << c.what;
    }
}

// The scratch file a write makes is of the program's own pattern, hidden
// from every listing.
TEST(ReplaceFileDurably, WritesThroughAScratchNameOfTheProgramsPattern)
{
    ScratchDir d;
    FaultSys fs;
    std::vector<std::string> created;
    fs.onOpen = [&](int dir, const char* p, int flags, mode_t m) {
        if (flags & O_CREAT)
            created.emplace_back(p);
        return fs.Sys::openat(dir, p, flags, m);
    };
    platform::ScopedSys scoped(fs);
    ASSERT_TRUE(replaceFileDurably(d / "new.ini", "[a]\r\n"));
    ASSERT_EQ(created.size(), 1u);
    EXPECT_TRUE(platform::TempFile::isScratchName(created[0])) << created[0];
    EXPECT_EQ(d.names(), std::vector<std::string>{"new.ini"});
}

TEST(ReplaceFileDurably, FolderThatTakesNoNewFileGetsTheFileRewrittenInPlace)
{
    ScratchDir d;
    writeFile(d / "p.ini", "[a]\nk=a long value that makes the old file longer\n");
    FaultSys fs;
    fs.onOpen = [&fs](int dir, const char* p, int flags, mode_t m) {
        if (flags & O_CREAT)
            return refuse(EACCES);
        return fs.Sys::openat(dir, p, flags, m);
    };
    platform::ScopedSys scoped(fs);
    ASSERT_TRUE(replaceFileDurably(d / "p.ini", "[a]\r\nk=2\r\n"));
    // Shorter than before: the old tail is cut off.
    EXPECT_EQ(readFile(d / "p.ini"), "[a]\r\nk=2\r\n");
    EXPECT_EQ(fs.indexOf("renameat2"), -1);

    // No file yet, and none can be made there.
    int err = 0;
    EXPECT_FALSE(replaceFileDurably(d / "new.ini", "[a]\r\n", &err));
    EXPECT_EQ(err, EACCES);
    EXPECT_FALSE(exists(d / "new.ini"));
}

TEST(ReplaceFileDurably, ReadOnlyFilesAndFoldersAreNotWritten)
{
    ScratchDir d;
    writeFile(d / "r.ini", "old", 0444);
    d.mkdir("dir.ini");
    const struct {
        const char* name;
        int err;
    } cases[] = {{"r.ini", EACCES}, {"dir.ini", EISDIR}, {"missing/x.ini", ENOENT}};
    for (const auto& c : cases) {
        int err = 0;
        EXPECT_FALSE(replaceFileDurably(d / c.name, "new", &err)) << c.name;
        EXPECT_EQ(err, c.err) << c.name;
    }
    EXPECT_EQ(readFile(d / "r.ini"), "old");
    EXPECT_EQ(d.names(), (std::vector<std::string>{"dir.ini", "r.ini"}));
}

}  // namespace
