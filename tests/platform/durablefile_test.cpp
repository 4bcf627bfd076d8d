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
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

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
        EXPECT_EQ(replaceFileDurably(d / "f.ini", "[a]\r\nk=3\r\n").error(), c.err) << c.what;
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
    EXPECT_EQ(replaceFileDurably(d / "new.ini", "[a]\r\n").error(), EACCES);
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
        EXPECT_EQ(replaceFileDurably(d / c.name, "new").error(), c.err) << c.name;
    }
    EXPECT_EQ(readFile(d / "r.ini"), "old");
    EXPECT_EQ(d.names(), (std::vector<std::string>{"dir.ini", "r.ini"}));
}

bool isLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A settings file kept elsewhere (with the user's other settings) and
// linked to from beside the program.
class LinkedSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(dotfiles / "meibo.ini", kOld);
        ASSERT_EQ(::symlink((dotfiles / "meibo.ini").c_str(), link.c_str()), 0);
    }
    void expectUntouched(const char* what)
    {
        EXPECT_EQ(readFile(dotfiles / "meibo.ini"), kOld) << what;
        EXPECT_TRUE(isLink(link)) << what;
        EXPECT_EQ(home.names(), std::vector<std::string>{"meibo.ini"}) << what;
        EXPECT_EQ(dotfiles.names(), std::vector<std::string>{"meibo.ini"}) << what;
    }

    const std::string kOld = "[a]\r\n; a line of the user's own, kept as it is\r\nk=1\r\n";
    const std::string kNew = "[new]\r\n; a line of the user's own, kept as it is\r\nk=2\r\n";
    ScratchDir home, dotfiles;
    const std::string link = home / "meibo.ini";
};

TEST_F(LinkedSettings, WriteReplacesTheTargetAndTheLinkStaysALink)
{
    ASSERT_TRUE(replaceFileDurably(link, kNew));
    EXPECT_EQ(readFile(dotfiles / "meibo.ini"), kNew);
    EXPECT_TRUE(isLink(link));
    EXPECT_EQ(home.names(), std::vector<std::string>{"meibo.ini"});
    EXPECT_EQ(dotfiles.names(), std::vector<std::string>{"meibo.ini"});
}

// The disk fills up while the file is written: the old file stays whole,
// foreign lines and all, and nothing is left beside it.
TEST_F(LinkedSettings, FullDiskLeavesTheOldFileWhole)
{
    FaultSys fs;
    fs.limitWrites(8);
    fs.failNthOf(FaultSys::kWrite, 2, ENOSPC);
    platform::ScopedSys use(fs);
    EXPECT_EQ(replaceFileDurably(link, kNew).error(), ENOSPC);
    expectUntouched("full disk");
}

// Another program that reads the file while it is written (another copy of
// the program starting) finds the old file or the new one, never a mix.
TEST_F(LinkedSettings, ReaderDuringTheWriteSeesTheOldFileOrTheNew)
{
    FaultSys fs;
    fs.limitWrites(8);
    std::vector<std::string> seen;
    fs.onWrite = [&](int fd, const void* b, size_t n) {
        const ssize_t r = fs.Sys::write(fd, b, n);
        seen.push_back(readFile(dotfiles / "meibo.ini"));
        return r;
    };
    {
        platform::ScopedSys use(fs);
        ASSERT_TRUE(replaceFileDurably(link, kNew));
    }
    ASSERT_FALSE(seen.empty());
    for (const std::string& s : seen)
        EXPECT_EQ(s, kOld);
    EXPECT_EQ(readFile(dotfiles / "meibo.ini"), kNew);
}

// Two copies of the program closing at the same moment, each writing its
// settings through the link many times: whoever reads the file meanwhile
// finds one whole file, never a mix or NUL bytes, and the last one wins.
TEST_F(LinkedSettings, TwoProgramsClosingAtOnceLeaveOneWholeFile)
{
    const std::string a = "[a]\r\n" + std::string(3000, 'a') + "\r\n";
    const std::string b = "[b]\r\nb\r\n";
    constexpr int kWrites = 150;
    auto writer = [&](const std::string& bytes) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < kWrites; ++i)
                ok = replaceFileDurably(link, bytes) && ok;
            ::_exit(ok ? 0 : 1);
        }
        return pid;
    };
    pid_t writers[2] = {writer(a), writer(b)};
    ASSERT_GT(writers[0], 0);
    ASSERT_GT(writers[1], 0);
    int running = 2, ok = 0, reads = 0, torn = 0;
    std::optional<std::string> tornSample;
    while (running > 0) {
        const std::string now = readFile(dotfiles / "meibo.ini");
        ++reads;
        if (now != kOld && now != a && now != b && !torn++)
            tornSample = now;
        for (pid_t& p : writers) {
            int status = 0;
            if (p > 0 && ::waitpid(p, &status, WNOHANG) == p) {
                p = -1;
                --running;
                ok += WIFEXITED(status) && WEXITSTATUS(status) == 0;
            }
        }
    }
    std::printf("[ figures  ] two programs writing through a link: %d writes, %d reads, "
                "%d torn\n", 2 * kWrites, reads, torn);
    EXPECT_EQ(ok, 2) << "a writer failed";
    EXPECT_EQ(torn, 0) << "of " << reads << " reads; e.g. " << tornSample->size() << " bytes";
    const std::string last = readFile(dotfiles / "meibo.ini");
    EXPECT_TRUE(last == a || last == b);
    EXPECT_TRUE(isLink(link));
    EXPECT_EQ(dotfiles.names(), std::vector<std::string>{"meibo.ini"});
}

