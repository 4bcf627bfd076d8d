// Undo of a real run on real files, after the user changed the folder
// meanwhile: a copy edited or touched after the run is not removed, a file
// is never moved back onto a name someone took since, the folder is then
// exactly as the user left it, and the report says why each was left.
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "rename/folderondisk.h"
#include "rename/renamerun.h"
#include "rename/undo.h"
#include "support/faultsys.h"
#include "support/journalled.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <ostream>

using namespace testing_support;
using namespace renaming;

namespace {

struct Undone {
    UndoReport report;
    std::map<std::string, UndoResult> byNewName;
};

// Runs `entries` -> `lines` in `d` with a journal in `state`.
Journal journalledRun(const ScratchDir& d, const ScratchDir& state,
                      const std::vector<std::string>& entries, const std::vector<std::string>& lines,
                      bool deleteOld)
{
    const std::string path = state / "run.journal";
    ::unlink(path.c_str());
    const auto [ran, j] =
        runJournalled(requestFor({.folder = d.path(), .entries = entries, .lines = lines, .deleteOld = deleteOld}), path);
    EXPECT_TRUE(j && j->ended);
    return j ? *j : Journal{};
}

Undone undo(const ScratchDir& d, const Journal& j)
{
    const auto folder = platform::FolderHandle::open(d.path()).value();
    UndoOnDisk disk(folder.fd());
    Undone u;
    u.report = undoRun(j, disk);
    for (const UndoStep& s : u.report.steps)
        u.byNewName[s.newName] = s.result;
    return u;
}

void setMtime(const std::string& path, time_t sec)
{
    const struct timespec t[2] = {{sec, 0}, {sec, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), t, 0), 0);
}

TEST(UndoOnDisk, ACopyChangedAfterTheRunIsLeftAndTheRestIsTakenBack)
{
    ScratchDir d, state;
    d.write("a.txt", "photo a");
    d.write("b.txt", "photo b");
    d.write("c.txt", "photo c");
    d.write("d.txt", "photo d");
    const Journal j = journalledRun(d, state, {"a.txt", "b.txt", "c.txt", "d.txt"},
                                    {"x", "y", "z", "w"}, /*deleteOld=*/false);
    // x: edited, so its size and time are new; y: only touched; z: removed
    // and made again with other bytes of the same size (which on many file
    // systems takes the freed inode number); w: left as the run made it.
    d.write("x.txt", "photo a, edited by hand");
    setMtime(d / "y.txt", 1000000000);
    ::unlink((d / "z.txt").c_str());
    d.write("z.txt", "PHOTO C");
    setMtime(d / "z.txt", 1100000000);
    const HeldFolder left = held(d);

    const Undone u = undo(d, j);
    EXPECT_EQ(u.byNewName.at("x.txt"), UndoResult::leftChanged);
    EXPECT_EQ(u.byNewName.at("y.txt"), UndoResult::leftChanged);
    EXPECT_EQ(u.byNewName.at("z.txt"), UndoResult::leftChanged);
    EXPECT_EQ(u.byNewName.at("w.txt"), UndoResult::copyRemoved);
    EXPECT_EQ(u.report.restored, 1);
    EXPECT_EQ(u.report.leftAlone, 3);
    // The folder as the user left it, but for the one copy taken back.
    HeldFolder want = left;
    want.erase("w.txt");
    EXPECT_EQ(held(d), want);
}

TEST(UndoOnDisk, NeverMovesAFileBackOntoANameTakenSince)
{
    ScratchDir d, state;
    d.write("a.txt", "photo a");
    d.write("b.txt", "photo b");
    const Journal j =
        journalledRun(d, state, {"a.txt", "b.txt"}, {"x", "y"}, /*deleteOld=*/true);
    ASSERT_EQ(d.names(), (std::vector<std::string>{"x.txt", "y.txt"}));
    d.write("a.txt", "a new file the user made");
    const HeldFolder left = held(d);

    const Undone u = undo(d, j);
    EXPECT_EQ(u.byNewName.at("x.txt"), UndoResult::leftNameTaken);
    EXPECT_EQ(u.byNewName.at("y.txt"), UndoResult::movedBack);
    EXPECT_EQ(u.report.restored, 1);
    EXPECT_EQ(u.report.leftAlone, 1);
    HeldFolder want = left;
    want["b.txt"] = want.at("y.txt");
    want.erase("y.txt");
    EXPECT_EQ(held(d), want);
    EXPECT_EQ(d.read("a.txt"), "a new file the user made");
    EXPECT_EQ(d.read("x.txt"), "photo a");
}

