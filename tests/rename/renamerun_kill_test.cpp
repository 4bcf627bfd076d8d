// The run killed at any moment, and undo from its journal as the next start
// takes it: a child process runs the rename with a journal file and is
// killed (SIGKILL) at a random point, either at a chosen system call of the
// run (before or after the call itself; the journal's own writes count) or
// after a random time. Then:
//  - the journal names every operation that took effect: each name the
//    folder gained is the target of a recorded operation, and each old
//    name that lost its file the source of a recorded move or deletion;
//  - nothing is lost;
//  - undo from the journal file, read back by parseJournal, on the folder
//    as the kill left it, gives back exactly the folder of before the run:
//    the same names holding the same bytes with the same modes.
// The folder undo restored is the next round's folder, so every round also
// starts from what the last undo made.
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "rename/folderondisk.h"
#include "rename/journal.h"
#include "rename/renamerun.h"
#include "rename/undo.h"
#include "support/faultsys.h"
#include "support/journalled.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <algorithm>
#include <set>

using namespace testing_support;
using namespace renaming;

namespace {

// The real system calls, with the process killing itself at the `killAt`-th
// call that changes a file or the disk (0: never), before or after it.
class KillingSys : public platform::Sys {
    template <class Call>
    auto counted(Call call)
    {
        const bool here = ++count == killAt;
        if (here && !afterCall)
            die();
        const auto r = call();
        if (here)
            die();
        return r;
    }
    [[noreturn]] static void die()
    {
        ::kill(::getpid(), SIGKILL);
        for (;;)
            ::pause();
    }

public:
    long killAt = 0;
    bool afterCall = false;
    long count = 0;

