// Undo of a run from its journal, on a folder the test keeps in memory:
// what comes back, what is left alone and why, and that nothing is ever
// overwritten or deleted that the run did not make as it is.
#include "rename/undo.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

namespace {

using namespace renaming;
using platform::FileId;

class MemoryFolder : public UndoFolder {
public:
    std::map<std::string, FileId> files;
    std::optional<FileId> stamp(const std::string& n) const override
    {
        const auto it = files.find(n);
        return it == files.end() ? std::nullopt : std::optional<FileId>(it->second);
    }
    bool taken(const std::string& n) const override { return files.count(n) > 0; }
    bool plainFile(const std::string& n) const override { return taken(n); }
    platform::Status moveNoReplace(const std::string& from, const std::string& to) override
    {
        if (files.count(to))
            return platform::Status::failure(EEXIST);
        const auto it = files.find(from);
        if (it == files.end())
            return platform::Status::failure(ENOENT);
        files[to] = it->second;
        files.erase(it);
        return {};
    }
    platform::Status remove(const std::string& n) override
    {
        return files.erase(n) ? platform::Status() : platform::Status::failure(ENOENT);
    }
    // A copy keeps its original's size and time; the test's files have no
    // bytes but those.
    bool sameBytes(const std::string& a, const std::string& b) const override
    {
        const auto x = stamp(a), y = stamp(b);
        return x && y && x->size == y->size && x->mtimeNs == y->mtimeNs;
    }
};

// A journal built step by step as a run would write it.
struct Written {
    Journal j = [] {
        Journal j;
        j.entries = 100;
        return j;
    }();
    JournalStep& intent(int entry, JournalOp op, std::string from, std::string to, FileId before)
    {
        j.steps.push_back({entry, op, std::move(from), std::move(to), before, std::nullopt, 0});
        return j.steps.back();
    }
};

const FileId A{10, 100, 1}, B{20, 200, 2}, C{30, 300, 3};

TEST(Undo, TakesAChainOfMovesBackInReverseOrder)
{
    // a -> c, then b -> a (the name a freed): only the reverse order works.
    MemoryFolder f;
    f.files = {{"c", A}, {"a", B}};
    Written r;
    r.intent(0, JournalOp::move, "a", "c", A).after = A;
    r.intent(1, JournalOp::move, "b", "a", B).after = B;
    const UndoReport rep = undoRun(r.j, f);
    EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}, {"b", B}}));
    EXPECT_EQ(rep.restored, 2);
    EXPECT_EQ(rep.leftAlone, 0);
    ASSERT_EQ(rep.steps.size(), 2u);
    EXPECT_EQ(rep.steps[0].entry, 1);
    EXPECT_EQ(rep.steps[0].result, UndoResult::movedBack);
}

TEST(Undo, RemovesOnlyACopyThatIsStillExactlyTheRunsAndWhoseOriginalIsThere)
{
    struct Case {
        const char* name;
        std::map<std::string, FileId> now;
        UndoResult want;
        std::map<std::string, FileId> after;
    };
    const FileId copy{10, 100, 7};
    const FileId edited{11, 555, 7};
    const Case cases[] = {
        {"untouched", {{"a", A}, {"x", copy}}, UndoResult::copyRemoved, {{"a", A}}},
        {"edited after the run", {{"a", A}, {"x", edited}}, UndoResult::leftChanged,
         {{"a", A}, {"x", edited}}},
        {"replaced by another file", {{"a", A}, {"x", C}}, UndoResult::leftChanged,
         {{"a", A}, {"x", C}}},
        {"original gone", {{"x", copy}}, UndoResult::leftOriginalGone, {{"x", copy}}},
        // Removed by the user and made anew: the file system gave the new
        // file the freed inode number.
        {"original replaced under its inode number", {{"a", {5, 555, 1}}, {"x", copy}},
         UndoResult::leftOriginalChanged, {{"a", {5, 555, 1}}, {"x", copy}}},
    };
    for (const Case& c : cases) {
        MemoryFolder f;
        f.files = c.now;
        Written r;
        r.intent(0, JournalOp::copy, "a", "x", A).after = copy;
        const UndoReport rep = undoRun(r.j, f);
        ASSERT_EQ(rep.steps.size(), 1u) << c.name;
        EXPECT_EQ(rep.steps[0].result, c.want) << c.name;
        EXPECT_EQ(f.files, c.after) << c.name;
        EXPECT_EQ(rep.restored + rep.leftAlone, 1) << c.name;
    }
    // The copy gone and its original there: the entry is as before the run
    // (an undo taken a second time), with nothing to do or to report.
    MemoryFolder f;
    f.files = {{"a", A}};
    Written r;
    r.intent(0, JournalOp::copy, "a", "x", A).after = copy;
    EXPECT_TRUE(undoRun(r.j, f).steps.empty());
    EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}}));
}

TEST(Undo, NeverMovesOntoANameTakenMeanwhile)
{
    MemoryFolder f;
    f.files = {{"x", A}, {"a", C}};  // someone made a new "a" after the run
    Written r;
    r.intent(0, JournalOp::move, "a", "x", A).after = A;
    const UndoReport rep = undoRun(r.j, f);
    ASSERT_EQ(rep.steps.size(), 1u);
    EXPECT_EQ(rep.steps[0].result, UndoResult::leftNameTaken);
    EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"x", A}, {"a", C}}));
}

