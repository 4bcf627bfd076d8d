// The rename run on FUSE file systems, as on a memory stick that the desktop
// mounts through FUSE. Such a file system has no unnamed files, no
// permission bits (fchmod: ENOSYS), no no-replace rename and no links. The
// fault layer makes one of a scratch folder; a real one is a vfat image made
// with mkfs.vfat and mounted with fusefat in a scratch folder, where names
// that differ only in case are one name, too. The real one is skipped,
// saying why, where the machine cannot mount one.
#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "rename/folderondisk.h"
#include "rename/journalstore.h"
#include "rename/plan.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>

extern char** environ;

using namespace testing_support;
using renaming::RunCounts;
using renaming::RunStep;
using Steps = std::vector<std::pair<RunStep, std::string>>;

namespace {

// Runs the files `entries` of `folder` with `lines`.
Ran runIn(const std::string& folder, const std::vector<std::string>& entries, const std::vector<std::string>& lines,
          bool deleteOld)
{
    return runKept({.folder = folder, .entries = entries, .lines = lines, .deleteOld = deleteOld});
}

// The steps a plan says its run will report, in order.
Steps stepsOf(const renaming::Plan& p)
{
    Steps out;
    for (const auto& e : p.entries)
        for (RunStep s : renaming::stepsOf(e.outcome))
            out.emplace_back(s, s == RunStep::created || s == RunStep::createFailed ? e.newName
                                                                                   : e.oldName);
    return out;
}

// The names in `folder` once the FUSE layer is done with the files the run
// removed while it still had them open: it keeps each under a hidden name
// of its own until it hears the file was closed, which comes after close()
// has returned.
std::vector<std::string> settledNames(const std::string& folder)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        std::vector<std::string> names;
        bool hidden = false;
        for (const auto& [name, content] : snapshot(folder)) {
            hidden = hidden || name.rfind(".fuse_hidden", 0) == 0;
            names.push_back(name);
        }
        if (!hidden || std::chrono::steady_clock::now() > deadline)
            return names;
        ::usleep(2000);
    }
}

// The full path of the program `name`, or "" when it is not installed.
std::string findProgram(const std::string& name)
{
    const char* env = std::getenv("PATH");
    std::string path = std::string(env ? env : "") + ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::istringstream dirs(path);
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string p = (dir.empty() ? "." : dir) + "/" + name;
        if (::access(p.c_str(), X_OK) == 0)
            return p;
    }
    return {};
}

// Runs `argv` with no input and its output thrown away; its exit status,
// or -1 when it could not be started or did not exit.
int runQuietly(std::vector<std::string> argv)
{
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t io;
    posix_spawn_file_actions_init(&io);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&io, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    pid_t pid = -1;
    const int started = ::posix_spawn(&pid, args[0], &io, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&io);
    if (started != 0)
        return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

dev_t deviceOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_dev : 0;
}

class FuseStick : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::access("/dev/fuse", R_OK | W_OK) != 0)
            GTEST_SKIP() << "no FUSE here: /dev/fuse is missing or not usable";
        fusefat = findProgram("fusefat");
        mkfs = findProgram("mkfs.vfat");
        if (fusefat.empty() || mkfs.empty())
            GTEST_SKIP() << "fusefat or mkfs.vfat is not installed (make deps installs them)";
        image = newImage("stick.img");
        ASSERT_FALSE(image.empty()) << "mkfs.vfat failed";
        mountPoint = scratch / "stick";
        if (!mount(image, mountPoint))
            GTEST_SKIP() << "this machine refused to mount a FUSE file system";
    }
    void TearDown() override
    {
        while (!mounted.empty())
            unmount(mounted.back());
    }

    // A 16 MiB vfat image in the scratch folder; "" when it cannot be made.
    std::string newImage(const std::string& name)
    {
        const std::string path = scratch / name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        const bool sized = fd >= 0 && ::ftruncate(fd, 16 << 20) == 0;
        if (fd >= 0)
            ::close(fd);
        return sized && runQuietly({mkfs, path}) == 0 ? path : std::string();
    }
    // Mounts `img` on the folder `at` of the scratch folder, made when missing.
    bool mount(const std::string& img, const std::string& at)
    {
        ::mkdir(at.c_str(), 0755);
        if (runQuietly({fusefat, "-o", "rw+", img, at}) != 0 || deviceOf(at) == deviceOf(scratch.path()))
            return false;
        mounted.push_back(at);
        return true;
    }
    void unmount(std::string at)
    {
        std::erase(mounted, at);
        for (const char* tool : {"fusermount3", "fusermount", "umount"}) {
            const std::string p = findProgram(tool);
            if (!p.empty() && runQuietly({p, tool[0] == 'u' ? "-l" : "-u", at}) == 0)
                return;
        }
        ADD_FAILURE() << "could not unmount " << at;
    }

    Ran run(const std::vector<std::string>& entries, const std::vector<std::string>& lines,
                bool deleteOld)
    {
        return runIn(mountPoint, entries, lines, deleteOld);
    }
    std::vector<std::string> names() const { return settledNames(mountPoint); }

    ScratchDir scratch;
    std::string fusefat, mkfs, image, mountPoint;
    std::vector<std::string> mounted;
};

