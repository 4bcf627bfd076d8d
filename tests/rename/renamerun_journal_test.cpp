// The journal of a real run, and undo from it, with the disk failing at
// every single call in turn.
//
// A folder of a dozen files and a memo that mixes valid, blank, forbidden
// and taken lines, duplicates, a chain (a name an earlier entry frees) and a
// swap, run with the box ticked and unticked, on the usual file system, on
// one without unnamed files or fast copies, and on one that answers as a
// FUSE vfat or exFAT file system does:
//  - without faults, the journal names exactly the operations the plan
//    said, with the stamps of the files on the disk, and the run counts
//    and reports what it does without a journal;
//  - with the k-th call failing, for every k until a run without fault
//    (the journal's own writes and looks at the files among them), nothing
//    is lost, and undo from what the journal holds then takes back every
//    entry whose operation took effect and was recorded, losing nothing;
//  - with the k-th call of undo failing, undo loses and overwrites nothing,
//    and undo taken again finishes the job.
#include "platform/fileops.h"
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "rename/folderondisk.h"
#include "rename/plan.h"
#include "rename/renamerun.h"
#include "rename/undo.h"
#include "support/faultsys.h"
#include "support/journalled.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

using namespace testing_support;
using namespace renaming;

namespace {

// In list order. "b1.txt" is in the folder but not in the list; "r.txt"
// is read-only.
const std::vector<std::string> kEntries = {"a1.txt", "a2.txt", "a3.txt", "a4.txt",
                                           "a5.txt", "a6.txt", "a7.txt", "a8.txt",
                                           "a9.txt", "r.txt",  "s1.txt", "s2.txt"};
const std::vector<std::string> kLines = {
    "n1",   // valid
    " ",    // blank
    "b1",   // taken by a file outside the list
    "a?x",  // forbidden
    "a6",   // a later entry's name, taken when its turn comes
    "a1",   // the name the first entry frees when the box is ticked: a chain
    "dup",  // valid
    "dup",  // the same name again
    "a9",   // its own name
    "ro",   // a read-only file: copied, never moved
    "s2",   // a swap: each takes the other's name
    "s1",
};

std::string contentOf(const std::string& name)
{
    std::string s = "content of " + name + "\n";
    if (name == "a7.txt")  // larger than a copy's buffer
        while (s.size() < 90000)
            s += std::to_string(s.size() * 31) + ' ';
    return s;
}

void lay(const ScratchDir& d)
{
    for (const std::string& n : kEntries)
        d.write(n, contentOf(n));
    d.write("b1.txt", "outside the list");
    ::chmod((d / "r.txt").c_str(), 0444);
}

enum class FileSystem { usual, plain, fuse };

const char* nameOf(FileSystem f)
{
    return f == FileSystem::usual ? "usual fs" : f == FileSystem::plain ? "plain fs" : "fuse fs";
}

void answerAs(FileSystem f, FaultSys& faults)
{
    if (f == FileSystem::plain)
        plainFileSystem(faults);
    if (f == FileSystem::fuse)
        fuseFileSystem(faults);
}

// Runs the list in `d` under the Sys in force, with `journal` when given.
Ran runIn(const ScratchDir& d, bool deleteOld, JournalWriter* journal)
{
    return runKept({.folder = d.path(), .entries = kEntries, .lines = kLines, .deleteOld = deleteOld, .journal = journal});
}

Plan planIn(const ScratchDir& d, bool deleteOld)
{
    const auto folder = platform::FolderHandle::open(d.path()).value();
    return makePlan(kEntries, kLines, static_cast<int>(kLines.size()),
                    {NameRule::replace, platform::CodePage::utf8, deleteOld},
                    FolderOnDisk(folder.fd()));
}

std::string label(FileSystem f, bool deleteOld)
{
    return std::string(nameOf(f)) + (deleteOld ? ", box ticked" : ", box unticked");
}

TEST(JournalledRun, RecordsExactlyWhatTheRunDidWithTheStampsOfTheFiles)
{
    for (FileSystem fs : {FileSystem::usual, FileSystem::plain, FileSystem::fuse})
        for (bool deleteOld : {false, true}) {
            SCOPED_TRACE(label(fs, deleteOld));
            FaultSys answers;
            answerAs(fs, answers);
            platform::ScopedSys use(answers);
            ScratchDir plain, journalled, state;
            lay(plain);
            lay(journalled);
            const Plan plan = planIn(journalled, deleteOld);
            const HeldFolder before = held(journalled);

            const Ran without = runIn(plain, deleteOld, nullptr);
            JournalWriter w = journalAt(state / "run.journal");
            ASSERT_TRUE(w.valid());
            const Ran with = runIn(journalled, deleteOld, &w);
            EXPECT_FALSE(w.broken());
            EXPECT_EQ(with.counts, without.counts);
            EXPECT_EQ(with.steps, without.steps);
            EXPECT_EQ(with.counts, plan.counts);
            EXPECT_EQ(contents(held(journalled)), contents(held(plain)));
            const HeldFolder after = held(journalled);

            const auto j = readJournal(w.path());
            ASSERT_TRUE(j);
            const auto folder = platform::FolderHandle::open(journalled.path()).value();
            EXPECT_EQ(j->folder.path, journalled.path());
            EXPECT_EQ(j->folder.device, folder.id().device);
            EXPECT_EQ(j->folder.inode, folder.id().inode);
            EXPECT_EQ(j->entries, static_cast<int>(kEntries.size()));
            EXPECT_EQ(j->deleteOld, deleteOld);
            EXPECT_TRUE(j->ended);
            EXPECT_FALSE(j->undone);

            // The operations the plan says, in its order, and no other: a
            // move; or where the file system cannot move without replacing,
            // the refused move, the copy and the deletion; a copy. A name
            // that is taken is found so by the operation itself, which the
            // journal names as refused.
            struct Want {
                int entry;
                JournalOp op;
                bool done;
            };
            std::vector<Want> want;
            for (size_t i = 0; i < plan.entries.size(); ++i) {
                const int e = static_cast<int>(i);
                switch (plan.entries[i].outcome) {
                case Outcome::moved:
                    if (fs == FileSystem::fuse)
                        want.insert(want.end(), {{e, JournalOp::move, false},
                                                 {e, JournalOp::copy, true},
                                                 {e, JournalOp::remove, true}});
                    else
                        want.push_back({e, JournalOp::move, true});
                    break;
                case Outcome::copied:
                    want.push_back({e, JournalOp::copy, true});
                    break;
                case Outcome::oldStays:
                    // The deletion is tried, and a read-only file refuses it.
                    want.push_back({e, JournalOp::copy, true});
                    if (deleteOld)
                        want.push_back({e, JournalOp::remove, false});
                    break;
                case Outcome::taken:
                case Outcome::takenByRun:
                    if (deleteOld && !platform::isReadOnlyMode(before.at(plan.entries[i].oldName).mode)) {
                        want.push_back({e, JournalOp::move, false});
                        if (fs == FileSystem::fuse)
                            want.push_back({e, JournalOp::copy, false});
                    } else {
                        want.push_back({e, JournalOp::copy, false});
                    }
                    break;
                default:
                    break;
                }
            }
            ASSERT_EQ(j->steps.size(), want.size());
            for (size_t k = 0; k < want.size(); ++k) {
                const JournalStep& s = j->steps[k];
                const PlannedEntry& p = plan.entries[static_cast<size_t>(want[k].entry)];
                SCOPED_TRACE("record " + std::to_string(k) + " of " + p.oldName);
                EXPECT_EQ(s.entry, want[k].entry);
                EXPECT_EQ(s.op, want[k].op);
                EXPECT_EQ(s.from, p.oldName);
                EXPECT_EQ(s.to, s.op == JournalOp::remove ? std::string() : p.newName);
                // The old file as it was before the run.
                EXPECT_EQ(s.before, before.at(p.oldName).stamp);
                if (!want[k].done) {
                    EXPECT_FALSE(s.after);
                    EXPECT_NE(s.failedErrno, 0);
                    continue;
                }
                ASSERT_TRUE(s.after);
                EXPECT_EQ(s.failedErrno, 0);
                if (s.op == JournalOp::remove) {
                    EXPECT_EQ(*s.after, platform::FileId{});
                    continue;
                }
                // The file the operation left, as it is on the disk now: the
                // same file for a move, a new one with the old one's size and
                // time for a copy.
                ASSERT_TRUE(after.count(s.to));
                EXPECT_EQ(*s.after, after.at(s.to).stamp);
                EXPECT_EQ(after.at(s.to).content, before.at(s.from).content);
                if (s.op == JournalOp::move) {
                    EXPECT_EQ(*s.after, s.before);
                } else {
                    EXPECT_NE(s.after->inode, s.before.inode);
                    EXPECT_EQ(s.after->size, s.before.size);
                    EXPECT_EQ(s.after->mtimeNs, s.before.mtimeNs);
                }
            }

            // And undo from it puts the folder back as it was.
            const UndoReport rep = undoIn(journalled.path(), *j);
            EXPECT_EQ(rep.leftAlone, 0);
            EXPECT_EQ(rep.restored, plan.counts.success + plan.counts.deleteFailed);
            if (fs == FileSystem::fuse) {
                // Moved back by copies: new inodes, the same bytes and times.
                EXPECT_EQ(contents(held(journalled)), contents(before));
            } else {
                EXPECT_EQ(held(journalled), before);
            }
        }
}

// --- faults ---------------------------------------------------------------

// What each entry's run did, seen from the folder before and after it.
struct Effects {
    std::vector<std::string> newName;  // empty where the line gives none
    std::vector<bool> tookEffect;      // the new name holds the entry's content now
};

Effects effectsOf(const HeldFolder& before, const HeldFolder& after)
{
    Effects e;
    for (size_t i = 0; i < kEntries.size(); ++i) {
        const std::string& line = kLines[i];
        std::string n;
        if (checkFileName(line, platform::CodePage::utf8))
            n = makeNewFileName(kEntries[i], line, NameRule::replace, platform::CodePage::utf8);
        const bool made = !n.empty() && after.count(n) &&
                          after.at(n).content == before.at(kEntries[i]).content &&
                          !(before.count(n) && before.at(n) == after.at(n));
        e.newName.push_back(n);
        e.tookEffect.push_back(made);
    }
    return e;
}

// Every original content under its old name (unchanged) or its new one;
// every name in the folder an old or a new one holding an original's
// bytes; nothing else in the folder.
void expectNothingLost(const HeldFolder& before, const HeldFolder& now, const std::string& where)
{
    SCOPED_TRACE(where);
    std::set<std::string> originals, names;
    for (const auto& [name, f] : before) {
        originals.insert(f.content);
        names.insert(name);
    }
    for (size_t i = 0; i < kEntries.size(); ++i) {
        const std::string& old = kEntries[i];
        const HeldFile& was = before.at(old);
        bool found = now.count(old) && now.at(old).content == was.content;
        if (checkFileName(kLines[i], platform::CodePage::utf8)) {
            const std::string n =
                makeNewFileName(old, kLines[i], NameRule::replace, platform::CodePage::utf8);
            names.insert(n);
            found = found || (!n.empty() && now.count(n) && now.at(n).content == was.content);
        }
        EXPECT_TRUE(found) << "lost: " << old;
    }
    EXPECT_EQ(now.at("b1.txt"), before.at("b1.txt")) << "a file outside the list changed";
    for (const auto& [name, f] : now) {
        EXPECT_TRUE(names.count(name)) << "stray file: " << name;
        EXPECT_TRUE(originals.count(f.content))
            << "not an original's bytes: " << name << " (" << f.content.size() << " bytes)";
    }
}

// The entries whose effect the journal has the intents of: a move where the
// new name holds the old file itself; else a copy, and the deletion where
// the old file is gone. (A move the file system refused and the copy that
// stood in for it, made after the journal broke, leave only the move's
// intent.) With `anyOp`, the entries it has any intent of.
std::set<int> recordedIn(const std::optional<Journal>& j, const HeldFolder& before,
                         const HeldFolder& after, const Effects& eff, bool anyOp = false)
{
    std::set<int> out;
    if (!j)
        return out;
    std::map<int, std::set<JournalOp>> ops;
    for (const JournalStep& s : j->steps)
        ops[s.entry].insert(s.op);
    for (const auto& [e, has] : ops) {
        const size_t i = static_cast<size_t>(e);
        if (i >= kEntries.size() || !eff.tookEffect[i])
            continue;
        const HeldFile& was = before.at(kEntries[i]);
        const bool moved = after.at(eff.newName[i]).stamp.inode == was.stamp.inode;
        const auto old = after.find(kEntries[i]);
        const bool oldStayed = old != after.end() && old->second.stamp.inode == was.stamp.inode &&
                               old->second.content == was.content;
        const bool all = moved ? has.count(JournalOp::move) > 0
                               : has.count(JournalOp::copy) && (oldStayed || has.count(JournalOp::remove));
        if (anyOp || all)
            out.insert(e);
    }
    return out;
}

struct Totals {
    long runs = 0;
    long faults = 0;
    long restored = 0;
    long unrecorded = 0;  // entries that took effect after the journal broke
};

// The run with the k-th call (as `arm` plans it) failing, for every k until
// a run without fault, then undo without faults.
template <class Arm>
void runUnderFaultsThenUndo(FileSystem fs, bool deleteOld, const std::string& what, Arm arm,
                            Totals& t)
{
    for (long k = 1;; ++k) {
        const std::string where = label(fs, deleteOld) + ", " + what + " k=" + std::to_string(k);
        ScratchDir d, state;
        lay(d);
        const HeldFolder before = held(d);
        JournalWriter w = journalAt(state / "run.journal");
        ASSERT_TRUE(w.valid());
        FaultSys faults;
        answerAs(fs, faults);
        arm(faults, k);
        {
            platform::ScopedSys use(faults);
            runIn(d, deleteOld, &w);
        }
        ++t.runs;
        t.faults += faults.faults();
        const std::string fault = where + " " + faults.lastFault();
        const HeldFolder afterRun = held(d);
        expectNothingLost(before, afterRun, fault + ", after the run");
        const Effects eff = effectsOf(before, afterRun);

        // Undo as the next start would: from what the file holds.
        const auto j = readJournal(w.path());
        const std::set<int> recorded = recordedIn(j, before, afterRun, eff);
        FaultSys clean;
        answerAs(fs, clean);
        UndoReport rep;
        if (j) {
            platform::ScopedSys use(clean);
            rep = undoIn(d.path(), *j);
        }
        const HeldFolder afterUndo = held(d);
        expectNothingLost(before, afterUndo, fault + ", after undo");
        // The old names that files the journal does not know of hold now,
        // and the entries whose journal has an intent, but not of what took
        // effect (undo may say it leaves those).
        std::set<std::string> heldByUnrecorded;
        const std::set<int> named = recordedIn(j, before, afterRun, eff, /*anyOp=*/true);
        int partly = 0;
        for (size_t i = 0; i < kEntries.size(); ++i)
            if (eff.tookEffect[i] && !recorded.count(static_cast<int>(i))) {
                heldByUnrecorded.insert(eff.newName[i]);
                partly += named.count(static_cast<int>(i)) ? 1 : 0;
            }
        int wantRestored = 0, wantLeft = 0;
        for (size_t i = 0; i < kEntries.size(); ++i) {
            if (!eff.tookEffect[i])
                continue;
            const std::string& old = kEntries[i];
            if (recorded.count(static_cast<int>(i)) && heldByUnrecorded.count(old)) {
                // A later entry, made after the journal broke, took the old
                // name (a chain): the file is never moved onto it.
                ++wantLeft;
                EXPECT_TRUE(afterUndo.count(eff.newName[i]) &&
                            afterUndo.at(eff.newName[i]).content == before.at(old).content)
                    << fault << ": " << old;
                continue;
            }
            if (!recorded.count(static_cast<int>(i))) {
                // Made after the journal broke: undo does not know of it.
                ++t.unrecorded;
                EXPECT_TRUE(afterUndo.count(eff.newName[i]) &&
                            afterUndo.at(eff.newName[i]).content == before.at(old).content)
                    << fault << ": an entry the journal does not name was changed: " << old;
                continue;
            }
            ++wantRestored;
            EXPECT_TRUE(afterUndo.count(old) && afterUndo.at(old).content == before.at(old).content)
                << fault << ": not back under its old name: " << old;
            const bool newIsAnOldName = before.count(eff.newName[i]) > 0;
            if (!newIsAnOldName) {
                EXPECT_FALSE(afterUndo.count(eff.newName[i]))
                    << fault << ": the new name is still there: " << eff.newName[i];
            }
        }
        EXPECT_EQ(rep.restored, wantRestored) << fault;
        EXPECT_GE(rep.leftAlone, wantLeft) << fault;
        EXPECT_LE(rep.leftAlone, wantLeft + partly) << fault;
        t.restored += rep.restored;
        if (::testing::Test::HasFailure() || faults.faults() == 0)
            return;
    }
}

class JournalledRunUnderFaults : public ::testing::TestWithParam<bool> {};

TEST_P(JournalledRunUnderFaults, NothingIsLostAndUndoTakesBackWhatTheJournalRecorded)
{
    const bool deleteOld = GetParam();
    Totals t;
    for (FileSystem fs : {FileSystem::usual, FileSystem::plain, FileSystem::fuse}) {
        runUnderFaultsThenUndo(fs, deleteOld, "any call EIO",
                               [](FaultSys& f, long k) { f.failNth(k, EIO); }, t);
        if (HasFailure())
            return;
        // The disk full for good from the k-th write on: the journal breaks
        // too, and the run goes on as far as the disk lets it.
        runUnderFaultsThenUndo(fs, deleteOld, "every write from the k-th ENOSPC",
                               [](FaultSys& f, long k) {
                                   f.failNthOf(FaultSys::kWrite, k, ENOSPC, /*sticky=*/true);
                               },
                               t);
        if (HasFailure())
            return;
    }
    std::printf("[ figures  ] %s: %ld runs, %ld faults, %ld entries restored, %ld made after "
                "the journal broke\n",
                deleteOld ? "box ticked" : "box unticked", t.runs, t.faults, t.restored,
                t.unrecorded);
}

// Undo itself with the k-th of its calls failing, after a run without
// faults: it loses and overwrites nothing, and taken again it restores the
// folder.
TEST_P(JournalledRunUnderFaults, UndoUnderFaultsLosesNothingAndCanBeTakenAgain)
{
    const bool deleteOld = GetParam();
    long runs = 0, faulted = 0;
    // (Undo copies only where it cannot rename: the plain file system is
    // the usual one to it.)
    for (FileSystem fs : {FileSystem::usual, FileSystem::fuse})
        for (int err : {EIO, EACCES}) {
            for (long k = 1;; ++k) {
                const std::string where = label(fs, deleteOld) + ", undo's call " +
                                          std::to_string(k) + " " + std::strerror(err);
                ScratchDir d, state;
                lay(d);
                const HeldFolder before = held(d);
                JournalWriter w = journalAt(state / "run.journal");
                FaultSys clean;
                answerAs(fs, clean);
                {
                    platform::ScopedSys use(clean);
                    runIn(d, deleteOld, &w);
                }
                const auto j = readJournal(w.path());
                ASSERT_TRUE(j && j->ended) << where;

                FaultSys faults;
                answerAs(fs, faults);
                faults.failNth(k, err);
                {
                    platform::ScopedSys use(faults);
                    undoIn(d.path(), *j);
                }
                ++runs;
                faulted += faults.faults();
                const std::string fault = where + " " + faults.lastFault();
                expectNothingLost(before, held(d), fault + ", after undo");
                // Whatever undo did it did wholly: taken again, it finds
                // each entry back under its old name or as the run left it,
                // and finishes. (Where undo moved back by copies, the files
                // back under their old names are new ones, and the second
                // undo cannot know them for the run's: it says why it leaves
                // them, and the folder shows it left them well.)
                UndoReport second;
                {
                    platform::ScopedSys use(clean);
                    second = undoIn(d.path(), *j);
                }
                for (const UndoStep& s : second.steps)
                    EXPECT_TRUE(restored(s.result) || fs == FileSystem::fuse)
                        << fault << ": taken again, undo left " << s.newName << " ("
                        << static_cast<int>(s.result) << ")";
                if (fs == FileSystem::fuse)
                    EXPECT_EQ(contents(held(d)), contents(before)) << fault;
                else
                    EXPECT_EQ(held(d), before) << fault;
                if (HasFailure())
                    return;
                if (faults.faults() == 0)
                    break;
            }
        }
    std::printf("[ figures  ] %s: %ld undos, %ld faults\n", deleteOld ? "box ticked" : "box unticked",
                runs, faulted);
}

INSTANTIATE_TEST_SUITE_P(BothBoxStates, JournalledRunUnderFaults, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Delete" : "Keep"; });

}  // namespace