// A link the user made since, from the old name to the new one or in the
// copy's place, is not the file: the file behind it stays.
TEST(UndoOnDisk, ALinkMadeSinceToTheRunsFileLeavesTheFileWhereItIs)
{
    ScratchDir d, state;
    d.write("a.jpg", "photo a");
    d.write("b.jpg", "photo b");
    d.write("c.jpg", "photo c");
    const Journal moved = journalledRun(d, state, {"a.jpg"}, {"x"}, /*deleteOld=*/true);
    ASSERT_EQ(::symlink("x.jpg", (d / "a.jpg").c_str()), 0);  // old links keep working
    const Journal copied = journalledRun(d, state, {"b.jpg", "c.jpg"}, {"y", "z"}, /*deleteOld=*/false);
    // y: the copy moved aside by hand and a link put in its place.
    ASSERT_EQ(::rename((d / "y.jpg").c_str(), (d / "kept.jpg").c_str()), 0);
    ASSERT_EQ(::symlink("kept.jpg", (d / "y.jpg").c_str()), 0);
    const auto before = snapshot(d.path());

    const Undone u = undo(d, copied);
    EXPECT_EQ(u.byNewName.at("y.jpg"), UndoResult::leftChanged);
    EXPECT_EQ(u.byNewName.at("z.jpg"), UndoResult::copyRemoved);
    const Undone v = undo(d, moved);
    EXPECT_EQ(v.byNewName.at("x.jpg"), UndoResult::leftNameTaken);
    auto want = before;
    want.erase("z.jpg");
    EXPECT_EQ(snapshot(d.path()), want);
    EXPECT_EQ(d.read("x.jpg"), "photo a");
    EXPECT_EQ(d.read("kept.jpg"), "photo b");
}

// A name taken by a folder or a dangling link is taken too.
TEST(UndoOnDisk, AFolderOrALinkInTheOldNameIsNotReplaced)
{
    ScratchDir d, state;
    d.write("a.txt", "photo a");
    d.write("b.txt", "photo b");
    const Journal j =
        journalledRun(d, state, {"a.txt", "b.txt"}, {"x", "y"}, /*deleteOld=*/true);
    d.mkdir("a.txt");
    d.write("a.txt/inside", "kept");
    ASSERT_EQ(::symlink("nowhere", (d / "b.txt").c_str()), 0);
    const auto before = snapshot(d.path());

    const Undone u = undo(d, j);
    EXPECT_EQ(u.byNewName.at("x.txt"), UndoResult::leftNameTaken);
    EXPECT_EQ(u.byNewName.at("y.txt"), UndoResult::leftNameTaken);
    EXPECT_EQ(u.report.restored, 0);
    EXPECT_EQ(snapshot(d.path()), before);
    EXPECT_EQ(d.read("a.txt/inside"), "kept");
}

// The run copies a read-only file and leaves it; its copy keeps the
// original's mode. Undo made that copy's removal its own business: the
// copy goes even though it has no write bit, and the original stays.
TEST(UndoOnDisk, TakesBackTheCopyOfAReadOnlyFile)
{
    for (bool deleteOld : {false, true}) {
        SCOPED_TRACE(deleteOld ? "box ticked" : "box unticked");
        ScratchDir d, state;
        d.write("a.txt", "photo a");
        ::chmod((d / "a.txt").c_str(), 0444);
        const HeldFolder before = held(d);
        const Journal j = journalledRun(d, state, {"a.txt"}, {"x"}, deleteOld);
        ASSERT_EQ(d.names(), (std::vector<std::string>{"a.txt", "x.txt"}));
        ASSERT_EQ(modeOf(d / "x.txt") & 0777, 0444u);

        const Undone u = undo(d, j);
        EXPECT_EQ(u.byNewName.at("x.txt"), UndoResult::copyRemoved);
        EXPECT_EQ(held(d), before);
    }
}

// Where the file system cannot rename without replacing (FUSE vfat,
// exFAT), the run copies and deletes, and undo moves back the same way:
// the old names come back with their bytes, and a name taken since is
// still never replaced.
TEST(UndoOnDisk, OnAFuseFileSystemMovesBackByCopies)
{
    ScratchDir d, state;
    const std::string big(300000, 'b');
    d.write("a.txt", "photo a");
    d.write("b.txt", big);
    d.write("c.txt", "photo c");
    FaultSys fuse;
    fuseFileSystem(fuse);
    platform::ScopedSys use(fuse);
    const Journal j = journalledRun(d, state, {"a.txt", "b.txt", "c.txt"}, {"x", "y", "z"},
                                    /*deleteOld=*/true);
    ASSERT_EQ(d.names(), (std::vector<std::string>{"x.txt", "y.txt", "z.txt"}));
    // A new file under an old name, which the file system may give the
    // removed original's inode number: the copy is all that is left of the
    // original, and stays.
    d.write("c.txt", "taken");

    const Undone u = undo(d, j);
    EXPECT_EQ(u.byNewName.at("x.txt"), UndoResult::movedBack);
    EXPECT_EQ(u.byNewName.at("y.txt"), UndoResult::movedBack);
    EXPECT_EQ(u.byNewName.at("z.txt"), UndoResult::leftNameTaken);
    EXPECT_EQ(d.names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "z.txt"}));
    EXPECT_EQ(d.read("a.txt"), "photo a");
    EXPECT_TRUE(d.read("b.txt") == big);
    EXPECT_EQ(d.read("c.txt"), "taken");
    EXPECT_EQ(d.read("z.txt"), "photo c");
}