// A link to a file that is not there yet: the file is made where the link
// points, and the link stays.
TEST(ReplaceFileDurably, DanglingLinkIsWrittenThroughAndStaysALink)
{
    ScratchDir home, dotfiles;
    ASSERT_EQ(::symlink((dotfiles / "meibo.ini").c_str(), (home / "meibo.ini").c_str()), 0);
    // A relative link, through a second link.
    ASSERT_EQ(::symlink("meibo.ini", (home / "again.ini").c_str()), 0);
    ASSERT_TRUE(replaceFileDurably(home / "again.ini", "[a]\r\n"));
    EXPECT_EQ(readFile(dotfiles / "meibo.ini"), "[a]\r\n");
    EXPECT_TRUE(isLink(home / "meibo.ini"));
    EXPECT_TRUE(isLink(home / "again.ini"));
    EXPECT_EQ(home.names(), (std::vector<std::string>{"again.ini", "meibo.ini"}));
    EXPECT_EQ(dotfiles.names(), std::vector<std::string>{"meibo.ini"});

    // A link that leads round in a circle names no file.
    ASSERT_EQ(::symlink("loop2", (home / "loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", (home / "loop2").c_str()), 0);
    EXPECT_EQ(replaceFileDurably(home / "loop1", "x").error(), ELOOP);
}

// As the kernel does for links in shared folders: a link is followed only
// to what belongs to the link's own owner, so that nobody can make the
// program write over another user's file by planting a link.
TEST(ReplaceFileDurably, LinkWhoseOwnerIsNotItsTargetsOwnerIsNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give files to another user";
    constexpr uid_t other = 12345;
    const struct {
        const char* name;
        uid_t linkOwner, targetOwner;
        bool dangling;
        bool followed;
    } cases[] = {
        {"link of another user to ours", other, 0, false, false},
        {"our link to another user's file", 0, other, false, false},
        {"another user's link to their own file", other, other, false, true},
        {"another user's dangling link into our folder", other, 0, true, false},
        {"our dangling link into our folder", 0, 0, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir shared, target;
        const std::string file = target / "settings.ini", link = shared / "meibo.ini";
        if (!c.dangling) {
            writeFile(file, "[theirs]\r\n");
            ASSERT_EQ(::chown(file.c_str(), c.targetOwner, c.targetOwner), 0);
        }
        ASSERT_EQ(::chown(target.path().c_str(), c.targetOwner, c.targetOwner), 0);
        ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
        const platform::Status s = replaceFileDurably(link, "[ours]\r\n");
        EXPECT_EQ(s.ok(), c.followed) << s.error();
        if (c.followed) {
            EXPECT_EQ(readFile(file), "[ours]\r\n");
        } else {
            EXPECT_EQ(s.error(), EACCES);
            if (c.dangling)
                EXPECT_FALSE(exists(file));
            else
                EXPECT_EQ(readFile(file), "[theirs]\r\n");
        }
        EXPECT_TRUE(isLink(link));
        EXPECT_EQ(shared.names(), std::vector<std::string>{"meibo.ini"});
        EXPECT_LE(target.names().size(), 1u);
    }
}

// A settings file on a FUSE stick, whose file system keeps no permission
// bits, is still written.
TEST(ReplaceFileDurably, FileSystemWithoutModeBitsTakesTheFileAllTheSame)
{
    ScratchDir d;
    writeFile(d / "meibo.ini", "[a]\r\n");
    for (int refusal : {ENOSYS, EPERM, EOPNOTSUPP}) {
        FaultSys fs;
        fs.onFchmod = [refusal](int, mode_t) { return refuse(refusal); };
        platform::ScopedSys use(fs);
        const platform::Status s = replaceFileDurably(d / "meibo.ini", "[b]\r\n");
        EXPECT_TRUE(s) << std::strerror(s.error());
        EXPECT_EQ(readFile(d / "meibo.ini"), "[b]\r\n");
        writeFile(d / "meibo.ini", "[a]\r\n");
    }
}

}  // namespace