TEST(Undo, AfterAKillFindsOutWhatTookEffect)
{
    // The run was killed after writing each intent: what the folder shows
    // decides what undo does.
    {
        MemoryFolder f;  // killed before the rename
        f.files = {{"a", A}};
        Written r;
        r.intent(0, JournalOp::move, "a", "x", A);
        EXPECT_TRUE(undoRun(r.j, f).steps.empty());
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}}));
    }
    {
        MemoryFolder f;  // killed after the rename
        f.files = {{"x", A}};
        Written r;
        r.intent(0, JournalOp::move, "a", "x", A);
        EXPECT_EQ(undoRun(r.j, f).restored, 1);
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}}));
    }
    {
        // Killed between the link and the removal of a rename made by the
        // two (no rename that never replaces): both names hold the file.
        MemoryFolder f;
        f.files = {{"a", A}, {"x", A}};
        Written r;
        r.intent(0, JournalOp::move, "a", "x", A);
        EXPECT_EQ(undoRun(r.j, f).restored, 1);
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}}));
    }
    {
        MemoryFolder f;  // killed after the copy got its name
        f.files = {{"a", A}, {"x", FileId{A.size, A.mtimeNs, 9}}};
        Written r;
        r.intent(0, JournalOp::copy, "a", "x", A);
        EXPECT_EQ(undoRun(r.j, f).restored, 1);
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}}));
    }
    {
        MemoryFolder f;  // killed before the copy got its name
        f.files = {{"a", A}};
        Written r;
        r.intent(0, JournalOp::copy, "a", "x", A);
        EXPECT_TRUE(undoRun(r.j, f).steps.empty());
    }
    {
        MemoryFolder f;  // killed after the original's deletion
        const FileId copy{A.size, A.mtimeNs, 9};
        f.files = {{"x", copy}};
        Written r;
        r.intent(0, JournalOp::copy, "a", "x", A).after = copy;
        r.intent(0, JournalOp::remove, "a", "", A);
        EXPECT_EQ(undoRun(r.j, f).restored, 1);
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", copy}}));
    }
}

TEST(Undo, ACopyWhoseOriginalWasDeletedGoesBackEvenWhenEdited)
{
    // Its content is the only one left: moved back, never removed.
    MemoryFolder f;
    const FileId copy{A.size, A.mtimeNs, 9}, edited{99, 999, 9};
    f.files = {{"x", edited}};
    Written r;
    r.intent(0, JournalOp::copy, "a", "x", A).after = copy;
    r.intent(0, JournalOp::remove, "a", "", A).after = FileId{};
    const UndoReport rep = undoRun(r.j, f);
    EXPECT_EQ(rep.restored, 1);
    EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", edited}}));
}

TEST(Undo, ACopyWhoseOriginalWasDeletedIsNeverRemovedForANewFileUnderTheOldName)
{
    // The run copied and deleted; a new "a" has the original's inode number
    // and even its size and time. The journal saw the deletion done, so the
    // copy is all that is left of the original.
    MemoryFolder f;
    const FileId copy{A.size, A.mtimeNs, 9};
    f.files = {{"x", copy}, {"a", A}};
    Written r;
    r.intent(0, JournalOp::copy, "a", "x", A).after = copy;
    r.intent(0, JournalOp::remove, "a", "", A).after = FileId{};
    const UndoReport rep = undoRun(r.j, f);
    ASSERT_EQ(rep.steps.size(), 1u);
    EXPECT_EQ(rep.steps[0].result, UndoResult::leftNameTaken);
    EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"x", copy}, {"a", A}}));
}

// The run could not look at a file (the disk refused that one call) and
// wrote its stamp as zeros: the other record of the operation tells the
// file.
TEST(Undo, AStampTheRunCouldNotTakeIsToldByTheOtherRecord)
{
    const FileId unknown{};
    {
        MemoryFolder f;  // a move, its file known by what the move left
        f.files = {{"x", A}};
        Written r;
        r.intent(0, JournalOp::move, "a", "x", unknown).after = A;
        EXPECT_EQ(undoRun(r.j, f).restored, 1);
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}}));
    }
    {
        MemoryFolder f;  // a copy, its original known by the copy's size and time
        const FileId copy{A.size, A.mtimeNs, 9};
        f.files = {{"a", A}, {"x", copy}};
        Written r;
        r.intent(0, JournalOp::copy, "a", "x", unknown).after = copy;
        EXPECT_EQ(undoRun(r.j, f).restored, 1);
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}}));
    }
    {
        MemoryFolder f;  // a copy whose own stamp is unknown
        const FileId copy{A.size, A.mtimeNs, 9};
        f.files = {{"a", A}, {"x", copy}};
        Written r;
        r.intent(0, JournalOp::copy, "a", "x", A).after = unknown;
        EXPECT_EQ(undoRun(r.j, f).restored, 1);
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}}));
    }
    {
        MemoryFolder f;  // nothing tells the file: left alone
        f.files = {{"x", A}};
        Written r;
        r.intent(0, JournalOp::move, "a", "x", unknown);
        const UndoReport rep = undoRun(r.j, f);
        EXPECT_EQ(rep.restored, 0);
        EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"x", A}}));
    }
}

TEST(Undo, FailedStepsNeedNothing)
{
    MemoryFolder f;
    f.files = {{"a", A}, {"b", B}, {"y", FileId{B.size, B.mtimeNs, 8}}};
    Written r;
    r.intent(0, JournalOp::move, "a", "x", A).failedErrno = EEXIST;
    r.intent(1, JournalOp::copy, "b", "y", B).after = FileId{B.size, B.mtimeNs, 8};
    r.intent(1, JournalOp::remove, "b", "", B).failedErrno = EACCES;
    const UndoReport rep = undoRun(r.j, f);
    ASSERT_EQ(rep.steps.size(), 1u);
    EXPECT_EQ(rep.steps[0].result, UndoResult::copyRemoved);
    EXPECT_EQ(f.files, (std::map<std::string, FileId>{{"a", A}, {"b", B}}));
}

}  // namespace