// The same on the usual file system: the run copies when the box is
// unticked; the user then removes an original, keeping its copy, and makes
// another file under its name. Undo keeps the copy.
TEST(UndoOnDisk, KeepsACopyWhoseOriginalWasReplacedByANewFile)
{
    ScratchDir d, state;
    d.write("a.txt", "photo a");
    const Journal j = journalledRun(d, state, {"a.txt"}, {"x"}, /*deleteOld=*/false);
    ::unlink((d / "a.txt").c_str());
    d.write("a.txt", "new a");  // most likely under the freed inode number
    setMtime(d / "a.txt", 1200000000);
    const HeldFolder left = held(d);

    const Undone u = undo(d, j);
    EXPECT_EQ(u.byNewName.at("x.txt"), UndoResult::leftOriginalChanged);
    EXPECT_EQ(held(d), left);
}

// A new file under the old name may carry the original's whole stamp: the
// freed inode number given again, the same size, and a time kept only to the
// clock's tick (a chain the journal broke before: the run made it there by
// a copy, which keeps its source's time). Only its bytes tell it from the
// original, and the copy, then the only place of the original's bytes, stays.
TEST(UndoOnDisk, NeverRemovesACopyWhileTheOldNameHoldsOtherBytes)
{
    ScratchDir d, state;
    d.write("a.txt", "photo a");
    Journal j = journalledRun(d, state, {"a.txt"}, {"x"}, /*deleteOld=*/false);
    ASSERT_EQ(j.steps.size(), 1u);
    ::unlink((d / "a.txt").c_str());
    d.write("a.txt", "PHOTO A");
    // Whether or not this file system gave the number again, the journal
    // is told it did.
    const auto folder = platform::FolderHandle::open(d.path()).value();
    const auto now = stampOf(folder.fd(), "a.txt");
    ASSERT_TRUE(now);
    const struct timespec t[2] = {{0, UTIME_OMIT},
                                  {static_cast<time_t>(j.steps[0].before.mtimeNs / 1000000000),
                                   static_cast<long>(j.steps[0].before.mtimeNs % 1000000000)}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (d / "a.txt").c_str(), t, 0), 0);
    j.steps[0].before = *stampOf(folder.fd(), "a.txt");
    const HeldFolder left = held(d);

    const Undone u = undo(d, j);
    EXPECT_EQ(u.byNewName.at("x.txt"), UndoResult::leftOriginalChanged);
    EXPECT_EQ(held(d), left);
    EXPECT_EQ(d.read("x.txt"), "photo a");
}

// A run killed in the middle of a copy that the file system made under the
// new name itself (a FUSE stick) left the start of the copy there, the
// journal saying only that the copy was about to be made. That start is
// the run's own and goes; a file that is not a start of the original stays,
// without a word: the run may have found the name taken.
struct LeftUnderTheNewName {
    const char* name;
    std::string bytes;
    UndoResult want;
};

void PrintTo(const LeftUnderTheNewName& l, std::ostream* os) { *os << l.name; }

class UndoOfACopyCutShort : public ::testing::TestWithParam<LeftUnderTheNewName> {};

const std::string kOriginal = [] {
    std::string s;
    while (s.size() < 300000)
        s += "photo " + std::to_string(s.size()) + "\n";
    return s;
}();

TEST_P(UndoOfACopyCutShort, RemovesOnlyTheStartOfTheCopy)
{
    const LeftUnderTheNewName& c = GetParam();
    ScratchDir d, state;
    d.write("a.jpg", kOriginal);
    const auto folder = platform::FolderHandle::open(d.path()).value();
    {
        JournalWriter j = journalAt(state / "run.journal");
        j.begin({folder.path(), folder.id().device, folder.id().inode}, 1765250000, 1, false);
        j.intent(0, JournalOp::copy, "a.jpg", "x.jpg", *stampOf(folder.fd(), "a.jpg"));
    }
    d.write("x.jpg", c.bytes);
    const auto j = readJournal(state / "run.journal");
    ASSERT_TRUE(j);

    const Undone u = undo(d, *j);
    EXPECT_EQ(u.byNewName.count("x.jpg") ? u.byNewName.at("x.jpg") : UndoResult::nothingToDo, c.want);
    EXPECT_TRUE(d.read("a.jpg") == kOriginal);
    EXPECT_EQ(d.exists("x.jpg"), c.want != UndoResult::partialCopyRemoved);
}

INSTANTIATE_TEST_SUITE_P(
    , UndoOfACopyCutShort,
    ::testing::Values(
        LeftUnderTheNewName{"HalfWritten", kOriginal.substr(0, 150000), UndoResult::partialCopyRemoved},
        LeftUnderTheNewName{"NothingWrittenYet", "", UndoResult::partialCopyRemoved},
        LeftUnderTheNewName{"OtherBytes", std::string(150000, 'z'), UndoResult::nothingToDo},
        LeftUnderTheNewName{"LongerThanTheOriginal", kOriginal + "more", UndoResult::nothingToDo}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
