// The scratch-file type: a new file that no name shows until it is kept,
// and that leaves nothing behind when it is discarded, destroyed, or its
// keeping fails.
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <ostream>

using namespace testing_support;
using platform::RenameStatus;
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
        dir = platform::FolderHandle::open(d.path());
        ASSERT_TRUE(dir);
    }
    TempFile make(const std::string& name = "new")
    {
        int err = 0;
        TempFile t = GetParam() == Way::inPlace ? TempFile::createInPlace(dir.fd(), name, &err)
                                                : TempFile::create(dir.fd(), &err);
        EXPECT_TRUE(t) << err;
        return t;
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
    const platform::RenameResult r = t.keep("new");
    EXPECT_TRUE(r) << r.error;
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
    const RenameStatus want =
        GetParam() == Way::inPlace ? RenameStatus::failed : RenameStatus::targetExists;
    for (const char* name : {"taken", "dangling"}) {
        const platform::RenameResult r = t.keep(name);
        EXPECT_EQ(r.status, want) << name;
    }
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
    const platform::RenameResult r = t.keep("new");
    EXPECT_EQ(r.status, RenameStatus::failed);
    EXPECT_EQ(r.error, EIO);
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
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path());
    int err = 0;
    EXPECT_FALSE(TempFile::createInPlace(dir.fd(), "taken", &err));
    EXPECT_EQ(err, EEXIST);
    TempFile t = TempFile::createInPlace(dir.fd(), "mine");
    ASSERT_TRUE(t);
    EXPECT_EQ(t.keep("other").status, RenameStatus::failed);
    EXPECT_TRUE(t.keep("mine"));
    EXPECT_EQ(d.names(), (std::vector<std::string>{"mine", "taken"}));
}

TEST(TempFile, ScratchFileReplacesAFileInOneStep)
{
    ScratchDir d;
    d.write("settings.ini", "old");
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path());
    TempFile t = TempFile::create(dir.fd(), nullptr, 0600, /*unnamed=*/false);
    ASSERT_EQ(t.kind(), TempFile::Kind::scratch);
    ASSERT_EQ(::write(t.fd(), "new", 3), 3);
    EXPECT_TRUE(t.keepReplacing("settings.ini"));
    EXPECT_EQ(d.read("settings.ini"), "new");
    EXPECT_EQ(d.names(), std::vector<std::string>{"settings.ini"});

    // An unnamed file has no name to be renamed from.
    TempFile u = TempFile::create(dir.fd());
    ASSERT_EQ(u.kind(), TempFile::Kind::unnamed);
    int err = 0;
    EXPECT_FALSE(u.keepReplacing("settings.ini", &err));
    EXPECT_EQ(err, EINVAL);
    EXPECT_EQ(d.read("settings.ini"), "new");
}

// Clutter the user never asked for: a scratch name that refuses to go once
// is tried again.
TEST(TempFile, DiscardTriesTheScratchNameTwice)
{
    ScratchDir d;
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path());
    FaultSys fs;
    withoutUnnamedFiles(fs);
    ScopedSys use(fs);
    TempFile t = TempFile::create(dir.fd());
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
        const platform::FolderHandle dir = platform::FolderHandle::open(d.path());
        TempFile t = TempFile::create(dir.fd());
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

}  // namespace
