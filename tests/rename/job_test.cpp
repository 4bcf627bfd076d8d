// A run and an undo as jobs: on a thread of their own, with the system
// calls and the clock of their request, telling where they are through one
// latest value, and ending with the counts and the journal's fate.
#include "rename/job.h"
#include "rename/journalstore.h"
#include "support/faultsys.h"
#include "support/journalled.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;
using renaming::Job;
using renaming::JobEnd;
using renaming::JournalFate;
using renaming::RunCounts;

namespace {

// A clock that says a second and more has gone by at every look after the
// first: what waits for a second happens at once.
class LateClock : public renaming::Clock {
public:
    std::chrono::steady_clock::time_point now() const override
    {
        const auto t = start_ + std::chrono::seconds(looks_ ? 2 : 0);
        ++looks_;
        return t;
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    mutable int looks_ = 0;
};

JobEnd finish(Job& job)
{
    job.start();
    job.wait();
    EXPECT_TRUE(job.finished());
    return job.end();
}

TEST(RenameJob, MakesItsCallsThroughTheSysOfItsRequest)
{
    ScratchDir d;
    d.write("a.txt", "A");
    // Only the job's thread meets these refusals: the move falls back to a
    // copy, and the old file cannot go.
    FaultSys refusing;
    refusing.onRenameat2 = [](int, const char*, int, const char*, unsigned) { return refuse(EIO); };
    refusing.onUnlinkat = [](int, const char*, int) { return refuse(EACCES); };
    auto rq = jobRequestFor({.folder = d.path(), .entries = {"a.txt"}, .lines = {"b"}, .deleteOld = true});
    rq.sys = &refusing;
    Job job(std::move(rq));
    EXPECT_EQ(finish(job).counts, (RunCounts{0, 0, 0, 1}));
    EXPECT_EQ(d.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_GT(refusing.count(FaultSys::kUnlink), 0);
    EXPECT_NE(&platform::sys(), &refusing);
}

// A copying run sizes what it has left once it has gone on for a second,
// by its own clock, and the progress says so; a shorter one never does.
TEST(RenameJob, SizesACopyingRunThatGoesOnForASecond)
{
    for (const bool late : {true, false}) {
        ScratchDir d;
        d.write("a", std::string(1 << 20, 'a'));
        d.write("b", std::string(2 << 20, 'b'));
        d.write("c", std::string(3 << 20, 'c'));
        LateClock clock;
        auto rq = jobRequestFor({.folder = d.path(), .entries = {"a", "b", "c"}, .lines = {"x", "y", "z"}});
        if (late)
            rq.clock = &clock;
        Job job(std::move(rq));
        EXPECT_EQ(finish(job).counts, (RunCounts{3, 0, 0, 0}));
        const renaming::JobProgress p = job.progress();
        EXPECT_EQ(p.bytesPlanned, late ? uint64_t{6} << 20 : 0) << late;
        EXPECT_EQ(p.bytesFinished + p.bytesCurrent, uint64_t{6} << 20);
        EXPECT_EQ(p.done, 3);
        EXPECT_EQ(p.total, 3);
        EXPECT_EQ(p.steps, 3);
        EXPECT_EQ(p.name, "z");
    }
}

struct FateCase {
    const char* name;
    std::vector<std::string> lines;
    bool stateFolderIsAFile;
    JournalFate fate;
    bool anyDone;
    int unrecordedFrom;
};

void PrintTo(const FateCase& c, std::ostream* os) { *os << c.name; }

class JournalOfAJob : public ::testing::TestWithParam<FateCase> {};

TEST_P(JournalOfAJob, EndsWithItsFate)
{
    const FateCase& c = GetParam();
    ScratchDir d, state;
    d.write("a.txt", "A");
    if (c.stateFolderIsAFile)
        state.write("tsumugi", "no folder");
    auto rq = jobRequestFor({.folder = d.path(), .entries = {"a.txt"}, .lines = c.lines, .deleteOld = true});
    rq.stateFolder = state / "tsumugi";
    Job job(std::move(rq));
    const JobEnd end = finish(job);
    EXPECT_EQ(end.journal, c.fate);
    EXPECT_EQ(end.anyDone, c.anyDone);
    EXPECT_EQ(end.unrecordedFrom, c.unrecordedFrom);
    EXPECT_EQ(end.folder, platform::FolderHandle::open(d.path()).value().id());
}

INSTANTIATE_TEST_SUITE_P(
    Job, JournalOfAJob,
    ::testing::Values(FateCase{"AMoveToTakeBack", {"b"}, false, JournalFate::whole, true, -1},
                      FateCase{"NothingDone", {"a?"}, false, JournalFate::whole, false, -1},
                      FateCase{"NoStateFolder", {"b"}, true, JournalFate::none, false, 0},
                      FateCase{"NoStateFolderAndNothingDone", {"a?"}, true, JournalFate::none, false, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UndoJob, TakesTheRunBackAndMarksItsJournal)
{
    ScratchDir d, state;
    d.write("a.txt", "A");
    d.write("b.txt", "B");
    const auto before = snapshot(d.path());
    auto rq = jobRequestFor({.folder = d.path(), .entries = {"a.txt", "b.txt"}, .lines = {"x", "y"}, .deleteOld = true});
    rq.stateFolder = state.path();
    Job run(std::move(rq));
    EXPECT_EQ(finish(run).counts, (RunCounts{2, 0, 0, 0}));
    const auto journals = state.names();
    ASSERT_EQ(journals.size(), 1u);
    const auto journal = readJournal(state / journals[0]);
    ASSERT_TRUE(journal);

    Job undo(renaming::UndoRequest{platform::FolderHandle::open(d.path()).value(), *journal, state / journals[0]});
    const JobEnd end = finish(undo);
    EXPECT_EQ(end.undo.restored, 2);
    EXPECT_EQ(snapshot(d.path()), before);
    EXPECT_TRUE(readJournal(state / journals[0])->undone);
    EXPECT_EQ(undo.progress().done, 2);
    EXPECT_EQ(undo.progress().steps, 2);
}

// Given only the journal's path, undo reads it on its own thread; a run
// taken back already, or a journal of another folder, is left alone.
TEST(UndoJob, ReadsItsJournalItselfAndTakesNothingBackTwice)
{
    ScratchDir d, elsewhere, state;
    d.write("a.txt", "A");
    auto rq = jobRequestFor({.folder = d.path(), .entries = {"a.txt"}, .lines = {"x"}, .deleteOld = true});
    rq.stateFolder = state.path();
    Job run(std::move(rq));
    const std::string path = finish(run).journalPath;
    const auto undoBy = [&](const std::string& folder) {
        Job undo(renaming::UndoRequest{platform::FolderHandle::open(folder).value(), std::nullopt, path});
        return finish(undo);
    };
    EXPECT_TRUE(undoBy(elsewhere.path()).nothingToUndo);
    EXPECT_EQ(d.names(), std::vector<std::string>{"x.txt"});
    const JobEnd first = undoBy(d.path());
    EXPECT_FALSE(first.nothingToUndo);
    EXPECT_EQ(first.undo.restored, 1);
    EXPECT_EQ(d.names(), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(undoBy(d.path()).nothingToUndo);
}

// The state folder's disk fills up mid-run: the run goes on to its end,
// says from which entry on it could not be recorded, and undo takes back
// what was recorded and says how many it could not.
TEST(RenameJob, AStateDiskThatFillsUpMidRunLeavesAJournalThatSaysSo)
{
    ScratchDir d, state;
    // More intents than the room takes, whether each goes alone or a batch
    // of them in one write.
    constexpr int n = 200;
    std::vector<std::string> entries, lines;
    for (int i = 0; i < n; ++i) {
        entries.push_back("f" + std::to_string(100 + i));
        lines.push_back("g" + std::to_string(100 + i));
        d.write(entries.back(), entries.back());
    }
    const auto before = snapshot(d.path());
    FaultSys disk;
    diskRoomFor(disk, 4096);
    auto rq = jobRequestFor({.folder = d.path(), .entries = entries, .lines = lines, .deleteOld = true});
    rq.stateFolder = state.path();
    rq.sys = &disk;
    Job run(std::move(rq));
    const JobEnd ran = finish(run);
    EXPECT_EQ(ran.counts, (RunCounts{n, 0, 0, 0}));
    EXPECT_EQ(ran.journal, JournalFate::broken);
    const int from = ran.unrecordedFrom;
    ASSERT_GT(from, 0);
    ASSERT_LT(from, n);
    const auto journal = readJournal(ran.journalPath);
    ASSERT_TRUE(journal);
    EXPECT_TRUE(journal->ended) << "not a run cut short";
    EXPECT_EQ(journal->unrecordedFrom, from);
    EXPECT_EQ(journal->unrecordedChanged, n - from);

    Job undo(renaming::UndoRequest{platform::FolderHandle::open(d.path()).value(), *journal, ran.journalPath});
    const JobEnd undone = finish(undo);
    EXPECT_EQ(undone.undo.restored, from);
    EXPECT_EQ(undone.undo.leftAlone, 0);
    EXPECT_EQ(undone.undo.unrecorded, n - from);
    EXPECT_EQ(renaming::undoUnrecordedText(undone.undo.unrecorded),
              "記録がないため " + std::to_string(n - from) + " 件は元に戻せませんでした");
    const auto after = snapshot(d.path());
    EXPECT_EQ(after.size(), before.size());
    for (int i = 0; i < n; ++i)
        EXPECT_TRUE(after.count(i < from ? entries[i] : lines[i])) << i;
}

}  // namespace
