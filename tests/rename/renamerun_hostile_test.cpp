// The rename run in folders that a careless or hostile world made: names
// that are no valid text, names at the length limit, names that differ only
// in case or start with "-", links of every kind, FIFOs, files that vanish
// or change kind between the listing and the run. In each the outcome is
// the one the run has always given, no file is lost or overwritten, and
// nothing hangs.
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "rename/namelist.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <future>

using renaming::NameRule;
using renaming::RunCounts;
using renaming::RunStep;
using testing_support::CwdGuard;
using testing_support::ScratchDir;

namespace {

struct Outcome {
    RunCounts counts;
    std::vector<std::pair<RunStep, std::string>> steps;
};

// Lists the current folder and runs it with `lines`, as the window does.
Outcome runHere(renaming::NameList& list, const std::vector<std::string>& lines, NameRule rule,
            bool deleteOld, platform::CodePage cp = platform::CodePage::utf8)
{
    Outcome r;
    // Never rename anything but the scratch folder's files.
    const std::string here = platform::currentFolder().value();  // empty once removed
    if ((!here.empty() && here != list.Folder()) ||
        list.Folder().find("/tsumugi-test-") == std::string::npos) {
        ADD_FAILURE() << "the run would not be in a scratch folder: " << list.Folder();
        return r;
    }
    renaming::RunRequest rq;
    rq.folder = list.folder().duplicate().value();
    rq.entries = list.entries();
    rq.lines = lines;
    rq.rule = rule;
    rq.cp = cp;
    rq.deleteOld = deleteOld;
    rq.onStep = [&](RunStep s, const std::string& n) { r.steps.emplace_back(s, n); };
    r.counts = renaming::runRename(rq);
    return r;
}

// A run that must come back within a few seconds: a FIFO opened for reading
// would block it, so after the deadline the FIFO's other end is opened to
// let it go, and the test fails.
Outcome runWithDeadline(renaming::NameList& list, const std::vector<std::string>& lines,
                    bool deleteOld, const std::string& fifo)
{
    auto done = std::async(std::launch::async, [&] {
        return runHere(list, lines, NameRule::replace, deleteOld);
    });
    if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the run hangs on a FIFO";
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    return done.get();
}

// Each test works in a scratch folder that is the current folder, and reads
// it into `names` as the window's list does.
class HostileFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::chdir(d.path().c_str()), 0);
        names.SetFolder(d.path());
        ASSERT_EQ(platform::currentFolder().value(), d.path());
    }
    void list() { names.Reread(); }

    ScratchDir d;
    CwdGuard cwd;  // declared after d: the folder is left before it goes
    renaming::NameList names;
};

}  // namespace

TEST_F(HostileFolder, NamesThatAreNoValidTextAreRenamedAsBytes)
{
    const std::string notUtf8 = "\xff\xfe\x80.txt";
    const std::string sjis = "\x95\x5c\x83\x5c.txt";  // two double-byte characters ending in "\"
    d.write(notUtf8, "bytes");
    d.write(sjis, "sjis");
    list();
    ASSERT_EQ(names.Count(), 2);
    std::vector<std::string> lines;
    for (const std::string& n : names.entries())
        lines.push_back(n == notUtf8 ? "a\xff" : "b");
    const Outcome r = runHere(names, lines, NameRule::append, /*deleteOld=*/false);
    EXPECT_EQ(r.counts, (RunCounts{2, 0, 0, 0}));
    // Under append the base stays byte for byte, whatever it is.
    EXPECT_EQ(d.read("\xff\xfe\x80" "a\xff.txt"), "bytes");
    EXPECT_EQ(d.read("\x95\x5c\x83\x5c" "b.txt"), "sjis");
    EXPECT_EQ(d.read(notUtf8), "bytes");
    EXPECT_EQ(d.read(sjis), "sjis");
}

TEST_F(HostileFolder, ShiftJisExtensionIsFoundUnderItsCodePage)
{
    const std::string name = "a.\x95\x5c";  // "a.表" in Shift-JIS
    d.write(name, "x");
    list();
    const Outcome r = runHere(names, {"b"}, NameRule::replace, true, platform::CodePage::cp932);
    EXPECT_EQ(r.counts, (RunCounts{1, 0, 0, 0}));
    EXPECT_EQ(d.names(), std::vector<std::string>{"b.\x95\x5c"});
}