    int openat(int d, const char* p, int f, mode_t m) override
    {
        return counted([&] { return Sys::openat(d, p, f, m); });
    }
    ssize_t write(int fd, const void* b, size_t n) override
    {
        return counted([&] { return Sys::write(fd, b, n); });
    }
    ssize_t pwrite(int fd, const void* b, size_t n, off_t at) override
    {
        return counted([&] { return Sys::pwrite(fd, b, n, at); });
    }
    int fchmod(int fd, mode_t m) override
    {
        return counted([&] { return Sys::fchmod(fd, m); });
    }
    int futimens(int fd, const struct timespec t[2]) override
    {
        return counted([&] { return Sys::futimens(fd, t); });
    }
    int fsync(int fd) override
    {
        return counted([&] { return Sys::fsync(fd); });
    }
    int fdatasync(int fd) override
    {
        return counted([&] { return Sys::fdatasync(fd); });
    }
    int ftruncate(int fd, off_t n) override
    {
        return counted([&] { return Sys::ftruncate(fd, n); });
    }
    int fallocate(int fd, int m, off_t at, off_t n) override
    {
        return counted([&] { return Sys::fallocate(fd, m, at, n); });
    }
    int cloneFile(int a, int b) override
    {
        return counted([&] { return Sys::cloneFile(a, b); });
    }
    ssize_t copyFileRange(int i, off_t* io, int o, off_t* oo, size_t n) override
    {
        return counted([&] { return Sys::copyFileRange(i, io, o, oo, n); });
    }
    int linkat(int od, const char* op, int nd, const char* np, int f) override
    {
        return counted([&] { return Sys::linkat(od, op, nd, np, f); });
    }
    int renameat2(int od, const char* op, int nd, const char* np, unsigned f) override
    {
        return counted([&] { return Sys::renameat2(od, op, nd, np, f); });
    }
    int unlinkat(int d, const char* p, int f) override
    {
        return counted([&] { return Sys::unlinkat(d, p, f); });
    }

};

// Thirty files: small ones, a few larger ones (their copies take time), one
// read-only; a file outside the list.
const std::vector<std::string> kEntries = [] {
    std::vector<std::string> e;
    for (int i = 10; i < 40; ++i)
        e.push_back("f" + std::to_string(i) + ".dat");
    return e;
}();

// The same pattern every ten entries: valid lines, a blank one, one taken
// by the file outside the list, a chain (the name the entry before frees
// when the box is ticked), a swap, and a name three entries want. Where
// names are swapped, also a chain against the list order (the name of an
// entry two further on, which a later entry asks for too).
std::vector<std::string> linesFor(bool swap = false)
{
    auto nameOf = [](size_t i) { return kEntries[i].substr(0, kEntries[i].find('.')); };
    std::vector<std::string> l;
    for (size_t i = 0; i < kEntries.size(); ++i) {
        switch (i % 10) {
        case 1:
            l.push_back("outside");
            break;
        case 2:
            l.push_back(swap ? nameOf(i + 2) : "n" + std::to_string(i));
            break;
        case 3:
            l.push_back(" ");
            break;
        case 5:
            l.push_back(nameOf(i - 1));
            break;
        case 7:
            l.push_back(nameOf(i + 1));
            break;
        case 8:
            l.push_back(nameOf(i - 1));
            break;
        case 9:
            l.push_back("dup");
            break;
        default:
            l.push_back("n" + std::to_string(i));
            break;
        }
    }
    return l;
}

std::string contentOf(size_t i)
{
    std::string s = "file " + std::to_string(i) + "\n";
    const size_t size = i % 7 == 2 ? 600 * 1024 : 2048 + 512 * (i % 5);
    std::mt19937 rng(static_cast<unsigned>(i));
    while (s.size() < size)
        s += static_cast<char>('a' + rng() % 26);
    return s;
}

void lay(const ScratchDir& d)
{
    for (size_t i = 0; i < kEntries.size(); ++i)
        d.write(kEntries[i], contentOf(i));
    d.write("outside.dat", "outside the list");
    ::chmod((d / kEntries[6]).c_str(), 0444);
}

// The file systems a kill meets: the usual one; one without unnamed files,
// clones or in-kernel copies; one (as NFS) that also renames without
// replacing only by a link and a removal.
enum class FileSystem { usual, plain, nfs };

const char* nameOf(FileSystem f)
{
    return f == FileSystem::usual ? "usual fs" : f == FileSystem::plain ? "plain fs" : "nfs";
}

void answerAs(FileSystem f, FaultSys& faults)
{
    if (f == FileSystem::plain)
        plainFileSystem(faults);
    if (f == FileSystem::nfs)
        nfsFileSystem(faults);
}

using Files = std::map<std::string, std::pair<std::string, mode_t>>;  // bytes, mode

Files filesOf(const HeldFolder& f)
{
    Files out;
    for (const auto& [name, file] : f)
        out[name] = {file.content, file.mode};
    return out;
}

struct Round {
    long killAt = 0;       // 0: killed after a delay instead
    bool afterCall = false;
    long delayUs = 0;
};

// Runs the list in a child process killed as `r` says, with a new journal
// at `journal`. True when the child died of the kill, false when it ended
// first.
bool runKilled(const ScratchDir& d, bool deleteOld, bool swap, FileSystem fs, const std::string& journal,
               const Round& r)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        KillingSys killing;
        killing.killAt = r.killAt;
        killing.afterCall = r.afterCall;
        platform::ScopedSys useKilling(killing);
        FaultSys answers;  // wraps the killing one
        answerAs(fs, answers);
        platform::ScopedSys useAnswers(answers);
        JournalWriter w = journalAt(journal);
        RunRequest rq = requestFor({.folder = d.path(), .entries = kEntries, .lines = linesFor(swap),
                                    .deleteOld = deleteOld, .swap = swap, .journal = &w});
        runRename(rq);
        ::_exit(w.valid() ? 0 : 3);
    }
    EXPECT_GT(pid, 0);
    if (r.killAt == 0) {
        // Only a moment to kill at: the test waits for the child's end
        // below, whatever the moment was.
        ::usleep(static_cast<useconds_t>(r.delayUs));
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status)) {
        EXPECT_EQ(WEXITSTATUS(status), 0);
        return false;
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    return true;
}

