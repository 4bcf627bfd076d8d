// A run that swaps names, on real files: chains and cycles of names succeed
// whatever the list order, a cycle goes through a hidden temporary name and
// leaves none behind, a cycle that cannot finish is put back as it was, and
// undo from the journal gives back the folder of before.
#include "platform/syscalls.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>

using namespace testing_support;
using renaming::RunCounts;

namespace {

struct SwapRun {
    const char* name;
    std::vector<std::string> files;  // in list order, each holding its own name
    std::vector<std::string> readOnly;
    std::vector<std::string> lines;
    RunCounts counts;
    std::map<std::string, std::string> after;  // name -> the file it held before
};

void PrintTo(const SwapRun& c, std::ostream* os) { *os << c.name; }

class SwappingRun : public ::testing::TestWithParam<SwapRun> {};

TEST_P(SwappingRun, GivesEachFileItsNewNameAndUndoGivesItsOldOneBack)
{
    const SwapRun& c = GetParam();
    ScratchDir d, state;
    for (const auto& f : c.files)
        writeFile(d / f, f, std::count(c.readOnly.begin(), c.readOnly.end(), f) ? 0444 : 0644);
    const auto before = snapshot(d.path());
    const auto [ran, journal] = runJournalled(
        requestFor({.folder = d.path(), .entries = c.files, .lines = c.lines, .deleteOld = true, .swap = true}),
        state / "run.journal");
    EXPECT_EQ(ran.counts, c.counts);
    // Every name is one asked for or left: no temporary name stays.
    EXPECT_EQ(snapshot(d.path()), c.after);
    ASSERT_TRUE(journal);
    undoIn(d.path(), *journal);
    EXPECT_EQ(snapshot(d.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Run, SwappingRun,
    ::testing::Values(
        SwapRun{"TwoSwapped", {"a.txt", "b.txt"}, {}, {"b", "a"}, {2, 0, 0, 0},
                {{"a.txt", "b.txt"}, {"b.txt", "a.txt"}}},
        SwapRun{"ThreeInACycle", {"a", "b", "c"}, {}, {"b", "c", "a"}, {3, 0, 0, 0},
                {{"a", "c"}, {"b", "a"}, {"c", "b"}}},
        SwapRun{"ShiftByOne", {"f1", "f2", "f3", "f4"}, {}, {"f2", "f3", "f4", "f5"}, {4, 0, 0, 0},
                {{"f2", "f1"}, {"f3", "f2"}, {"f4", "f3"}, {"f5", "f4"}}},
        SwapRun{"ShiftAroundIsACycle", {"f1", "f2", "f3", "f4"}, {}, {"f2", "f3", "f4", "f1"}, {4, 0, 0, 0},
                {{"f1", "f4"}, {"f2", "f1"}, {"f3", "f2"}, {"f4", "f3"}}},
        SwapRun{"ChainIntoAReadOnlyFileStops", {"a", "b", "c"}, {"b"}, {"b", "c2", "x"}, {1, 1, 0, 1},
                {{"a", "a"}, {"b", "b"}, {"c2", "b"}, {"x", "c"}}},
        SwapRun{"CycleBesideFailuresAndADuplicate", {"a", "b", "c", "d"}, {}, {"b", "a", "a", "x?"},
                {2, 2, 0, 0}, {{"a", "b"}, {"b", "a"}, {"c", "c"}, {"d", "d"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SwappingRun, ReportsEachFileOnceItHasItsNewName)
{
    ScratchDir d;
    d.write("a.txt", "A");
    d.write("b.txt", "B");
    const Ran r = runKept({.folder = d.path(), .entries = {"a.txt", "b.txt"}, .lines = {"b", "a"}, .deleteOld = true,
                           .swap = true});
    EXPECT_EQ(r.texts(), (std::vector<std::string>{"ファイル「a.txt」を作成しました", "ファイル「b.txt」を削除しました",
                                                   "ファイル「b.txt」を作成しました", "ファイル「a.txt」を削除しました"}));
}

// Unchecked, a swap fails as it always has, in list order.
TEST(SwappingRun, NotAskedForTheSwapFailsAsBefore)
{
    ScratchDir d;
    d.write("a.txt", "A");
    d.write("b.txt", "B");
    const Ran r = runKept({.folder = d.path(), .entries = {"a.txt", "b.txt"}, .lines = {"b", "a"}, .deleteOld = true});
    EXPECT_EQ(r.counts, (RunCounts{0, 2, 0, 0}));
    EXPECT_EQ(r.texts(), (std::vector<std::string>{"ファイル「b.txt」の作成に失敗しました",
                                                   "ファイル「a.txt」の作成に失敗しました"}));
}

struct BrokenCycle {
    const char* name;
    long failingRename;  // of the cycle's renames, counted from 1
    int err;
};

void PrintTo(const BrokenCycle& c, std::ostream* os) { *os << c.name; }

class CycleThatCannotFinish : public ::testing::TestWithParam<BrokenCycle> {};

// A rename of the cycle refused: what was done of it is moved back, no
// file is left under a temporary name, each entry fails.
TEST_P(CycleThatCannotFinish, IsPutBackAsItWas)
{
    const BrokenCycle& c = GetParam();
    ScratchDir d, state;
    for (const char* f : {"a", "b", "c"})
        d.write(f, f);
    const auto before = snapshot(d.path());
    FaultSys faults;
    faults.failNthOf(FaultSys::kRename, c.failingRename, c.err);
    // Where the rename is refused, the copy that stands in for it too.
    faults.onCopyRange = [](int, off_t*, int, off_t*, size_t) -> ssize_t { return refuse(ENOSPC); };
    faults.onWrite = [](int, const void*, size_t) -> ssize_t { return refuse(ENOSPC); };
    platform::ScopedSys use(faults);
    const auto [ran, journal] = runJournalled(
        requestFor({.folder = d.path(), .entries = {"a", "b", "c"}, .lines = {"b", "c", "a"}, .deleteOld = true,
                    .swap = true}),
        state / "run.journal");
    EXPECT_EQ(ran.counts, (RunCounts{0, 3, 0, 0}));
    EXPECT_EQ(snapshot(d.path()), before);
    ASSERT_TRUE(journal);
    EXPECT_EQ(undoIn(d.path(), *journal).leftAlone, 0);
    EXPECT_EQ(snapshot(d.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Run, CycleThatCannotFinish,
    ::testing::Values(BrokenCycle{"ToTheTemporaryName", 1, EIO}, BrokenCycle{"FirstFollower", 2, EEXIST},
                      BrokenCycle{"SecondFollower", 3, EIO}, BrokenCycle{"FromTheTemporaryName", 4, EEXIST}),
    [](const auto& info) { return std::string(info.param.name); });

// The intents of a chain's moves go to the journal ahead of them; a move
// the file system refuses is then made by a copy, recorded after them, and
// undo still takes the chain back in the reverse of its order.
TEST(SwappingRun, MoveMadeByACopyInsideAChainIsTakenBackInItsPlace)
{
    ScratchDir d, state;
    const std::vector<std::string> files{"f1", "f2", "f3", "f4"};
    for (const auto& f : files)
        d.write(f, f);
    const auto before = snapshot(d.path());
    FaultSys faults;
    faults.failNthOf(FaultSys::kRename, 2, EIO);  // f3 to f4, after f4 to f5
    platform::ScopedSys use(faults);
    const auto [ran, journal] = runJournalled(
        requestFor({.folder = d.path(), .entries = files, .lines = {"f2", "f3", "f4", "f5"}, .deleteOld = true,
                    .swap = true}),
        state / "run.journal");
    EXPECT_EQ(ran.counts, (RunCounts{4, 0, 0, 0}));
    EXPECT_EQ(snapshot(d.path()),
              (std::map<std::string, std::string>{{"f2", "f1"}, {"f3", "f2"}, {"f4", "f3"}, {"f5", "f4"}}));
    ASSERT_TRUE(journal);
    EXPECT_EQ(undoIn(d.path(), *journal).leftAlone, 0);
    EXPECT_EQ(snapshot(d.path()), before);
}

// Enough files for the run to look at them on a thread ahead of its moves:
// the shift by one is made and taken back, and a read-only file in the
// middle, found so, is copied and holds up the moves that wait for its name.
TEST(SwappingRun, ShiftOfThousandsOfFilesIsMadeAndTakenBack)
{
    ScratchDir d, state;
    auto name = [](int i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "f%05d", i);
        return std::string(buf);
    };
    std::vector<std::string> files, lines;
    for (int i = 0; i < 5000; ++i) {
        files.push_back(name(i));
        lines.push_back(name(i + 1));
        d.write(files.back(), files.back());
    }
    for (const int readOnlyAt : {-1, 2500}) {
        if (readOnlyAt >= 0)
            ::chmod((d / name(readOnlyAt)).c_str(), 0444);
        const auto before = snapshot(d.path());
        const auto [ran, journal] = runJournalled(
            requestFor({.folder = d.path(), .entries = files, .lines = lines, .deleteOld = true, .swap = true}),
            state / ("run" + std::to_string(readOnlyAt) + ".journal"));
        const auto after = snapshot(d.path());
        EXPECT_EQ(after.at(name(5000)), name(4999));
        if (readOnlyAt < 0) {
            EXPECT_EQ(ran.counts, (RunCounts{5000, 0, 0, 0}));
        } else {
            EXPECT_EQ(ran.counts, (RunCounts{2499, 2500, 0, 1}));
            EXPECT_EQ(after.at(name(2501)), name(2500));
            EXPECT_EQ(after.at(name(2500)), name(2500));
            EXPECT_EQ(after.at(name(2499)), name(2499));
        }
        ASSERT_TRUE(journal);
        EXPECT_EQ(undoIn(d.path(), *journal).leftAlone, 0);
        EXPECT_EQ(snapshot(d.path()), before);
    }
}

// A file gone between the folder's read and its move is passed over; the
// move that waited for its name finds the name free.
TEST(SwappingRun, FileGoneSinceTheFolderWasReadIsPassedOver)
{
    ScratchDir d;
    for (const char* f : {"f1", "f2", "f3"})
        d.write(f, f);
    FaultSys faults;
    faults.onFstatat = [&](int dir, const char* path, struct stat* st, int flags) {
        if (std::strcmp(path, "f2") == 0)
            ::unlinkat(dir, path, 0);
        return faults.Sys::fstatat(dir, path, st, flags);
    };
    platform::ScopedSys use(faults);
    const Ran r = runKept({.folder = d.path(), .entries = {"f1", "f2", "f3"}, .lines = {"f2", "f3", "f4"},
                           .deleteOld = true, .swap = true});
    EXPECT_EQ(r.counts, (RunCounts{2, 1, 0, 0}));
    EXPECT_EQ(snapshot(d.path()), (std::map<std::string, std::string>{{"f2", "f1"}, {"f4", "f3"}}));
}

// A temporary name that is taken is passed over for another.
TEST(SwappingRun, PassesOverATakenTemporaryName)
{
    ScratchDir d, state;
    d.write("a", "A");
    d.write("b", "B");
    FaultSys faults;
    int refused = 0;
    faults.onRenameat2 = [&](int od, const char* op, int nd, const char* np, unsigned f) {
        if (std::strstr(np, ".swap") && refused++ == 0)
            return refuse(EEXIST);
        return faults.Sys::renameat2(od, op, nd, np, f);
    };
    platform::ScopedSys use(faults);
    const auto [ran, journal] = runJournalled(
        requestFor({.folder = d.path(), .entries = {"a", "b"}, .lines = {"b", "a"}, .deleteOld = true, .swap = true}),
        state / "run.journal");
    EXPECT_EQ(ran.counts, (RunCounts{2, 0, 0, 0}));
    EXPECT_EQ(snapshot(d.path()), (std::map<std::string, std::string>{{"a", "B"}, {"b", "A"}}));
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->temporaries.size(), 2u);
}

}  // namespace