TEST_F(FuseStick, EveryFileIsRenamedWithTheBoxTickedOrNot)
{
    const std::string big(300000, 'p');
    writeFile(mountPoint + "/a.txt", "note");
    writeFile(mountPoint + "/b.jpg", big);
    writeFile(mountPoint + "/c.dat", "");

    Ran o = run({"a.txt", "b.jpg", "c.dat"}, {"x", "y", "z"}, /*deleteOld=*/false);
    EXPECT_EQ(o.counts, (RunCounts{3, 0, 0, 0}));
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.jpg", "c.dat", "x.txt", "y.jpg",
                                                 "z.dat"}));
    EXPECT_EQ(readFile(mountPoint + "/x.txt"), "note");
    EXPECT_TRUE(readFile(mountPoint + "/y.jpg") == big);
    EXPECT_EQ(readFile(mountPoint + "/z.dat"), "");

    o = run({"a.txt", "b.jpg", "c.dat"}, {"p", "q", "r"}, /*deleteOld=*/true);
    EXPECT_EQ(o.counts, (RunCounts{3, 0, 0, 0}));
    EXPECT_EQ(o.steps.size(), 6u);
    EXPECT_EQ(names(), (std::vector<std::string>{"p.txt", "q.jpg", "r.dat", "x.txt", "y.jpg",
                                                 "z.dat"}));
    EXPECT_EQ(readFile(mountPoint + "/p.txt"), "note");
    EXPECT_TRUE(readFile(mountPoint + "/q.jpg") == big);
}

// A new name that is taken fails, with the box ticked too, and both files
// stay as they were; no scratch file is left on the stick.
TEST_F(FuseStick, TakenNameIsNeverReplaced)
{
    writeFile(mountPoint + "/a.txt", "mine");
    writeFile(mountPoint + "/b.txt", "theirs");
    for (bool deleteOld : {false, true}) {
        const Ran o = run({"a.txt"}, {"b"}, deleteOld);
        EXPECT_EQ(o.counts, (RunCounts{0, 1, 0, 0}));
        EXPECT_EQ(o.steps, (std::vector<std::pair<RunStep, std::string>>{
                               {RunStep::createFailed, "b.txt"}}));
        EXPECT_EQ(readFile(mountPoint + "/a.txt"), "mine");
        EXPECT_EQ(readFile(mountPoint + "/b.txt"), "theirs");
        EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    }
}

// A scratch file that a killed run left on the stick goes at the next run.
TEST_F(FuseStick, ScratchFileOfAKilledRunGoesAtTheNextRun)
{
    writeFile(mountPoint + "/a.txt", "mine");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string stale = ".tsumugi-" + std::to_string(child) + "-1.tmp";
    ASSERT_TRUE(platform::TempFile::isScratchName(stale));
    writeFile(mountPoint + "/" + stale, "half a copy");
    const Ran o = run({"a.txt"}, {"b"}, /*deleteOld=*/true);
    EXPECT_EQ(o.counts, (RunCounts{1, 0, 0, 0}));
    EXPECT_EQ(names(), std::vector<std::string>{"b.txt"});
}

