// The rename run on real folders: the counts, the status reports, the
// pairing of entries and lines, and what it does to the files.
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "rename/namelist.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <future>
#include <ostream>
#include <random>
#include <set>
#include <thread>

using namespace testing_support;
using renaming::NameRule;
using renaming::RunCounts;
using renaming::RunStep;

namespace {

struct Outcome {
    RunCounts counts;
    std::vector<std::string> steps;  // status texts in order
};

// Runs over `entries` (files of the current folder) with `lines` typed.
Outcome run(const std::vector<std::string>& entries, const std::vector<std::string>& lines,
            NameRule rule, bool deleteOld)
{
    const Ran r = runKept(RunSpec{.folder = "", .entries = entries, .lines = lines, .rule = rule, .deleteOld = deleteOld});
    return {r.counts, r.texts()};
}

ino_t inodeOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_ino;
}

TEST(RenameSummary, Texts)
{
    EXPECT_EQ(renaming::summaryText({}, false), "成功：0件　失敗：0件　無視：0件　");
    EXPECT_EQ(renaming::summaryText({}, true), "成功：0件　失敗：0件　無視：0件　削除失敗：0件");
    EXPECT_EQ(renaming::summaryText({12, 3, 1004, 5}, true),
              "成功：12件　失敗：3件　無視：1004件　削除失敗：5件");
    EXPECT_EQ(renaming::summaryText({1, 1, 1, 0}, false), "成功：1件　失敗：1件　無視：1件　");
    // A stopped run's, with what it did not come to on a line of its own.
    EXPECT_EQ(renaming::summaryText({2, 0, 1, 0, 3}, true),
              "成功：2件　失敗：0件　無視：1件　削除失敗：0件\n中止しました（残り 3 件は処理していません）");
    EXPECT_EQ(renaming::summaryText({0, 0, 0, 0, 1}, false),
              "成功：0件　失敗：0件　無視：0件　\n中止しました（残り 1 件は処理していません）");
}

struct Scenario {
    const char* name;
    std::vector<std::string> files;  // made in a fresh folder, in list order
    std::vector<std::string> lines;
    NameRule rule;
    bool deleteOld;
    std::vector<std::string> readOnly;
    RunCounts counts;
    std::vector<std::string> steps;
    std::set<std::string> after;  // names in the folder afterwards
};

void PrintTo(const Scenario& sc, std::ostream* os) { *os << sc.name; }

// The window's own tests cover the summary cases; these are about order.
class RenameScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(RenameScenario, CountsStepsAndFiles)
{
    const auto& sc = GetParam();
    ScratchDir d;
    CwdGuard cwd(d.path());
    for (const auto& f : sc.files)
        writeFile(d / f, "content of " + f);
    for (const auto& f : sc.readOnly)
        ::chmod((d / f).c_str(), 0444);

    const Outcome o = run(sc.files, sc.lines, sc.rule, sc.deleteOld);
    EXPECT_EQ(o.counts, sc.counts);
    EXPECT_EQ(o.steps, sc.steps);

