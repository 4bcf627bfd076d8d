// The journal a run writes, read back: every operation with the file as it
// was and the file the run left, so that undo from it puts the folder back;
// and the sizing of what a copying run has left to copy.
#include "platform/folder.h"
#include "platform/nameinfo.h"
#include "rename/folderondisk.h"
#include "rename/journal.h"
#include "rename/journalstore.h"
#include "rename/journalwriter.h"
#include "rename/renamerun.h"
#include "rename/undo.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

using namespace testing_support;
using platform::FileId;
using renaming::JournalOp;
using renaming::RunCounts;

namespace {

FileId stampAt(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {static_cast<uint64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<uint64_t>(st.st_ino)};
}

renaming::RunRequest request(const ScratchDir& d, std::vector<std::string> entries,
                             std::vector<std::string> lines, bool deleteOld)
{
    return requestFor({.folder = d.path(), .entries = std::move(entries), .lines = std::move(lines),
                       .deleteOld = deleteOld});
}

class RunJournal : public ::testing::TestWithParam<bool> {};

// Moves (box ticked) or copies (unticked), and a name that is taken: the
// journal has an intent and a done for each operation, with the old file's
// identity as it was before the run and the new file's as the run left it,
// and the refusal of the taken name; undo from it brings the folder back.
TEST_P(RunJournal, NamesEachFileAsItWasAndAsTheRunLeftIt)
{
    const bool deleteOld = GetParam();
    ScratchDir d, state;
    d.write("a.txt", "A");
    d.write("b.txt", "BB");
    d.write("c.txt", "CCC");
    d.write("taken.txt", "T");
    const auto before = snapshot(d.path());
    std::map<std::string, FileId> was;
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        was[n] = stampAt(d / n);

    const std::string path = state / "run.journal";
    renaming::JournalWriter journal(
        platform::UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600)), path);
    auto rq = request(d, {"a.txt", "b.txt", "c.txt", "taken.txt"}, {"x", "y", "z", "taken"}, deleteOld);
    rq.journal = &journal;
    const RunCounts c = renaming::runRename(rq);
    EXPECT_EQ(c, (RunCounts{3, 1, 0, 0}));
    EXPECT_TRUE(journal.anyDone());
    EXPECT_FALSE(journal.broken());

    const auto j = renaming::parseJournal(state.read("run.journal"));
    ASSERT_TRUE(j);
    EXPECT_TRUE(j->ended);
    EXPECT_EQ(j->deleteOld, deleteOld);
    EXPECT_EQ(j->entries, 4);
    const JournalOp op = deleteOld ? JournalOp::move : JournalOp::copy;
    const std::vector<std::pair<std::string, std::string>> want = {
        {"a.txt", "x.txt"}, {"b.txt", "y.txt"}, {"c.txt", "z.txt"}};
    ASSERT_EQ(j->steps.size(), want.size() + 1);
    const auto& refused = j->steps.back();
    EXPECT_EQ(refused.entry, 3);
    EXPECT_EQ(refused.op, op);
    EXPECT_EQ(refused.to, "taken.txt");
    EXPECT_EQ(refused.failedErrno, EEXIST);
    EXPECT_FALSE(refused.after);
    for (size_t i = 0; i < want.size(); ++i) {
        const auto& s = j->steps[i];
        const auto& [from, to] = want[i];
        EXPECT_EQ(s.entry, static_cast<int>(i));
        EXPECT_EQ(s.op, op) << from;
        EXPECT_EQ(s.from, from);
        EXPECT_EQ(s.to, to);
        EXPECT_EQ(s.failedErrno, 0) << from;
        EXPECT_EQ(s.before, was[from]) << from;
        ASSERT_TRUE(s.after) << from;
        // What is under the new name now is what the journal says the run
        // left there: the same file when moved, a new one of the same size
        // and time when copied.
        EXPECT_EQ(*s.after, stampAt(d / to)) << from;
        if (op == JournalOp::move)
            EXPECT_EQ(s.after->inode, s.before.inode) << from;
        else
            EXPECT_NE(s.after->inode, s.before.inode) << from;
    }

    renaming::UndoOnDisk disk(rq.folder.fd());
    const renaming::UndoReport r = renaming::undoRun(*j, disk);
    EXPECT_EQ(r.restored, 3);
    EXPECT_EQ(r.leftAlone, 0);
    EXPECT_EQ(snapshot(d.path()), before);
}

INSTANTIATE_TEST_SUITE_P(BoxTickedOrNot, RunJournal, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Ticked" : "Unticked"; });

// A run that did nothing has a whole journal with nothing to take back.
TEST(RunJournalNothingDone, HasNoDoneRecord)
{
    ScratchDir d, state;
    d.write("a.txt", "A");
    d.write("b.txt", "B");
    const std::string path = state / "run.journal";
    renaming::JournalWriter journal(
        platform::UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600)), path);
    auto rq = request(d, {"a.txt"}, {"b"}, true);  // the new name is taken
    rq.journal = &journal;
    EXPECT_EQ(renaming::runRename(rq), (RunCounts{0, 1, 0, 0}));
    EXPECT_FALSE(journal.anyDone());
    const auto j = renaming::parseJournal(state.read("run.journal"));
    ASSERT_TRUE(j);
    EXPECT_TRUE(j->ended);
    ASSERT_EQ(j->steps.size(), 1u);
    EXPECT_EQ(j->steps[0].failedErrno, EEXIST);
    EXPECT_FALSE(renaming::journals::undoable(*j));
}

// Sizing what a run has left to copy, from any entry on: the files the
// plan copies (the read-only one under a ticked box too), never one whose
// new name is taken or that has no line.
TEST(BytesToCopy, CountsWhatThePlanCopiesFromTheEntryOn)
{
    ScratchDir d;
    d.write("a", std::string(1, 'a'));
    d.write("b", std::string(10, 'b'));
    d.write("c", std::string(100, 'c'));
    d.write("d", std::string(1000, 'd'));
    d.write("e", std::string(10000, 'e'));
    d.write("taken", "t");
    const std::vector<std::string> entries = {"a", "b", "c", "d", "e"};
    // "c" would get a taken name; "e" has no line.
    const std::vector<std::string> lines = {"a2", "b2", "taken", "d2"};
    const auto copying = request(d, entries, lines, false);
    EXPECT_EQ(renaming::bytesToCopy(copying), 1u + 10 + 1000);
    EXPECT_EQ(renaming::bytesToCopy(copying, 1), 10u + 1000);
    EXPECT_EQ(renaming::bytesToCopy(copying, 3), 1000u);
    EXPECT_EQ(renaming::bytesToCopy(copying, 4), 0u);
    EXPECT_EQ(renaming::bytesToCopy(copying, 5), 0u);
    EXPECT_EQ(renaming::bytesToCopy(copying, 99), 0u);

    ::chmod(d.file("b").c_str(), 0444);
    const auto moving = request(d, entries, lines, true);
    EXPECT_EQ(renaming::bytesToCopy(moving), 10u);
    EXPECT_EQ(renaming::bytesToCopy(moving, 2), 0u);
    // Where every move is made by a copy, the moves are copies too.
    EXPECT_EQ(renaming::bytesToCopy(moving, 0, true), 1u + 10 + 1000);
    EXPECT_EQ(renaming::bytesToCopy(moving, 2, true), 1000u);
    // Sizing looks and changes nothing.
    EXPECT_EQ(d.names(), (std::vector<std::string>{"a", "b", "c", "d", "e", "taken"}));
}

}  // namespace