TEST_F(HostileFolder, LongestNamesAndANewNameBeyondTheLimit)
{
    const std::string longest = std::string(251, 'n') + ".txt";  // 255 bytes
    ASSERT_EQ(longest.size(), 255u);
    d.write(longest, "long");
    list();
    ASSERT_EQ(names.Count(), 1);
    for (bool deleteOld : {false, true}) {
        // Appending makes a name of 256 bytes, which no folder can hold.
        const Outcome r = runHere(names, {"x"}, NameRule::append, deleteOld);
        EXPECT_EQ(r.counts, (RunCounts{0, 1, 0, 0}));
        ASSERT_EQ(r.steps.size(), 1u);
        EXPECT_EQ(r.steps[0].first, RunStep::createFailed);
        EXPECT_EQ(d.names(), std::vector<std::string>{longest});
        EXPECT_EQ(d.read(longest), "long");
    }
    // A new name of exactly 255 bytes is made.
    const std::string to = std::string(251, 'm');
    const Outcome r = runHere(names, {to}, NameRule::replace, true);
    EXPECT_EQ(r.counts, (RunCounts{1, 0, 0, 0}));
    EXPECT_EQ(d.read(to + ".txt"), "long");
}

TEST_F(HostileFolder, NamesThatDifferOnlyInCaseStaySeparate)
{
    d.write("A.txt", "upper");
    d.write("a.txt", "lower");
    list();
    ASSERT_EQ(names.Count(), 2);
    // Each line gives the other's name: both exist, so both fail.
    std::vector<std::string> lines(2);
    for (int i = 0; i < 2; ++i)
        lines[static_cast<size_t>(i)] = names.NameAt(1 - i).substr(0, 1);
    for (bool deleteOld : {false, true}) {
        const Outcome r = runHere(names, lines, NameRule::replace, deleteOld);
        EXPECT_EQ(r.counts, (RunCounts{0, 2, 0, 0}));
        EXPECT_EQ(d.read("A.txt"), "upper");
        EXPECT_EQ(d.read("a.txt"), "lower");
    }
}

TEST_F(HostileFolder, BlanksAroundNamesAndALeadingDash)
{
    d.write(" lead.txt", "1");
    d.write("trail.txt ", "2");
    d.write("-rf", "3");
    list();
    ASSERT_EQ(names.Count(), 3);
    std::vector<std::string> lines;
    for (const std::string& n : names.entries())
        lines.push_back(n == "-rf" ? "--help" : n == " lead.txt" ? "-" : "x");
    const Outcome r = runHere(names, lines, NameRule::replace, true);
    EXPECT_EQ(r.counts, (RunCounts{3, 0, 0, 0}));
    // The extension keeps its trailing blank; a line's own blanks go.
    EXPECT_EQ(d.names(), (std::vector<std::string>{"--help", "-.txt", "x.txt "}));
    EXPECT_EQ(d.read("--help"), "3");
    EXPECT_EQ(d.read("-.txt"), "1");
    EXPECT_EQ(d.read("x.txt "), "2");
}

TEST_F(HostileFolder, LinksAreListedOnlyForFilesAndNeverWrittenThrough)
{
    ScratchDir outside;
    outside.write("target", "target content");
    d.mkdir("sub");
    ASSERT_EQ(::symlink(outside.file("target").c_str(), "file-link"), 0);
    ASSERT_EQ(::symlink("sub", "folder-link"), 0);
    // A dangling link that points out of the folder: a new file of its name
    // would be made there.
    ASSERT_EQ(::symlink(outside.file("planted").c_str(), "dangling"), 0);
    d.write("plain", "plain content");
    list();
    ASSERT_EQ(names.entries(), (std::vector<std::string>{"file-link", "plain"}));

    // Copying follows the link to its content; the dangling name counts as
    // taken and is not written through.
    Outcome r = runHere(names, {"copy-of-link", "dangling"}, NameRule::replace, false);
    EXPECT_EQ(r.counts, (RunCounts{1, 1, 0, 0}));
    EXPECT_EQ(d.read("copy-of-link"), "target content");
    EXPECT_FALSE(outside.exists("planted"));
    EXPECT_EQ(outside.read("target"), "target content");

    // With deleting, the link itself goes to the new name; its target stays.
    names.Reread();
    ASSERT_EQ(names.NameAt(1), "file-link");
    std::vector<std::string> lines(names.entries().size());
    lines[1] = "moved-link";
    r = runHere(names, lines, NameRule::replace, true);
    EXPECT_EQ(r.counts.success, 1);
    EXPECT_EQ(d.read("moved-link"), "target content");
    EXPECT_EQ(outside.read("target"), "target content");
    EXPECT_FALSE(d.exists("file-link"));
    EXPECT_TRUE(d.exists("dangling"));
    EXPECT_TRUE(d.exists("folder-link"));
}