// Mounted again, the stick has another device number; the run that was cut
// short on it is still its folder's, and is found again.
TEST_F(FuseStick, ARunCutShortIsFoundAgainOnceTheStickIsMountedAgain)
{
    ScratchDir state;
    const EnvGuard env("XDG_STATE_HOME", state.path().c_str());
    writeFile(mountPoint + "/x.txt", "was a");
    writeFile(mountPoint + "/b.txt", "b");
    {
        const auto folder = platform::FolderHandle::open(mountPoint).value();
        const auto moved = renaming::stampOf(folder.fd(), "x.txt");
        ASSERT_TRUE(moved);
        renaming::JournalWriter j = renaming::journals::create(folder).value();
        j.begin(renaming::journals::journalFolderOf(folder), 1765250000, 2, true);
        j.intent(0, renaming::JournalOp::move, "a.txt", "x.txt", *moved);
        j.done(0, renaming::JournalOp::move, *moved);
        j.intent(1, renaming::JournalOp::move, "b.txt", "y.txt", {});
    }
    const dev_t before = deviceOf(mountPoint);
    unmount(mountPoint);
    // Another stick comes first and takes the number the first one had.
    // Mounts of tests running beside this one take and give back numbers
    // too, so the stick may get its old number all the same: then it is
    // taken off again behind one more stick, until its number differs.
    const std::string other = newImage("other.img");
    ASSERT_TRUE(!other.empty() && mount(other, scratch / "other"));
    ASSERT_TRUE(mount(image, mountPoint));
    for (int more = 0; more < 5 && deviceOf(mountPoint) == before; ++more) {
        unmount(mountPoint);
        const std::string extra = newImage("more" + std::to_string(more) + ".img");
        ASSERT_TRUE(!extra.empty() && mount(extra, scratch / ("more" + std::to_string(more))));
        ASSERT_TRUE(mount(image, mountPoint));
    }
    ASSERT_NE(deviceOf(mountPoint), before);

    const auto found = renaming::journals::lastRunIn(platform::FolderHandle::open(mountPoint).value());
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->journal.ended);
    EXPECT_TRUE(renaming::journals::undoable(*found));
    EXPECT_FALSE(renaming::journals::lastRunIn(platform::FolderHandle::open(scratch / "other").value()));
}

