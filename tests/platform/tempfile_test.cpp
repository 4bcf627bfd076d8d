// The scratch-file type: a new file that no name shows until it is kept,
// and that leaves nothing behind when it is discarded, destroyed, or its
// keeping fails.
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string_view>

using namespace testing_support;
using platform::ScopedSys;
using platform::TempFile;

namespace {

// The three ways a file comes to be, by what the folder takes.
enum class Way { unnamed, scratch, inPlace };

void PrintTo(Way w, std::ostream* os)
{
    *os << (w == Way::unnamed ? "unnamed" : w == Way::scratch ? "scratch name" : "in place");
}

class TempFileWays : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override
    {
        if (GetParam() == Way::scratch)
            withoutUnnamedFiles(fs);
        use.emplace(fs);
        dir = platform::FolderHandle::open(d.path()).value();
        ASSERT_TRUE(dir);
    }
    TempFile make(const std::string& name = "new")
    {
        platform::Result<TempFile> t = GetParam() == Way::inPlace ? TempFile::createInPlace(dir.fd(), name)
                                                                   : TempFile::create(dir.fd());
        EXPECT_TRUE(t) << t.error();
        return std::move(t).value();
    }
    // What the folder shows while the file is made: nothing, one hidden
    // scratch name, or the name itself.
    void expectShownWhileWritten(const TempFile& t, const std::vector<std::string>& others)
    {
        std::vector<std::string> want = others;
        if (GetParam() != Way::unnamed)
            want.push_back(t.name());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(d.names(), want);
        if (GetParam() == Way::scratch) {
            EXPECT_TRUE(TempFile::isScratchName(t.name())) << t.name();
        }
    }

    ScratchDir d;
    FaultSys fs;
    std::optional<ScopedSys> use;
    platform::FolderHandle dir;
};

TEST_P(TempFileWays, KeptFileAppearsCompleteUnderItsName)
{
    TempFile t = make();
    ASSERT_EQ(::write(t.fd(), "content", 7), 7);
    expectShownWhileWritten(t, {});
    const platform::Status r = t.keep("new");
    EXPECT_TRUE(r) << r.error();
    EXPECT_EQ(t.kind(), TempFile::Kind::none);
    EXPECT_EQ(d.read("new"), "content");
    EXPECT_EQ(d.names(), std::vector<std::string>{"new"});
    // Kept is kept: neither discard nor the destructor takes it away.
    EXPECT_TRUE(t.discard());
    EXPECT_EQ(d.read("new"), "content");
}

TEST_P(TempFileWays, DiscardAndDestructorLeaveNothing)
{
    d.write("other", "stays");
    {
        TempFile t = make();
        ASSERT_EQ(::write(t.fd(), "x", 1), 1);
        expectShownWhileWritten(t, {"other"});
        EXPECT_TRUE(t.discard());
        EXPECT_EQ(d.names(), std::vector<std::string>{"other"});
    }
    {
        TempFile t = make();
        TempFile moved = std::move(t);  // the new owner removes it, once
        EXPECT_EQ(t.kind(), TempFile::Kind::none);
        ASSERT_EQ(::write(moved.fd(), "x", 1), 1);
    }
    EXPECT_EQ(d.names(), std::vector<std::string>{"other"});
    EXPECT_EQ(d.read("other"), "stays");
}

TEST_P(TempFileWays, KeepNeverReplacesAndLeavesTheFileToDiscard)
{
    d.write("taken", "precious");
    ASSERT_EQ(::symlink("nowhere", d.file("dangling").c_str()), 0);
    TempFile t = make();
    ASSERT_EQ(::write(t.fd(), "new", 3), 3);
    // An in-place file holds a name of its own and takes no other.
    const int want = GetParam() == Way::inPlace ? EINVAL : EEXIST;
    for (const char* name : {"taken", "dangling"})
        EXPECT_EQ(t.keep(name).error(), want) << name;
    EXPECT_EQ(d.read("taken"), "precious");
    EXPECT_FALSE(exists(d / "nowhere"));
    EXPECT_TRUE(t.discard());
    EXPECT_EQ(d.names(), (std::vector<std::string>{"dangling", "taken"}));
}