TEST_F(HostileFolder, FifoIsNotListedAndAListedFileTurnedFifoNeverHangsTheRun)
{
    ASSERT_EQ(::mkfifo("pipe", 0644), 0);
    d.write("file.txt", "was a file");
    list();
    ASSERT_EQ(names.entries(), std::vector<std::string>{"file.txt"});

    // Between the listing and the run the file is replaced by a FIFO.
    ASSERT_EQ(::unlink("file.txt"), 0);
    ASSERT_EQ(::mkfifo("file.txt", 0644), 0);
    Outcome r = runWithDeadline(names, {"new"}, false, d.file("file.txt"));
    // A FIFO is no file to copy: the creation fails and nothing appears.
    EXPECT_EQ(r.counts, (RunCounts{0, 1, 0, 0}));
    EXPECT_FALSE(d.exists("new.txt"));

    // With deleting the entry is moved, FIFO and all, without opening it.
    r = runWithDeadline(names, {"new"}, true, d.file("file.txt"));
    EXPECT_EQ(r.counts.success + r.counts.failed, 1);
    struct stat st {};
    if (r.counts.success == 1)
        EXPECT_TRUE(::lstat("new.txt", &st) == 0 && S_ISFIFO(st.st_mode));
    else
        EXPECT_TRUE(::lstat("file.txt", &st) == 0 && S_ISFIFO(st.st_mode));
}

TEST_F(HostileFolder, FileDeletedBeforeTheRunFailsAloneAndTheRestGoOn)
{
    d.write("a.txt", "a");
    d.write("b.txt", "b");
    d.write("c.txt", "c");
    list();
    ASSERT_EQ(::unlink("b.txt"), 0);
    for (bool deleteOld : {false, true}) {
        const Outcome r = runHere(names, {"x" + std::to_string(deleteOld), "y", ""},
                              NameRule::replace, deleteOld);
        EXPECT_EQ(r.counts, (RunCounts{1, 1, 1, 0}));
        ASSERT_GE(r.steps.size(), 2u);
        EXPECT_EQ(r.steps.back(), std::make_pair(RunStep::createFailed, std::string("y.txt")));
        EXPECT_FALSE(d.exists("y.txt"));
        EXPECT_EQ(d.read("c.txt"), "c");
    }
}

TEST_F(HostileFolder, FileWithoutWriteBitIsCopiedButNotDeleted)
{
    d.write("ro.txt", "read-only");
    ASSERT_EQ(::chmod("ro.txt", 0444), 0);
    list();
    const Outcome r = runHere(names, {"new"}, NameRule::replace, true);
    EXPECT_EQ(r.counts, (RunCounts{0, 0, 0, 1}));
    EXPECT_EQ(r.steps, (std::vector<std::pair<RunStep, std::string>>{
                           {RunStep::created, "new.txt"}, {RunStep::deleteFailed, "ro.txt"}}));
    EXPECT_EQ(d.read("ro.txt"), "read-only");
    EXPECT_EQ(d.read("new.txt"), "read-only");
}

TEST_F(HostileFolder, FolderRemovedBeforeTheRereadKeepsTheListAndSaysWhy)
{
    ScratchDir gone;
    ASSERT_EQ(::chdir(gone.path().c_str()), 0);
    gone.write("a.txt", "a");
    renaming::NameList list;
    list.Reread();
    ASSERT_EQ(list.Count(), 1);
    // The folder goes while the list still shows it.
    ASSERT_EQ(::unlink(gone.file("a.txt").c_str()), 0);
    ASSERT_EQ(::rmdir(gone.path().c_str()), 0);
    const Outcome r = runHere(list, {"b"}, NameRule::replace, true);
    EXPECT_EQ(r.counts, (RunCounts{0, 1, 0, 0}));
    try {
        list.Reread();
        ADD_FAILURE() << "a removed folder read again without an error";
    } catch (const platform::InOutError& e) {
        EXPECT_EQ(e.code(), ENOENT);
        EXPECT_STREQ(e.what(), "ファイルが見つかりません");
    }
    EXPECT_EQ(list.entries(), std::vector<std::string>{"a.txt"});
}