// On a stick, names that differ only in case are one name: the plan
// compares the names that earlier entries make or free as the stick does,
// so it is what the run then does. A name made and then asked for in
// another case is taken; one freed and then made in another case is free.
// The folder of digits only is asked about case with a scratch file.
TEST_F(FuseStick, PlanIsTheRunForNamesDifferingOnlyInCase)
{
    using Planned = renaming::Outcome;
    const struct {
        const char* folder;
        std::vector<std::string> files, lines;
        bool deleteOld;
        std::vector<Planned> planned;
        std::vector<std::string> after;
    } cases[] = {
        {"made", {"a.txt", "b.txt", "c.txt"}, {"x", "X", "y"}, false,
         {Planned::copied, Planned::takenByRun, Planned::copied},
         {"a.txt", "b.txt", "c.txt", "x.txt", "y.txt"}},
        {"freed", {"a.txt", "b.txt", "c.txt"}, {"d", "A", "a"}, true,
         {Planned::moved, Planned::moved, Planned::takenByRun},
         {"A.txt", "c.txt", "d.txt"}},
        {"digits", {"1", "2"}, {"x", "X"}, true, {Planned::moved, Planned::takenByRun},
         {"2", "x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string folder = mountPoint + "/" + c.folder;
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        for (const auto& f : c.files)
            writeFile(folder + "/" + f, "content of " + f);
        auto handle = platform::FolderHandle::open(folder).value();
        ASSERT_TRUE(handle.valid());
        EXPECT_TRUE(platform::foldsCase(handle.fd()));
        const renaming::Plan plan =
            renaming::makePlan(c.files, c.lines, static_cast<int>(c.lines.size()),
                               {renaming::NameRule::replace, platform::CodePage::utf8, c.deleteOld},
                               renaming::FolderOnDisk(handle.fd()));
        std::vector<Planned> planned;
        for (const auto& e : plan.entries)
            planned.push_back(e.outcome);
        EXPECT_EQ(planned, c.planned);

        const auto o = runIn(folder, c.files, c.lines, c.deleteOld);
        EXPECT_EQ(o.steps, stepsOf(plan));
        EXPECT_EQ(o.counts, plan.counts);
        EXPECT_EQ(settledNames(folder), c.after);
    }
}

// On a stick, where names are swapped, a swap of two names and a name that
// changes only in case each go through a temporary name, every move a copy
// and a removal there; no temporary name stays, and undo from the journal
// puts every name back.
TEST_F(FuseStick, SwapsAndCaseOnlyChangesGoThroughATemporaryName)
{
    writeFile(mountPoint + "/a.txt", "A");
    writeFile(mountPoint + "/b.txt", "B");
    writeFile(mountPoint + "/c.txt", "C");
    const auto [ran, journal] =
        runJournalled(requestFor({.folder = mountPoint, .entries = {"a.txt", "b.txt", "c.txt"}, .lines = {"b", "a", "C"},
                                  .deleteOld = true, .swap = true}),
                      scratch / "run.journal");
    EXPECT_EQ(ran.counts, (RunCounts{3, 0, 0, 0}));
    EXPECT_EQ(names(), (std::vector<std::string>{"C.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(readFile(mountPoint + "/a.txt"), "B");
    EXPECT_EQ(readFile(mountPoint + "/b.txt"), "A");
    ASSERT_TRUE(journal);
    EXPECT_EQ(undoIn(mountPoint, *journal).restored, 3);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(readFile(mountPoint + "/a.txt"), "A");
}

// On a FUSE vfat or exFAT file system, which has no unnamed files, no mode
// bits, no no-replace rename and no links, every entry is still renamed,
// whichever of its refusals the file system gives.
TEST(RenameRunOnFuse, EveryEntryIsRenamed)
{
    const struct {
        int fchmodErr, linkErr;
    } refusals[] = {{ENOSYS, EPERM}, {EPERM, EOPNOTSUPP}, {EOPNOTSUPP, EINVAL}};
    for (const auto& r : refusals)
        for (bool deleteOld : {false, true}) {
            SCOPED_TRACE(std::string("fchmod ") + std::strerror(r.fchmodErr) + ", linkat " +
                         std::strerror(r.linkErr) + (deleteOld ? ", box ticked" : ""));
            ScratchDir d;
            d.write("a.jpg", "photo a");
            d.write("b.jpg", std::string(200000, 'b'));
            d.write("c.jpg", "");
            FaultSys fs;
            fuseFileSystem(fs);
            fs.onFchmod = [e = r.fchmodErr](int, mode_t) { return refuse(e); };
            fs.onLinkat = [e = r.linkErr](int, const char*, int, const char*, int) {
                return refuse(e);
            };
            platform::ScopedSys use(fs);
            const Ran o =
                runIn(d.path(), {"a.jpg", "b.jpg", "c.jpg"}, {"x", "y", "z"}, deleteOld);
            EXPECT_EQ(o.counts, (RunCounts{3, 0, 0, 0}));
            if (::testing::Test::HasFailure())
                return;
            std::vector<std::string> want = {"x.jpg", "y.jpg", "z.jpg"};
            if (!deleteOld)
                want = {"a.jpg", "b.jpg", "c.jpg", "x.jpg", "y.jpg", "z.jpg"};
            EXPECT_EQ(d.names(), want);
            EXPECT_EQ(d.read("x.jpg"), "photo a");
            EXPECT_TRUE(d.read("y.jpg") == std::string(200000, 'b'));
            EXPECT_EQ(d.read("z.jpg"), "");
        }
}

// Where the copy makes the new name (no rename that never replaces, no
// links), the folder holding it is on the disk before the original goes,
// so that a power cut cannot keep the removal and lose the new name.
TEST(RenameRunOnFuse, TheFolderIsOnTheDiskBeforeAnOriginalGoes)
{
    ScratchDir d;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
        d.write(n, std::string("photo ") + n);
    struct stat folder {};
    ASSERT_EQ(::stat(d.path().c_str(), &folder), 0);
    FaultSys fs;
    fuseFileSystem(fs);
    bool madeSinceSync = false;
    std::vector<std::string> removedUnsynced;
    fs.onOpen = [&, inner = fs.onOpen](int dir, const char* p, int flags, mode_t mode) {
        const int fd = inner(dir, p, flags, mode);
        madeSinceSync = madeSinceSync || (fd >= 0 && (flags & O_CREAT));
        return fd;
    };
    fs.onFsync = [&](int fd) {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_ino == folder.st_ino)
            madeSinceSync = false;
        return ::fsync(fd);
    };
    fs.onUnlinkat = [&](int dir, const char* p, int flags) {
        if (madeSinceSync && !platform::TempFile::isScratchName(p))
            removedUnsynced.push_back(p);
        return fs.Sys::unlinkat(dir, p, flags);
    };
    platform::ScopedSys use(fs);
    const Ran o = runIn(d.path(), {"a.jpg", "b.jpg", "c.jpg"}, {"x", "y", "z"}, /*deleteOld=*/true);
    EXPECT_EQ(o.counts, (RunCounts{3, 0, 0, 0}));
    EXPECT_EQ(d.names(), (std::vector<std::string>{"x.jpg", "y.jpg", "z.jpg"}));
    EXPECT_TRUE(removedUnsynced.empty()) << removedUnsynced.size() << " originals removed first";
}

}  // namespace