// The calls a whole run makes, counted in this process, and its time; the
// run is then taken back, as every round is.
std::pair<long, long> measureRun(const ScratchDir& d, bool deleteOld, bool swap, FileSystem fs,
                                 const ScratchDir& state)
{
    const std::string path = state / "measure.journal";
    KillingSys counting;
    const auto start = std::chrono::steady_clock::now();
    {
        platform::ScopedSys useCounting(counting);
        FaultSys answers;
        answerAs(fs, answers);
        platform::ScopedSys useAnswers(answers);
        JournalWriter w = journalAt(path);
        runRename(requestFor({.folder = d.path(), .entries = kEntries, .lines = linesFor(swap),
                              .deleteOld = deleteOld, .swap = swap, .journal = &w}));
    }
    const long us = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now() - start)
                                          .count());
    const auto j = readJournal(path);
    EXPECT_TRUE(j && j->ended);
    if (j) {
        const auto folder = platform::FolderHandle::open(d.path()).value();
        UndoOnDisk disk(folder.fd());
        undoRun(*j, disk);
    }
    ::unlink(path.c_str());
    return {counting.count, us};
}

// The journal names every operation that took effect.
void expectJournalNamesEveryChange(const HeldFolder& before, const HeldFolder& now,
                                   const std::optional<Journal>& j, const std::string& where)
{
    SCOPED_TRACE(where);
    std::set<std::string> targets, sources;
    if (j)
        for (const JournalStep& s : j->steps) {
            if (s.op != JournalOp::remove)
                targets.insert(s.to);
            if (s.op != JournalOp::copy)
                sources.insert(s.from);
        }
    for (const auto& [name, file] : now) {
        // A copy's scratch file is no operation, and undo removes it.
        if (!before.count(name) && !platform::TempFile::isScratchName(name)) {
            EXPECT_TRUE(targets.count(name)) << "made, but not in the journal: " << name;
        }
    }
    for (const auto& [name, file] : before) {
        const auto it = now.find(name);
        const bool same = it != now.end() && it->second.content == file.content &&
                          it->second.stamp.inode == file.stamp.inode;
        if (!same) {
            EXPECT_TRUE(sources.count(name)) << "moved or removed, but not in the journal: " << name;
        }
    }
    // And nothing is lost: every content is still somewhere.
    std::multiset<std::string> left;
    for (const auto& [name, file] : now)
        left.insert(file.content);
    for (const auto& [name, file] : before)
        EXPECT_TRUE(left.count(file.content)) << "lost: " << name;
}

// Under the sanitizers, where a child process takes six times as long, half
// the rounds.
#ifdef TSUMUGI_SANITIZED
constexpr int kShare = 2;
#else
constexpr int kShare = 1;
#endif

struct Tally {
    int rounds = 0;
    int killed = 0;
    int killedAtCall = 0;
    int withoutJournal = 0;  // killed before the journal's start was written
    long undone = 0;         // entries undo gave back
    int atTemporary = 0;     // killed while a file was under a temporary name
};