    std::set<std::string> names;
    for (const auto& [name, content] : snapshot(d.path()))
        names.insert(name);
    EXPECT_EQ(names, sc.after);
    // Whatever name a file has now, it has the content it came with.
    for (const auto& [name, content] : snapshot(d.path()))
        EXPECT_TRUE(content.starts_with("content of ")) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Run, RenameScenario,
    ::testing::Values(
        Scenario{"NameOfAWaitingEntryFailsWithoutDelete",
                 {"a.txt", "b.txt"},
                 {"b", "a"},
                 NameRule::replace,
                 false,
                 {},
                 {0, 2, 0, 0},
                 {"ファイル「b.txt」の作成に失敗しました",
                  "ファイル「a.txt」の作成に失敗しました"},
                 {"a.txt", "b.txt"}},
        Scenario{"NameFreedEarlierInTheRunWithDelete",
                 {"a.txt", "b.txt"},
                 {"x", "a"},
                 NameRule::replace,
                 true,
                 {},
                 {2, 0, 0, 0},
                 {"ファイル「x.txt」を作成しました", "ファイル「a.txt」を削除しました",
                  "ファイル「a.txt」を作成しました", "ファイル「b.txt」を削除しました"},
                 {"a.txt", "x.txt"}},
        Scenario{"DotNamesAreTaken",
                 {"a", "b"},
                 {".", ".."},
                 NameRule::replace,
                 true,
                 {},
                 {0, 2, 0, 0},
                 {"ファイル「.」の作成に失敗しました", "ファイル「..」の作成に失敗しました"},
                 {"a", "b"}},
        Scenario{"BlankLinesAreIgnored",
                 {"a", "b", "c"},
                 {"", " \t ", "\xE3\x80\x80"},  // an ideographic space is a name
                 NameRule::replace,
                 false,
                 {},
                 {1, 0, 2, 0},
                 {"ファイル「\xE3\x80\x80」を作成しました"},
                 {"a", "b", "c", "\xE3\x80\x80"}},
        // Lines past the last entry change nothing and count nowhere.
        Scenario{"LinesPastTheLastEntryCountNowhere",
                 {"a"},
                 {"b", "c", "a?b"},
                 NameRule::replace,
                 false,
                 {},
                 {1, 0, 0, 0},
                 {"ファイル「b」を作成しました"},
                 {"a", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RenameRun, WithDeleteTheFileIsMovedNotCopied)
{
    ScratchDir d;
    CwdGuard cwd(d.path());
    writeFile(d / "a.txt", std::string(1 << 20, 'a'));
    const ino_t ino = inodeOf(d / "a.txt");
    FaultSys fs;
    platform::ScopedSys scoped(fs);
    const Outcome o = run({"a.txt"}, {"b"}, NameRule::replace, true);
    EXPECT_EQ(o.counts, (RunCounts{1, 0, 0, 0}));
    EXPECT_EQ(inodeOf(d / "b.txt"), ino);
    EXPECT_FALSE(exists(d / "a.txt"));
    EXPECT_EQ(fs.indexOf("copy_file_range"), -1);
    EXPECT_EQ(fs.indexOf("clone"), -1);
}

// A run of moves costs each entry one look at its file and the rename:
// the rename refuses a taken name itself, with the same words and count.
TEST(RenameRun, MovingLooksAtEachOldFileOnceAndLeavesTakenNamesToTheRename)
{
    ScratchDir d;
    CwdGuard cwd(d.path());
    std::vector<std::string> entries, lines;
    for (int i = 0; i < 40; ++i) {
        entries.push_back("f" + std::to_string(100 + i) + ".txt");
        writeFile(d / entries.back(), "x");
        lines.push_back("g" + std::to_string(100 + i));
    }
    writeFile(d / "g139.txt", "taken");
    FaultSys fs;
    platform::ScopedSys scoped(fs);
    const Outcome o = run(entries, lines, NameRule::replace, true);
    EXPECT_EQ(o.counts, (RunCounts{39, 1, 0, 0}));
    EXPECT_EQ(o.steps.back(), renaming::stepText(RunStep::createFailed, "g139.txt"));
    EXPECT_EQ(readFile(d / "g139.txt"), "taken");
    EXPECT_EQ(fs.count(FaultSys::kRename), 40);
    // The looks: one an entry, and a few for the folder (a killed run's
    // leftovers) and its file system.
    EXPECT_LE(fs.count(FaultSys::kStat), 40 + 4);
}

// With thousands of files the looks go ahead of the run on a thread of
// their own; an entry's name that the run itself fills after that look (its
// file gone, and an earlier line asking for its name) is looked at again
// when its turn comes, as a run without looks ahead would.
TEST(RenameRun, NameTheRunFilledAfterItsLookAheadIsLookedAtAgain)
{
    ScratchDir d;
    std::vector<std::string> entries, lines;
    for (int i = 0; i < 3000; ++i) {
        entries.push_back("f" + std::to_string(10000 + i));
        lines.push_back("g" + std::to_string(10000 + i));
        d.write(entries.back(), entries.back());
    }
    entries.back() = "gone";  // listed, and removed since
    lines[2998] = "gone";
    lines.back() = "last";
    const Ran r = runKept({.folder = d.path(), .entries = entries, .lines = lines, .deleteOld = true});
    EXPECT_EQ(r.counts, (RunCounts{3000, 0, 0, 0}));
    EXPECT_EQ(d.read("last"), "f12998");
    EXPECT_FALSE(exists(d / "gone"));
}

// Without the rename flag (NFS) the file still moves, by a second name and
// the old one removed: the same file, nothing copied.
TEST(RenameRun, WithoutTheRenameFlagTheFileIsLinkedNotCopied)
{
    ScratchDir d;
    CwdGuard cwd(d.path());
    writeFile(d / "a.txt", "A");
    const ino_t ino = inodeOf(d / "a.txt");
    FaultSys fs;
    fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) { return refuse(EINVAL); };
    platform::ScopedSys scoped(fs);
    const Outcome o = run({"a.txt"}, {"b"}, NameRule::replace, true);
    EXPECT_EQ(o.counts, (RunCounts{1, 0, 0, 0}));
    EXPECT_EQ(o.steps, (std::vector<std::string>{"ファイル「b.txt」を作成しました",
                                                 "ファイル「a.txt」を削除しました"}));
    EXPECT_EQ(inodeOf(d / "b.txt"), ino);
    EXPECT_FALSE(exists(d / "a.txt"));
    EXPECT_EQ(fs.indexOf("fdatasync"), -1);
}

// No rename flag, and the old file may not be linked (a file of another
// user under the kernel's protected links): the copy is made, and it is on
// the disk before the old file goes.
TEST(RenameRun, WhereMovingIsNotPossibleTheCopyIsOnDiskBeforeTheOldFileGoes)
{
    ScratchDir d;
    CwdGuard cwd(d.path());
    writeFile(d / "a.txt", "A");
    FaultSys fs;
    fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) { return refuse(EINVAL); };
    fs.onLinkat = [&fs](int od, const char* op, int nd, const char* np, int flags) {
        if (std::string_view(op).starts_with("/proc/self/fd/"))
            return fs.Sys::linkat(od, op, nd, np, flags);  // the copy's own new file
        return refuse(EPERM);
    };
    platform::ScopedSys scoped(fs);
    const Outcome o = run({"a.txt"}, {"b"}, NameRule::replace, true);
    EXPECT_EQ(o.counts, (RunCounts{1, 0, 0, 0}));
    EXPECT_EQ(o.steps, (std::vector<std::string>{"ファイル「b.txt」を作成しました",
                                                 "ファイル「a.txt」を削除しました"}));
    EXPECT_EQ(readFile(d / "b.txt"), "A");
    EXPECT_FALSE(exists(d / "a.txt"));
    const int sync = fs.indexOf("fdatasync");
    ASSERT_GE(sync, 0);
    int lastUnlink = -1;
    for (size_t i = 0; i < fs.calls.size(); ++i)
        if (fs.calls[i] == "unlinkat")
            lastUnlink = static_cast<int>(i);
    EXPECT_LT(sync, lastUnlink);
}

TEST(RenameRun, WithoutDeleteItAlwaysCopies)
{
    ScratchDir d;
    CwdGuard cwd(d.path());
    writeFile(d / "a.txt", "A");
    FaultSys fs;
    platform::ScopedSys scoped(fs);
    run({"a.txt"}, {"b"}, NameRule::replace, false);
    EXPECT_EQ(fs.indexOf("renameat2"), -1);
    EXPECT_NE(inodeOf(d / "a.txt"), inodeOf(d / "b.txt"));
    EXPECT_EQ(readFile(d / "b.txt"), "A");
}

TEST(RenameRun, AFailedCopyNeverDeletesTheOldFile)
{
    ScratchDir d;
    CwdGuard cwd(d.path());
    writeFile(d / "a.txt", "A");
    FaultSys fs;
    fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) { return refuse(EIO); };
    fs.onFdatasync = [](int) { return refuse(EIO); };
    platform::ScopedSys scoped(fs);
    const Outcome o = run({"a.txt"}, {"b"}, NameRule::replace, true);
    EXPECT_EQ(o.counts, (RunCounts{0, 1, 0, 0}));
    EXPECT_EQ(o.steps, (std::vector<std::string>{"ファイル「b.txt」の作成に失敗しました"}));
    EXPECT_EQ(snapshot(d.path()), (std::map<std::string, std::string>{{"a.txt", "A"}}));
}

