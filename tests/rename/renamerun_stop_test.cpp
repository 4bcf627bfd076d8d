// A run stopped on request: it stops before its next entry, abandons a copy
// under way without a trace, counts what it did not come to, and its journal
// records the stop, so that undo takes back exactly what was done. An undo
// stops the same way and can be taken up again.
#include "platform/syscalls.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace testing_support;
using renaming::RunCounts;

namespace {

const std::vector<std::string> kEntries = {"f1.txt", "f2.txt", "f3.txt", "f4.txt", "f5.txt", "f6.txt"};
const std::vector<std::string> kLines = {"g1", "g2", "g3", "g4", "g5", "g6"};

void lay(const ScratchDir& d)
{
    for (const auto& e : kEntries)
        d.write(e, "content of " + e);
}

struct StopCase {
    const char* name;
    bool deleteOld;
    FaultSys::Kind kind;  // the stop is asked during the call ...
    long at;              // ... of this kind, counted from 1; 0: before the run
    RunCounts counts;
    std::vector<std::string> names;  // the folder afterwards
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class StoppedRun : public ::testing::TestWithParam<StopCase> {};

TEST_P(StoppedRun, StopsBeforeTheNextEntryAndUndoTakesBackWhatWasDone)
{
    const StopCase& c = GetParam();
    ScratchDir d, state;
    lay(d);
    const auto before = snapshot(d.path());
    std::atomic<bool> stop = c.at == 0;
    FaultSys faults;
    long seen = 0;
    auto count = [&](FaultSys::Kind k) {
        if (k == c.kind && ++seen == c.at)
            stop = true;
    };
    faults.onRenameat2 = [&](int a, const char* b, int e, const char* f, unsigned g) {
        const int r = faults.Sys::renameat2(a, b, e, f, g);
        count(FaultSys::kRename);
        return r;
    };
    faults.onLinkat = [&](int a, const char* b, int e, const char* f, int g) {
        const int r = faults.Sys::linkat(a, b, e, f, g);
        count(FaultSys::kLink);
        return r;
    };
    auto rq = requestFor({.folder = d.path(), .entries = kEntries, .lines = kLines, .deleteOld = c.deleteOld});
    rq.stop = &stop;
    platform::ScopedSys use(faults);
    const auto [ran, journal] = runJournalled(std::move(rq), state / "run.journal");
    EXPECT_EQ(ran.counts, c.counts);
    EXPECT_EQ(d.names(), c.names);
    ASSERT_TRUE(journal);
    EXPECT_TRUE(journal->ended);
    EXPECT_EQ(journal->notDone, c.counts.notDone);

    const auto undone = undoIn(d.path(), *journal);
    EXPECT_EQ(undone.restored, c.counts.success);
    EXPECT_EQ(undone.leftAlone, 0);
    EXPECT_EQ(snapshot(d.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Run, StoppedRun,
    ::testing::Values(
        StopCase{"BeforeTheFirstEntry", true, FaultSys::kRename, 0, {0, 0, 0, 0, 6}, kEntries},
        StopCase{"DuringTheThirdMove", true, FaultSys::kRename, 3, {3, 0, 0, 0, 3},
                 {"f4.txt", "f5.txt", "f6.txt", "g1.txt", "g2.txt", "g3.txt"}},
        StopCase{"AsTheSecondCopyIsNamed", false, FaultSys::kLink, 2, {2, 0, 0, 0, 4},
                 {"f1.txt", "f2.txt", "f3.txt", "f4.txt", "f5.txt", "f6.txt", "g1.txt", "g2.txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A copy under way when the stop comes moves no more data, leaves nothing
// of itself (no new name, no scratch file) and no trace in the count but
// the entry not done; the original is untouched. On a file system without
// unnamed files the copy is a scratch file filled by reads and writes.
TEST(StoppedRun, AbandonsACopyUnderWayAndLeavesNoTrace)
{
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "plain file system" : "usual file system");
        ScratchDir d, state;
        const std::string big(48 << 20, 'b');
        d.write("big", big);
        d.write("small", "s");
        std::atomic<bool> stop = false;
        long movedAfterStop = 0, calls = 0;
        FaultSys faults;
        if (plain)
            plainFileSystem(faults);
        else
            faults.onCopyRange = [&](int a, off_t* b, int e, off_t* f, size_t n) -> ssize_t {
                const ssize_t r = faults.Sys::copyFileRange(a, b, e, f, n);
                if (stop)
                    movedAfterStop += r;
                if (++calls == 2)
                    stop = true;
                return r;
            };
        if (plain)
            faults.onWrite = [&](int fd, const void* b, size_t n) -> ssize_t {
                const ssize_t r = faults.Sys::write(fd, b, n);
                if (stop)
                    movedAfterStop += r;
                if (++calls == 3)
                    stop = true;
                return r;
            };
        auto rq = requestFor({.folder = d.path(), .entries = {"big", "small"}, .lines = {"big2", "small2"}});
        rq.stop = &stop;
        platform::ScopedSys use(faults);
        const auto [ran, journal] = runJournalled(std::move(rq), state / "run.journal");
        EXPECT_EQ(ran.counts, (RunCounts{0, 0, 0, 0, 2}));
        EXPECT_TRUE(ran.steps.empty());
        EXPECT_EQ(movedAfterStop, 0);
        EXPECT_EQ(d.names(), (std::vector<std::string>{"big", "small"}));
        EXPECT_TRUE(d.read("big") == big);
        ASSERT_TRUE(journal);
        ASSERT_EQ(journal->steps.size(), 1u);
        EXPECT_EQ(journal->steps[0].failedErrno, ECANCELED);
        EXPECT_EQ(undoIn(d.path(), *journal).steps.size(), 0u);
    }
}

TEST(StoppedUndo, StopsBeforeItsNextEntryAndIsTakenUpAgainForTheRest)
{
    ScratchDir d, state;
    lay(d);
    const auto before = snapshot(d.path());
    const auto [ran, journal] = runJournalled(
        requestFor({.folder = d.path(), .entries = kEntries, .lines = kLines, .deleteOld = true}), state / "run.journal");
    ASSERT_TRUE(journal);
    std::atomic<bool> stop = false;
    renaming::UndoWatch watch;
    watch.stop = &stop;
    int steps = 0;
    watch.onStep = [&](const renaming::UndoStep&) { stop = ++steps == 2; };
    const auto first = undoIn(d.path(), *journal, watch);
    EXPECT_EQ(first.restored, 2);
    EXPECT_EQ(first.notDone, 4);
    // The last two entries have their old names back, the rest not yet.
    EXPECT_EQ(d.names(), (std::vector<std::string>{"f5.txt", "f6.txt", "g1.txt", "g2.txt", "g3.txt", "g4.txt"}));
    const auto rest = undoIn(d.path(), *journal);
    EXPECT_EQ(rest.restored, 4);
    EXPECT_EQ(rest.leftAlone, 0);
    EXPECT_EQ(snapshot(d.path()), before);
}

}  // namespace