void killAndUndo(bool deleteOld, FileSystem fs, int atCallRounds, int timedRounds, unsigned seed,
                 Tally& t, bool swap = false)
{
    ScratchDir d, state;
    lay(d);
    const HeldFolder original = held(d);
    const auto [calls, runUs] = measureRun(d, deleteOld, swap, fs, state);
    ASSERT_EQ(filesOf(held(d)), filesOf(original)) << "a whole run, taken back";
    ASSERT_GT(calls, 0);

    std::mt19937 rng(seed);
    for (int round = 0; round < atCallRounds + timedRounds; ++round) {
        Round r;
        if (round < atCallRounds) {
            r.killAt = std::uniform_int_distribution<long>(1, calls)(rng);
            r.afterCall = rng() % 2 == 1;
        } else {
            r.delayUs = std::uniform_int_distribution<long>(0, runUs + runUs / 4)(rng);
        }
        const std::string where =
            std::string(deleteOld ? "box ticked, " : "box unticked, ") + (swap ? "swapping, " : "") + nameOf(fs) +
            ", round " + std::to_string(round) +
            (r.killAt ? ", killed at call " + std::to_string(r.killAt) + "/" +
                            std::to_string(calls) + (r.afterCall ? " after it" : " before it")
                      : ", killed after " + std::to_string(r.delayUs) + " us");
        const std::string journal = state / ("round" + std::to_string(round) + ".journal");
        const HeldFolder before = held(d);
        const bool killed = runKilled(d, deleteOld, swap, fs, journal, r);
        ++t.rounds;
        t.killed += killed;
        t.killedAtCall += killed && r.killAt;
        const HeldFolder after = held(d);
        t.atTemporary += std::any_of(after.begin(), after.end(), [](const auto& f) { return f.first.ends_with(".swap"); });

        // As the next start reads it.
        const auto j = readJournal(journal);
        if (!j) {
            ++t.withoutJournal;
            EXPECT_EQ(filesOf(after), filesOf(before)) << where << ": changed without a journal";
        }
        expectJournalNamesEveryChange(before, after, j, where);
        if (j) {
            if (!killed) {
                EXPECT_TRUE(j->ended) << where;
            }
            const auto folder = platform::FolderHandle::open(d.path()).value();
            UndoOnDisk disk(folder.fd());
            t.undone += undoRun(*j, disk).restored;
        }
        const Files restored = filesOf(held(d));
        EXPECT_EQ(restored, filesOf(original)) << where << ": the folder is not as before the run";
        if (::testing::Test::HasFailure()) {
            for (const auto& [name, file] : restored)
                if (!original.count(name) || original.at(name).content != file.first)
                    std::printf("  now %s (%zu bytes)\n", name.c_str(), file.first.size());
            for (const auto& [name, file] : original)
                if (!restored.count(name))
                    std::printf("  missing %s\n", name.c_str());
            return;
        }
    }
}

TEST(RunKilled, TheJournalNamesWhatTookEffectAndUndoGivesBackTheFolder)
{
    Tally t;
    for (bool deleteOld : {false, true}) {
        killAndUndo(deleteOld, FileSystem::usual, 70 / kShare, 20 / kShare, deleteOld ? 7 : 11, t);
        if (HasFailure())
            break;
    }
    std::printf("[ figures  ] %d rounds, %d killed (%d at a call), %d before the journal's "
                "start, %ld entries given back\n",
                t.rounds, t.killed, t.killedAtCall, t.withoutJournal, t.undone);
}

// Without unnamed files, a copy is made under a scratch name first, and a
// kill in the middle of it leaves that file behind. Without a rename that
// never replaces, a move is a link and a removal, and a kill between the
// two leaves the file under both names.
TEST(RunKilled, OnFileSystemsWithoutUnnamedFilesOrNoReplaceRenamesUndoGivesBackTheFolder)
{
    Tally t;
    for (FileSystem fs : {FileSystem::plain, FileSystem::nfs})
        for (bool deleteOld : {false, true}) {
            killAndUndo(deleteOld, fs, 20 / kShare, 5 / kShare, deleteOld ? 3 : 5, t);
            if (HasFailure())
                return;
        }
    std::printf("[ figures  ] %d rounds, %d killed (%d at a call), %ld entries given back\n",
                t.rounds, t.killed, t.killedAtCall, t.undone);
}

// Where names are swapped, a cycle's first file is under a hidden
// temporary name for a while: a kill then leaves it there, recorded, and
// undo brings it back with every other file.
TEST(RunKilled, OverTheSwapPlanUndoGivesBackEveryFile)
{
    Tally t;
    for (FileSystem fs : {FileSystem::usual, FileSystem::nfs}) {
        killAndUndo(true, fs, (fs == FileSystem::usual ? 50 : 15) / kShare, (fs == FileSystem::usual ? 15 : 5) / kShare,
                    fs == FileSystem::usual ? 13 : 17, t, /*swap=*/true);
        if (HasFailure())
            return;
    }
    std::printf("[ figures  ] %d rounds, %d killed (%d at a call, %d with a file under a temporary name), %ld "
                "entries given back\n",
                t.rounds, t.killed, t.killedAtCall, t.atTemporary, t.undone);
    EXPECT_GT(t.atTemporary, 0) << "no kill came while a cycle was under way";
}

}  // namespace