// A write error that only the close reports: the name never shows the
// file, and nothing is left.
TEST_P(TempFileWays, CloseErrorFailsTheKeep)
{
    TempFile t = make();
    ASSERT_EQ(::write(t.fd(), "x", 1), 1);
    fs.failNthOf(FaultSys::kClose, 1, EIO);
    EXPECT_EQ(t.keep("new").error(), EIO);
    t.discard();
    EXPECT_TRUE(d.names().empty());
}

INSTANTIATE_TEST_SUITE_P(TempFile, TempFileWays,
                         ::testing::Values(Way::unnamed, Way::scratch, Way::inPlace),
                         [](const auto& info) {
                             return info.param == Way::unnamed   ? "Unnamed"
                                    : info.param == Way::scratch ? "ScratchName"
                                                                 : "InPlace";
                         });

TEST(TempFile, InPlaceFileNeedsAFreeNameAndKeepsOnlyIt)
{
    ScratchDir d;
    d.write("taken", "precious");
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    EXPECT_EQ(TempFile::createInPlace(dir.fd(), "taken").error(), EEXIST);
    TempFile t = TempFile::createInPlace(dir.fd(), "mine").value();
    ASSERT_TRUE(t);
    EXPECT_EQ(t.keep("other").error(), EINVAL);
    EXPECT_TRUE(t.keep("mine"));
    EXPECT_EQ(d.names(), (std::vector<std::string>{"mine", "taken"}));
}

TEST(TempFile, ScratchFileReplacesAFileInOneStep)
{
    ScratchDir d;
    d.write("settings.ini", "old");
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    TempFile t = TempFile::create(dir.fd(), 0600, /*unnamed=*/false).value();
    ASSERT_EQ(t.kind(), TempFile::Kind::scratch);
    ASSERT_EQ(::write(t.fd(), "new", 3), 3);
    EXPECT_TRUE(t.keepReplacing("settings.ini"));
    EXPECT_EQ(d.read("settings.ini"), "new");
    EXPECT_EQ(d.names(), std::vector<std::string>{"settings.ini"});

    // An unnamed file has no name to be renamed from.
    TempFile u = TempFile::create(dir.fd()).value();
    ASSERT_EQ(u.kind(), TempFile::Kind::unnamed);
    EXPECT_EQ(u.keepReplacing("settings.ini").error(), EINVAL);
    EXPECT_EQ(d.read("settings.ini"), "new");
}

// Clutter the user never asked for: a scratch name that refuses to go once
// is tried again.
TEST(TempFile, DiscardTriesTheScratchNameTwice)
{
    ScratchDir d;
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    FaultSys fs;
    withoutUnnamedFiles(fs);
    ScopedSys use(fs);
    TempFile t = TempFile::create(dir.fd()).value();
    ASSERT_EQ(t.kind(), TempFile::Kind::scratch);
    fs.failNthOf(FaultSys::kUnlink, 1, EBUSY);
    EXPECT_TRUE(t.discard());
    EXPECT_TRUE(d.names().empty());
    EXPECT_EQ(fs.count(FaultSys::kUnlink), 2);
}

// A process killed while it writes leaves at most one hidden file of the
// scratch pattern beside the folder's own files, which a later run can tell
// apart from anything else.
TEST(TempFile, KilledWriterLeavesOnlyAScratchName)
{
    ScratchDir d;
    d.write(".hidden", "the user's");
    d.write("file", "the user's");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FaultSys fs;
        withoutUnnamedFiles(fs);
        ScopedSys use(fs);
        const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
        TempFile t = TempFile::create(dir.fd()).value();
        const bool made = t.kind() == TempFile::Kind::scratch && ::write(t.fd(), "half", 4) == 4;
        ::_exit(made ? 0 : 1);  // no destructor runs, as under a kill
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    int scratch = 0;
    for (const std::string& n : d.names())
        scratch += TempFile::isScratchName(n);
    EXPECT_EQ(scratch, 1);
    EXPECT_EQ(d.names().size(), 3u);
}

