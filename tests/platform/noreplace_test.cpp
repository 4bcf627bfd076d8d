// The one no-replace rename and its one fallback policy, with the fault layer
// answering as the file systems the program meets do.
#include "platform/folder.h"
#include "platform/noreplace.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <ostream>

using namespace testing_support;
using platform::ScopedSys;

namespace {

// The outcomes a caller of the rename tells apart.
enum class RenameStatus { done, targetExists, notPossible, failed };

RenameStatus outcomeOf(const platform::Status& s)
{
    if (s)
        return RenameStatus::done;
    if (s.notPossible())
        return RenameStatus::notPossible;
    return s.error() == EEXIST ? RenameStatus::targetExists : RenameStatus::failed;
}

const char* statusName(RenameStatus s)
{
    switch (s) {
    case RenameStatus::done:
        return "done";
    case RenameStatus::targetExists:
        return "target exists";
    case RenameStatus::notPossible:
        return "not possible";
    case RenameStatus::failed:
        return "failed";
    }
    return "?";
}

// How a file system answers the two calls; 0 passes the call on.
struct FileSystem {
    const char* name;
    int renameErr;        // renameat2 with RENAME_NOREPLACE
    int linkErr;          // linkat
    RenameStatus toFree;  // renaming to a free name
    RenameStatus toTaken; // renaming to a taken name (or a dangling link's)
    int error;            // the error reported for the free name
    bool linked;          // the free name was made by a link
};

void PrintTo(const FileSystem& f, std::ostream* os)
{
    *os << f.name << " (renameat2 " << f.renameErr << ", linkat " << f.linkErr << ": "
        << statusName(f.toFree) << ")";
}

void answerAs(FaultSys& fs, const FileSystem& f)
{
    if (f.renameErr)
        fs.onRenameat2 = [e = f.renameErr](int, const char*, int, const char*, unsigned) {
            return refuse(e);
        };
    if (f.linkErr)
        fs.onLinkat = [e = f.linkErr](int, const char*, int, const char*, int) {
            return refuse(e);
        };
}

class RenameOnEachFileSystem : public ::testing::TestWithParam<FileSystem> {};

TEST_P(RenameOnEachFileSystem, FollowsThePolicyAndNeverReplaces)
{
    const FileSystem& f = GetParam();
    ScratchDir d;
    d.write("a", "A");
    d.write("b", "B");
    ASSERT_EQ(::symlink("nowhere", d.file("dangling").c_str()), 0);
    FaultSys fs;
    answerAs(fs, f);
    ScopedSys scoped(fs);

    for (const char* target : {"b", "dangling", "a"}) {
        SCOPED_TRACE(target);
        const platform::Status r = platform::renameNoReplace(d / "a", d / target);
        EXPECT_EQ(outcomeOf(r), f.toTaken) << statusName(outcomeOf(r));
        EXPECT_FALSE(r);
    }
    EXPECT_EQ(d.read("a"), "A");
    EXPECT_EQ(d.read("b"), "B");
    EXPECT_FALSE(exists(d / "nowhere"));

    fs.calls.clear();
    const platform::Status r = platform::renameNoReplace(d / "a", d / "c");
    EXPECT_EQ(outcomeOf(r), f.toFree) << statusName(outcomeOf(r));
    EXPECT_EQ(r.error(), f.error);
    EXPECT_EQ(static_cast<bool>(r), f.toFree == RenameStatus::done);
    EXPECT_EQ(fs.indexOf("linkat") >= 0, f.linked || f.linkErr != 0);
    if (f.toFree == RenameStatus::done) {
        EXPECT_FALSE(d.exists("a"));
        EXPECT_EQ(d.read("c"), "A");
    } else {
        // Nothing changed: the file keeps its name, no second name is left.
        EXPECT_EQ(d.read("a"), "A");
        EXPECT_FALSE(d.exists("c"));
    }
    EXPECT_EQ(d.read("b"), "B");
}

INSTANTIATE_TEST_SUITE_P(
    NoReplace, RenameOnEachFileSystem,
    ::testing::Values(
        // ext4, xfs, btrfs, tmpfs: the flag is there.
        FileSystem{"Ext4", 0, 0, RenameStatus::done, RenameStatus::targetExists, 0, false},
        // NFS has no rename flags; links it has.
        FileSystem{"Nfs", EINVAL, 0, RenameStatus::done, RenameStatus::targetExists, 0, true},
        // A kernel, or a sandbox's filter, without the call.
        FileSystem{"NoSyscall", ENOSYS, 0, RenameStatus::done, RenameStatus::targetExists, 0,
                   true},
        FileSystem{"FlagNotSupported", EOPNOTSUPP, 0, RenameStatus::done,
                   RenameStatus::targetExists, 0, true},
        // vfat and exFAT through FUSE, and FUSE file systems without links:
        // neither call can do it, and the copy has to make the name.
        FileSystem{"FuseVfat", EINVAL, EPERM, RenameStatus::notPossible,
                   RenameStatus::notPossible, EINVAL, false},
        FileSystem{"FuseNoLinkOp", EINVAL, EOPNOTSUPP, RenameStatus::notPossible,
                   RenameStatus::notPossible, EINVAL, false},
        FileSystem{"NoSyscallNoLinks", ENOSYS, EINVAL, RenameStatus::notPossible,
                   RenameStatus::notPossible, ENOSYS, false},
        // A real failure is reported as one, with its errno, and no other
        // way is tried.
        FileSystem{"DiskErrorOnRename", EIO, 0, RenameStatus::failed, RenameStatus::failed, EIO,
                   false},
        FileSystem{"AcrossMounts", EXDEV, 0, RenameStatus::failed, RenameStatus::failed, EXDEV,
                   false},
        FileSystem{"NfsDiskErrorOnLink", EINVAL, EIO, RenameStatus::failed, RenameStatus::failed,
                   EIO, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Without the flag: the link, then the old name's removal, which may fail
// for real, or be reported failed after it happened (NFS sends a call again
// when its reply is lost, and the second answer is "no such file").
struct Removal {
    const char* name;
    bool happens;  // the old name is gone whatever the call answers
    int err;       // what the call answers; 0 for success
    RenameStatus want;
};

void PrintTo(const Removal& r, std::ostream* os) { *os << r.name; }

class RemovalAfterTheLink : public ::testing::TestWithParam<Removal> {};

TEST_P(RemovalAfterTheLink, TheFileAlwaysKeepsOneNameAndTheNewOneIsOnTheDiskFirst)
{
    const Removal& r = GetParam();
    ScratchDir d;
    d.write("a", "A");
    FaultSys fs;
    nfsFileSystem(fs);
    bool answered = false;  // only the first answer is lost
    fs.onUnlinkat = [&](int dir, const char* p, int flags) {
        if (answered || r.err == 0)
            return fs.Sys::unlinkat(dir, p, flags);
        answered = true;
        if (r.happens)
            fs.Sys::unlinkat(dir, p, flags);
        return refuse(r.err);
    };
    ScopedSys scoped(fs);
    const platform::Status result = platform::renameNoReplace(d / "a", d / "b");
    EXPECT_EQ(outcomeOf(result), r.want) << statusName(outcomeOf(result));
    if (r.want == RenameStatus::done)
        EXPECT_EQ(d.names(), std::vector<std::string>{"b"});
    else
        EXPECT_EQ(d.names(), std::vector<std::string>{"a"});
    EXPECT_EQ(d.read(d.names().at(0)), "A");
    const int link = fs.indexOf("linkat"), sync = fs.indexOf("fsync"), unlink = fs.indexOf("unlinkat");
    EXPECT_TRUE(link < sync && sync < unlink) << "link " << link << ", sync " << sync << ", unlink " << unlink;
}

INSTANTIATE_TEST_SUITE_P(
    NoReplace, RemovalAfterTheLink,
    ::testing::Values(Removal{"Removed", true, 0, RenameStatus::done},
                      Removal{"RefusedForReal", false, EBUSY, RenameStatus::failed},
                      Removal{"RemovedButAnsweredNoSuchFile", true, ENOENT, RenameStatus::done},
                      Removal{"RemovedButAnsweredIoError", true, EIO, RenameStatus::done}),
    [](const auto& info) { return std::string(info.param.name); });

// Links to folders are refused by every file system: without the flag a
// folder cannot be renamed safely, and is not.
TEST(RenameNoReplace, FolderWithoutTheFlagIsNotPossible)
{
    ScratchDir d;
    d.mkdir("sub");
    FaultSys fs;
    fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) { return refuse(EINVAL); };
    ScopedSys scoped(fs);
    EXPECT_TRUE(platform::renameNoReplace(d / "sub", d / "moved").notPossible());
    EXPECT_EQ(d.names(), std::vector<std::string>{"sub"});
}

TEST(RenameNoReplace, NamesResolveInTheFoldersGiven)
{
    ScratchDir from, to, here;
    from.write("a", "A");
    here.write("a", "here");
    CwdGuard cwd(here.path());
    const platform::FolderHandle f = platform::FolderHandle::open(from.path()).value();
    const platform::FolderHandle t = platform::FolderHandle::open(to.path()).value();
    EXPECT_TRUE(platform::renameNoReplace(f.fd(), "a", t.fd(), "b"));
    EXPECT_EQ(to.read("b"), "A");
    EXPECT_FALSE(from.exists("a"));
    EXPECT_EQ(here.names(), std::vector<std::string>{"a"});
}

TEST(RenameNoReplace, EmptyNamesAndNulBytesChangeNothing)
{
    ScratchDir d;
    d.write("a", "A");
    const struct {
        std::string from, to;
        int err;
    } cases[] = {{"", d / "b", ENOENT},
                 {d / "a", "", ENOENT},
                 {d / "a", d / std::string("b\0c", 3), EINVAL}};
    for (const auto& c : cases) {
        const platform::Status r = platform::renameNoReplace(c.from, c.to);
        EXPECT_EQ(outcomeOf(r), RenameStatus::failed);
        EXPECT_EQ(r.error(), c.err);
    }
    EXPECT_EQ(d.names(), std::vector<std::string>{"a"});
}

}  // namespace