// The run acts in the folder of its request. The process's current folder,
// here another folder holding files of the same names, is never touched.
TEST(RenameRun, ActsInItsFolderNotInTheCurrentOne)
{
    ScratchDir work, current;
    for (const char* n : {"a.txt", "b.txt"}) {
        writeFile(work / n, std::string("work ") + n);
        writeFile(current / n, std::string("current ") + n);
    }
    CwdGuard cwd(current.path());
    const auto before = snapshot(current.path());
    for (bool deleteOld : {false, true}) {
        renaming::RunRequest rq;
        rq.folder = platform::FolderHandle::open(work.path()).value();
        rq.entries = {"a.txt", "b.txt"};
        rq.lines = {deleteOld ? "x" : "p", deleteOld ? "y" : "q"};
        rq.deleteOld = deleteOld;
        EXPECT_EQ(renaming::runRename(rq), (RunCounts{2, 0, 0, 0}));
    }
    EXPECT_EQ(snapshot(work.path()),
              (std::map<std::string, std::string>{{"p.txt", "work a.txt"},
                                                  {"q.txt", "work b.txt"},
                                                  {"x.txt", "work a.txt"},
                                                  {"y.txt", "work b.txt"}}));
    EXPECT_EQ(snapshot(current.path()), before);
}

// A request without a folder fails every entry that has a new name, with
// the creation-failed text, and touches no file anywhere.
TEST(RenameRun, WithoutAFolderEveryEntryFailsAndNothingIsTouched)
{
    ScratchDir d;
    writeFile(d / "a.txt", "A");
    writeFile(d / "b.txt", "B");
    CwdGuard cwd(d.path());
    for (bool deleteOld : {false, true}) {
        renaming::RunRequest rq;
        rq.entries = {"a.txt", "b.txt"};
        rq.lines = {"x", ""};
        rq.deleteOld = deleteOld;
        std::vector<std::string> steps;
        rq.onStep = [&](RunStep s, const std::string& n) { steps.push_back(renaming::stepText(s, n)); };
        EXPECT_EQ(renaming::runRename(rq), (RunCounts{0, 1, 1, 0}));
        EXPECT_EQ(steps, std::vector<std::string>{"ファイル「x.txt」の作成に失敗しました"});
    }
    EXPECT_EQ(d.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// A request is a value a worker thread can own: moved to another thread it
// runs there in its own folder, its reports and the ticks of its large copy
// come on that thread, and nothing of it depends on the thread that made it
// (which has meanwhile gone to another folder).
TEST(RenameRun, RequestRunsOnAnotherThreadWithItsOwnFolderAndTick)
{
    ScratchDir work, elsewhere;
    writeFile(work / "big", std::string(3 << 20, 'b'));
    writeFile(work / "small", "s");
    CwdGuard cwd(elsewhere.path());
    FaultSys fs;
    // A clone moves no data through the program: nothing to tick for.
    fs.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
    platform::ScopedSys scoped(fs);

    std::vector<std::thread::id> reportedOn;
    int ticks = 0;
    renaming::RunRequest rq;
    rq.folder = platform::FolderHandle::open(work.path()).value();
    rq.entries = {"big", "small"};
    rq.lines = {"big2", "small2"};
    rq.onStep = [&](RunStep, const std::string&) { reportedOn.push_back(std::this_thread::get_id()); };
    size_t tickedBytes = 0;
    rq.copyTick = {[&](size_t moved) {
                       ++ticks;
                       tickedBytes += moved;
                       reportedOn.push_back(std::this_thread::get_id());
                   },
                   1 << 20};
    std::thread::id worker;
    auto done = std::async(std::launch::async, [&worker, rq = std::move(rq)] {
        worker = std::this_thread::get_id();
        return renaming::runRename(rq);
    });
    EXPECT_EQ(done.get(), (RunCounts{2, 0, 0, 0}));
    EXPECT_GE(ticks, 2);
    // The ticks tell how much moved: all of the big file, in whole stretches.
    EXPECT_EQ(tickedBytes, size_t{3} << 20);
    EXPECT_EQ(std::count(reportedOn.begin(), reportedOn.end(), worker),
              static_cast<long>(reportedOn.size()));
    EXPECT_EQ(readFile(work / "big2"), std::string(3 << 20, 'b'));
    EXPECT_TRUE(elsewhere.names().empty());

    // Another request without a tick is not ticked by the first one's.
    ticks = 0;
    renaming::RunRequest plain;
    plain.folder = platform::FolderHandle::open(work.path()).value();
    plain.entries = {"big"};
    plain.lines = {"big3"};
    EXPECT_EQ(renaming::runRename(plain), (RunCounts{1, 0, 0, 0}));
    EXPECT_EQ(ticks, 0);
}

// --- property: random folders, random lines --------------------------------

enum class Disk { normal, noMoveFlag, bare, flaky, noLinks };

void PrintTo(const std::tuple<NameRule, bool, Disk>& p, std::ostream* os)
{
    static const char* const disks[] = {"usual disk", "no rename flag", "bare file system",
                                        "flaky disk", "no rename flag and no links"};
    *os << (std::get<0>(p) == NameRule::replace ? "replace" : "append") << ", "
        << (std::get<1>(p) ? "delete" : "keep") << ", " << disks[static_cast<int>(std::get<2>(p))];
}

class RenameProperty : public ::testing::TestWithParam<std::tuple<NameRule, bool, Disk>> {};

TEST_P(RenameProperty, NothingLostNothingChangedNoStrayFile)
{
    const auto [rule, deleteOld, disk] = GetParam();
    const std::vector<std::string> pool = {
        "a.txt", "B.txt", "c",      "d.tar.gz", "e.", "表.txt", "ソ.jpg", "a b.txt",
        " lead.txt", "x.txt", "xa.txt", "n1.txt", "n2",   "long.name.here", "z"};
    std::mt19937 rng(12345u + static_cast<unsigned>(rule) * 7 + (deleteOld ? 3 : 0) +
                     static_cast<unsigned>(disk) * 11);
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };

    FaultSys fs;
    switch (disk) {
    case Disk::normal:
        break;
    case Disk::noMoveFlag:
        fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) {
            return refuse(EINVAL);
        };
        break;
    case Disk::bare:
        fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) {
            return refuse(EINVAL);
        };
        plainFileSystem(fs);
        break;
    case Disk::flaky:
        // Writes, in-kernel copies, flushes and moves fail now and then.
        fs.onRenameat2 = [&](int a, const char* b, int c, const char* e, unsigned f) {
            return pick(4) == 0 ? refuse(EIO) : fs.Sys::renameat2(a, b, c, e, f);
        };
        fs.onCopyRange = [&](int a, off_t* b, int c, off_t* e, size_t f) -> ssize_t {
            return pick(4) == 0 ? refuse(ENOSPC) : fs.Sys::copyFileRange(a, b, c, e, f);
        };
        fs.onFdatasync = [&](int fd) { return pick(4) == 0 ? refuse(EIO) : fs.Sys::fdatasync(fd); };
        break;
    case Disk::noLinks:
        // As FUSE file systems answer: neither way to move a name is there.
        fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) {
            return refuse(EINVAL);
        };
        fs.onLinkat = [](int, const char*, int, const char*, int) { return refuse(EPERM); };
        withoutUnnamedFiles(fs);
        break;
    }

    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ScratchDir d;
        CwdGuard cwd(d.path());
        std::map<std::string, std::string> before;
        std::set<std::string> readOnly;
        const size_t nFiles = pick(9);
        for (size_t k = 0; k < nFiles; ++k) {
            const std::string name = pool[pick(pool.size())];
            if (before.count(name))
                continue;
            const std::string content = "#" + std::to_string(round) + "/" + name + "/" +
                                        std::string(pick(3) == 0 ? 70000 : pick(50), 'q');
            const bool ro = pick(4) == 0;
            writeFile(d / name, content, ro ? 0444 : 0644);
            before[name] = content;
            if (ro)
                readOnly.insert(name);
        }
        renaming::NameList list;
        list.Reread();  // it starts on the current folder
        const std::vector<std::string> entries = list.entries();
        ASSERT_EQ(entries.size(), before.size());

        std::vector<std::string> lines;
        const size_t nLines = pick(entries.size() + 3);
        for (size_t k = 0; k < nLines; ++k) {
            switch (pick(8)) {
            case 0: lines.push_back(""); break;
            case 1: lines.push_back("  \t"); break;
            case 2: lines.push_back("bad" + std::string(1, "\\/:*?\"<>|"[pick(9)]) + "x"); break;
            case 3: lines.push_back(lines.empty() ? "dup" : lines[pick(lines.size())]); break;
            case 4: {
                // The name, or the base, of another entry.
                const std::string& other = pool[pick(pool.size())];
                lines.push_back(pick(2) ? other : other.substr(0, other.find('.')));
                break;
            }
            case 5: lines.push_back(" new" + std::to_string(pick(5)) + " "); break;
            default: lines.push_back("n" + std::to_string(pick(4))); break;
            }
        }

        platform::ScopedSys scoped(fs);
        const Outcome o = run(entries, lines, rule, deleteOld);
        const auto after = snapshot(d.path());

        const auto& c = o.counts;
        EXPECT_EQ(c.success + c.failed + c.ignored + c.deleteFailed,
                  static_cast<int32_t>(entries.size()));
        if (!deleteOld) {
            EXPECT_EQ(c.deleteFailed, 0);
        }

        auto namesIn = [&](const char* ending) {
            std::multiset<std::string> out;
            const std::string open = "ファイル「";
            for (const auto& s : o.steps)
                if (s.ends_with(ending))
                    out.insert(s.substr(open.size(), s.size() - open.size() - strlen(ending)));
            return out;
        };
        const auto created = namesIn("」を作成しました");
        const auto deleted = namesIn("」を削除しました");
        EXPECT_EQ(created.size(), static_cast<size_t>(c.success + c.deleteFailed));
        EXPECT_EQ(deleted.size(), deleteOld ? static_cast<size_t>(c.success) : 0u);
        EXPECT_EQ(after.size(), before.size() - deleted.size() + created.size());

        std::multiset<std::string> contents;
        for (const auto& [name, content] : after)
            contents.insert(content);
        for (const auto& [name, content] : before) {
            // Nothing is lost: every original content is still somewhere.
            EXPECT_TRUE(contents.count(content)) << "lost: " << name;
            // Nothing is changed: a name that was not removed still holds
            // what it held. A read-only file is never removed.
            if (!deleted.count(name)) {
                ASSERT_TRUE(after.count(name)) << "gone: " << name;
                EXPECT_EQ(after.at(name), content) << "changed: " << name;
            }
            if (readOnly.count(name)) {
                EXPECT_FALSE(deleted.count(name)) << "read-only file removed: " << name;
            }
        }
        // Every other name is a reported new one holding a whole original:
        // no stray or partial file.
        for (const auto& [name, content] : after) {
            if (before.count(name) && !deleted.count(name))
                continue;
            EXPECT_TRUE(created.count(name)) << "stray: " << name;
            bool whole = false;
            for (const auto& [n, orig] : before)
                whole = whole || orig == content;
            EXPECT_TRUE(whole) << "partial: " << name;
        }
    }
}

std::string propertyName(const ::testing::TestParamInfo<std::tuple<NameRule, bool, Disk>>& info)
{
    static const char* const disks[] = {"Normal", "NoMoveFlag", "Bare", "Flaky", "NoLinks"};
    return std::string(std::get<0>(info.param) == NameRule::replace ? "Replace" : "Append") +
           (std::get<1>(info.param) ? "Delete" : "Keep") +
           disks[static_cast<int>(std::get<2>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Run, RenameProperty,
    ::testing::Combine(::testing::Values(NameRule::replace, NameRule::append), ::testing::Bool(),
                       ::testing::Values(Disk::normal, Disk::noMoveFlag, Disk::bare, Disk::flaky,
                                         Disk::noLinks)),
    propertyName);

}  // namespace