TEST(TempFile, ScratchPatternIsExact)
{
    const struct {
        const char* name;
        bool scratch;
    } cases[] = {
        {".tsumugi-12-3.tmp", true},   {".tsumugi-999999-1.tmp", true},
        {".tsumugi--3.tmp", false},    {".tsumugi-12-.tmp", false},
        {".tsumugi-12-3.tmpx", false}, {"tsumugi-12-3.tmp", false},
        {".tsumugi-1a-3.tmp", false},  {".tsumugi-12.tmp", false},
        {".tsumugi-12-3-4.tmp", false}, {".meibo.ini.12.3.tmp", false},
        {"a.tmp", false},              {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TempFile::isScratchName(c.name), c.scratch) << c.name;
}

// A process of this program that makes a scratch file in `folder` and ends
// without cleaning up (as under a kill), or, with `hold`, lives on with it
// until `*hold` is closed. Returns its pid once the file is made.
pid_t scratchMaker(const std::string& folder, int* hold)
{
    int ready[2], stay[2];
    if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(stay, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        FaultSys fs;
        withoutUnnamedFiles(fs);
        ScopedSys use(fs);
        const platform::FolderHandle dir = platform::FolderHandle::open(folder).value();
        TempFile t = TempFile::create(dir.fd()).value();
        const char made = t.kind() == TempFile::Kind::scratch ? 'y' : 'n';
        if (::write(ready[1], &made, 1) == 1 && hold) {
            ::close(stay[1]);
            char c;
            while (::read(stay[0], &c, 1) > 0) {
            }
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(stay[0]);
    char made = 'n';
    const bool ok = ::read(ready[0], &made, 1) == 1 && made == 'y';
    ::close(ready[0]);
    if (hold) {
        *hold = stay[1];
    } else {
        ::close(stay[1]);
        ::waitpid(child, nullptr, 0);
    }
    return ok ? child : -1;
}

// Another program, running, that now has a number a scratch name carries:
// `cat` reading from a pipe until `*hold` is closed. Returns once it runs
// that program. With `inherit`, that open file goes with it, and with it
// the file's lock.
pid_t otherProgram(int* hold, int inherit = -1)
{
    int in[2], execd[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(execd, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(in[0], 0);
        if (inherit >= 0)
            ::dup2(inherit, 3);
        ::execl("/bin/cat", "cat", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(execd[1]);
    char c;
    // The pipe's end closes on exec: then the child is that other program.
    while (::read(execd[0], &c, 1) > 0) {
    }
    ::close(execd[0]);
    *hold = in[1];
    return child;
}

std::string scratchNameOf(pid_t pid, int n)
{
    return ".tsumugi-" + std::to_string(pid) + "-" + std::to_string(n) + ".tmp";
}

std::string scratchOf(const ScratchDir& d, pid_t pid)
{
    for (const std::string& n : d.names())
        if (TempFile::scratchPid(n) == pid)
            return n;
    return {};
}

// What a killed run left is removed, and only that: not what a copy of
// the program still at work holds, nor what is no scratch file of ours.
TEST(StaleScratchFiles, OnlyThoseOfEndedRunsAreRemoved)
{
    ScratchDir d;
    const pid_t killed = scratchMaker(d.path(), nullptr);
    ASSERT_GT(killed, 0);
    const std::string stale = scratchOf(d, killed);
    int holdRunning = -1, holdOther = -1;
    const pid_t running = scratchMaker(d.path(), &holdRunning);
    ASSERT_GT(running, 0);
    const std::string inUse = scratchOf(d, running);
    const pid_t other = otherProgram(&holdOther);
    ASSERT_GT(other, 0);
    d.write(scratchNameOf(other, 1), "left by a run whose number cat has now");
    d.write(scratchNameOf(::getpid(), 7), "this process's own");
    d.write(".hidden", "the user's");
    d.write("photo.jpg", "the user's");
    d.write(".tsumugi-" + std::to_string(killed) + ".tmp", "of another pattern");
    d.mkdir(scratchNameOf(killed, 900));
    ASSERT_EQ(::symlink("photo.jpg", d.file(scratchNameOf(killed, 901)).c_str()), 0);
    d.write(scratchNameOf(killed, 902), "another user's");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(d.file(scratchNameOf(killed, 902)).c_str(), 12345, 12345), 0);
    }

    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    EXPECT_EQ(platform::removeStaleScratchFiles(dir.fd()), root ? 2 : 3);
    EXPECT_FALSE(d.exists(stale));
    EXPECT_FALSE(d.exists(scratchNameOf(other, 1)));
    for (const std::string& stays :
         {inUse, scratchNameOf(::getpid(), 7), std::string(".hidden"), std::string("photo.jpg"),
          ".tsumugi-" + std::to_string(killed) + ".tmp", scratchNameOf(killed, 900),
          scratchNameOf(killed, 901)})
        EXPECT_TRUE(d.exists(stays)) << stays;
    EXPECT_EQ(d.exists(scratchNameOf(killed, 902)), root);

    // Once that copy of the program has ended, its file goes too.
    ::close(holdRunning);
    ::close(holdOther);
    ASSERT_EQ(::waitpid(running, nullptr, 0), running);
    ASSERT_EQ(::waitpid(other, nullptr, 0), other);
    EXPECT_EQ(platform::removeStaleScratchFiles(dir.fd()), 1);
    EXPECT_FALSE(d.exists(inUse));
}

// A copy of the program started before an upgrade runs an executable that
// is no longer this one (here another program, holding what the copy
// opened): the scratch file it holds is in use, and stays until it ends.
TEST(StaleScratchFiles, AFileHeldByACopyOfAnotherExecutableStays)
{
    ScratchDir d;
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    TempFile t;
    {
        FaultSys fs;
        withoutUnnamedFiles(fs);
        ScopedSys use(fs);
        t = TempFile::create(dir.fd()).value();
    }
    ASSERT_EQ(t.kind(), TempFile::Kind::scratch);
    int hold = -1;
    const pid_t copy = otherProgram(&hold, t.fd());
    ASSERT_GT(copy, 0);
    const std::string name = scratchNameOf(copy, 1);
    ASSERT_EQ(::rename(d.file(t.name()).c_str(), d.file(name).c_str()), 0);
    t = TempFile();

    EXPECT_EQ(platform::removeStaleScratchFiles(dir.fd()), 0);
    EXPECT_TRUE(d.exists(name));
    ::close(hold);
    ASSERT_EQ(::waitpid(copy, nullptr, 0), copy);
    EXPECT_EQ(platform::removeStaleScratchFiles(dir.fd()), 1);
    EXPECT_FALSE(d.exists(name));
}

// Where the processes cannot be looked at (no /proc, or one process not),
// nothing that may be in use is removed; a folder that cannot be read is
// passed over.
TEST(StaleScratchFiles, WhatCannotBeToldApartStays)
{
    ScratchDir d;
    const pid_t killed = scratchMaker(d.path(), nullptr);
    ASSERT_GT(killed, 0);
    const std::string stale = scratchOf(d, killed);
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    for (const char* refused : {"/proc/self/exe", "exe"}) {
        SCOPED_TRACE(refused);
        FaultSys fs;
        fs.onFstatat = [&fs, refused](int dirfd, const char* p, struct stat* st, int flags) {
            if (std::string_view(p).ends_with(refused))
                return refuse(refused[0] == '/' ? ENOENT : EACCES);
            return fs.Sys::fstatat(dirfd, p, st, flags);
        };
        ScopedSys use(fs);
        EXPECT_EQ(platform::removeStaleScratchFiles(dir.fd()), 0);
        EXPECT_TRUE(d.exists(stale));
    }
    EXPECT_EQ(platform::removeStaleScratchFiles(-1), 0);
    EXPECT_EQ(platform::removeStaleScratchFiles(platform::FolderHandle().fd()), 0);
    EXPECT_EQ(platform::removeStaleScratchFiles(dir.fd()), 1);
}

TEST(TempFile, ScratchNameCarriesTheProcessNumber)
{
    EXPECT_EQ(TempFile::scratchPid(".tsumugi-4321-7.tmp"), 4321);
    EXPECT_EQ(TempFile::scratchPid(".tsumugi-0-7.tmp"), 0);
    EXPECT_EQ(TempFile::scratchPid(".tsumugi-99999999999999999999-7.tmp"), 0);
    EXPECT_EQ(TempFile::scratchPid(".tsumugi-12.tmp"), -1);
    EXPECT_EQ(TempFile::scratchPid("photo.jpg"), -1);
}

}  // namespace