TEST_F(HostileFolder, LineWithANulByteMakesNoFileOfAnotherName)
{
    // A name cannot hold a NUL byte; cut there, it would name another file
    // (here one without the extension) than the one reported.
    d.write("a.txt", "a");
    list();
    for (bool deleteOld : {false, true}) {
        const Outcome r = runHere(names, {std::string("x\0y", 3)}, NameRule::replace, deleteOld);
        EXPECT_EQ(r.counts, (RunCounts{0, 1, 0, 0}));
        EXPECT_EQ(d.names(), std::vector<std::string>{"a.txt"});
        EXPECT_EQ(d.read("a.txt"), "a");
    }
}

namespace {

// A child of this test program that makes a scratch file in `folder` the way
// a copy does on a file system without unnamed files. With `stay`, it lives
// on holding the file until `stay`'s write end is closed; else it ends at
// once without cleaning up, as a killed run does. Returns its pid once the
// file is there.
pid_t scratchMaker(const std::string& folder, int* stay)
{
    int ready[2], hold[2];
    if (::pipe(ready) != 0 || ::pipe(hold) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        ::close(hold[1]);
        testing_support::FaultSys fs;
        testing_support::withoutUnnamedFiles(fs);
        platform::ScopedSys use(fs);
        const platform::FolderHandle dir = platform::FolderHandle::open(folder).value();
        platform::TempFile t = platform::TempFile::create(dir.fd()).value();
        const char made = t.kind() == platform::TempFile::Kind::scratch ? 'y' : 'n';
        if (::write(ready[1], &made, 1) != 1 || !stay)
            ::_exit(0);  // no destructor runs, as under a kill
        char c;
        while (::read(hold[0], &c, 1) > 0) {
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(hold[0]);
    char made = 'n';
    const bool told = ::read(ready[0], &made, 1) == 1 && made == 'y';
    ::close(ready[0]);
    if (stay)
        *stay = hold[1];
    else
        ::close(hold[1]);
    if (!stay) {
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    return told ? child : -1;
}

std::string scratchOf(const ScratchDir& d, pid_t pid)
{
    const std::string prefix = ".tsumugi-" + std::to_string(pid) + "-";
    for (const std::string& n : d.names())
        if (n.starts_with(prefix))
            return n;
    return {};
}

}  // namespace

// A run killed in the middle of a copy leaves a hidden scratch file; the
// next run in that folder removes it, but not the user's own hidden files,
// nor the scratch file of a copy of the program still at work there, which
// goes at the first run after that copy has ended.
TEST_F(HostileFolder, ScratchFileOfAKilledRunIsGoneAfterTheNextRunThere)
{
    d.write("photo.jpg", "photo");
    d.write(".hidden", "the user's");
    const pid_t killed = scratchMaker(d.path(), nullptr);
    ASSERT_GT(killed, 0);
    ASSERT_FALSE(scratchOf(d, killed).empty());
    int hold = -1;
    const pid_t running = scratchMaker(d.path(), &hold);
    ASSERT_GT(running, 0);
    const std::string inUse = scratchOf(d, running);
    ASSERT_FALSE(inUse.empty());
    list();
    ASSERT_EQ(names.entries(), std::vector<std::string>{"photo.jpg"});

    Outcome r = runHere(names, {"picture"}, NameRule::replace, true);
    EXPECT_EQ(r.counts, (RunCounts{1, 0, 0, 0}));
    std::vector<std::string> want = {".hidden", inUse, "picture.jpg"};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(d.names(), want);

    ::close(hold);
    int status = 0;
    ASSERT_EQ(::waitpid(running, &status, 0), running);
    list();
    r = runHere(names, {}, NameRule::replace, false);
    EXPECT_EQ(r.counts, (RunCounts{0, 0, 1, 0}));
    EXPECT_EQ(d.names(), (std::vector<std::string>{".hidden", "picture.jpg"}));
}
