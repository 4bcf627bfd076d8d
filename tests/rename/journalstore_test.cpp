// Where the journals of runs are kept and how the last run of a folder is
// found again: the state folder the environment names, the journals' names
// in the order of the runs, the last ten kept, a folder matched by its
// identity and its path together, and the undone mark read back even after
// a kill cut the journal's last record short.
#include "rename/journalstore.h"

#include "platform/folder.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/journalled.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <set>

using namespace testing_support;
using namespace renaming;

namespace {

// Sets the variables the state folder comes from for one test, and puts
// them back as they were.
class Environment {
public:
    Environment() : state_(saved("XDG_STATE_HOME")), home_(saved("HOME")) {}
    ~Environment()
    {
        restore("XDG_STATE_HOME", state_);
        restore("HOME", home_);
    }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    static void set(const char* name, const char* value)
    {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }

private:
    static std::optional<std::string> saved(const char* name)
    {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<std::string>& v)
    {
        set(name, v ? v->c_str() : nullptr);
    }

    std::optional<std::string> state_, home_;
};

// Journal names in the state folder, sorted by bytes.
std::vector<std::string> journalsIn(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& [name, content] : snapshot(folder))
        if (name.ends_with(".journal"))
            out.push_back(name);
    return out;
}

std::string baseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// A run's journal for `folder`, made by the store as a run makes it, with
// one move done; the run started at `started` by the clock.
std::string writeRun(const platform::FolderHandle& folder, const std::string& movedTo,
                     int64_t started = 1765250000)
{
    JournalWriter w = journals::create(folder).value();
    EXPECT_TRUE(w.valid());
    w.begin(journals::journalFolderOf(folder), started, 1, true);
    w.intent(0, JournalOp::move, "a.txt", movedTo, {1, 2, 3});
    w.done(0, JournalOp::move, {1, 2, 3});
    w.end();
    journals::prune();
    return w.path();
}

TEST(JournalStore, TheStateFolderComesFromXdgStateHomeOrElseHome)
{
    Environment env;
    Environment::set("HOME", "/home/u");
    Environment::set("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(journals::stateFolder(), "/var/state/tsumugi");
    // A relative value is not a place anyone meant: the default is used.
    Environment::set("XDG_STATE_HOME", "state");
    EXPECT_EQ(journals::stateFolder(), "/home/u/.local/state/tsumugi");
    Environment::set("XDG_STATE_HOME", "");
    EXPECT_EQ(journals::stateFolder(), "/home/u/.local/state/tsumugi");
    Environment::set("XDG_STATE_HOME", nullptr);
    EXPECT_EQ(journals::stateFolder(), "/home/u/.local/state/tsumugi");
    // No usable HOME: the account's own home folder, as for the settings.
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_TRUE(pw && pw->pw_dir);
    const std::string account = std::string(pw->pw_dir) + "/.local/state/tsumugi";
    Environment::set("HOME", "relative/home");
    EXPECT_EQ(journals::stateFolder(), account);
    Environment::set("HOME", nullptr);
    EXPECT_EQ(journals::stateFolder(), account);
}

TEST(JournalStore, CreateMakesTheFolderNamesJournalsInRunOrderAndPruneKeepsTheLastTen)
{
    Environment env;
    ScratchDir state;
    Environment::set("XDG_STATE_HOME", (state / "deep/er").c_str());
    const std::string folder = state / "deep/er/tsumugi";
    std::vector<std::string> made;
    for (int i = 0; i < journals::kKept + 3; ++i) {
        JournalWriter w = journals::create().value();
        ASSERT_TRUE(w.valid()) << i;
        EXPECT_EQ(w.path().substr(0, folder.size() + 1), folder + "/");
        made.push_back(baseName(w.path()));
        journals::prune();
        if (i == 0) {
            EXPECT_EQ(modeOf(w.path()) & 0777, 0600u);
            writeFile(folder + "/notes.txt", "not a journal");
        }
        // The names sort as the runs went.
        const auto now = journalsIn(folder);
        ASSERT_FALSE(now.empty());
        EXPECT_EQ(now.back(), made.back()) << i;
        EXPECT_LE(static_cast<int>(now.size()), journals::kKept);
    }
    const std::vector<std::string> newest(made.end() - journals::kKept, made.end());
    EXPECT_EQ(journalsIn(folder), newest);
    // Only journals go.
    EXPECT_EQ(readFile(folder + "/notes.txt"), "not a journal");
}

TEST(JournalStore, CreateFailsWhereTheFolderCannotBeMade)
{
    Environment env;
    ScratchDir state;
    writeFile(state / "file", "a file where the folder would go");
    Environment::set("XDG_STATE_HOME", (state / "file").c_str());
    EXPECT_NE(journals::create().error(), 0);
    EXPECT_EQ(readFile(state / "file"), "a file where the folder would go");
}

TEST(JournalStore, TheLastRunOfAFolderIsTheNewestOfTheSameFolderUnderTheSamePath)
{
    Environment env;
    ScratchDir state, top;
    Environment::set("XDG_STATE_HOME", state.path().c_str());
    top.mkdir("photos");
    top.mkdir("other");
    const auto photos = platform::FolderHandle::open(top / "photos").value();
    const auto other = platform::FolderHandle::open(top / "other").value();
    ASSERT_TRUE(photos && other);

    EXPECT_FALSE(journals::lastRunIn(photos)) << "no journal yet";
    writeRun(photos, "first.txt");
    const std::string second = writeRun(photos, "second.txt");
    writeRun(other, "elsewhere.txt");  // newer, of another folder

    const auto found = journals::lastRunIn(photos);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, second);
    ASSERT_EQ(found->journal.steps.size(), 1u);
    EXPECT_EQ(found->journal.steps[0].to, "second.txt");
    EXPECT_TRUE(found->journal.ended);
    ASSERT_TRUE(journals::lastRunIn(other));
    EXPECT_EQ(journals::lastRunIn(other)->journal.steps[0].to, "elsewhere.txt");

    // The folder renamed and another made under its path: the path alone
    // does not make it the same folder, nor the folder alone under another
    // path (its journal names the old one).
    ASSERT_EQ(::rename((top / "photos").c_str(), (top / "moved").c_str()), 0);
    top.mkdir("photos");
    const auto samePath = platform::FolderHandle::open(top / "photos").value();
    const auto sameFolder = platform::FolderHandle::open(top / "moved").value();
    ASSERT_TRUE(samePath && sameFolder);
    ASSERT_EQ(sameFolder.id(), photos.id());
    ASSERT_NE(samePath.id(), photos.id());
    EXPECT_FALSE(journals::lastRunIn(samePath));
    EXPECT_FALSE(journals::lastRunIn(sameFolder));

    // Back where it was, it is found again.
    ASSERT_EQ(::rmdir((top / "photos").c_str()), 0);
    ASSERT_EQ(::rename((top / "moved").c_str(), (top / "photos").c_str()), 0);
    const auto again = journals::lastRunIn(platform::FolderHandle::open(top / "photos").value());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->path, second);

    // No folder at all matches nothing.
    EXPECT_FALSE(journals::lastRunIn(platform::FolderHandle()));
}

TEST(JournalStore, ALongJournalIsReadWhole)
{
    Environment env;
    ScratchDir state, top;
    Environment::set("XDG_STATE_HOME", state.path().c_str());
    const auto folder = platform::FolderHandle::open(top.path()).value();
    JournalWriter w = journals::create().value();
    ASSERT_TRUE(w.valid());
    const int n = 3000;  // well beyond the first 64 KiB looked at
    w.begin({folder.path(), folder.id().device, folder.id().inode}, 1, n, false);
    for (int i = 0; i < n; ++i) {
        w.intent(i, JournalOp::copy, "old name " + std::to_string(i), "new " + std::to_string(i),
                 {1, 2, static_cast<uint64_t>(i)});
        w.done(i, JournalOp::copy, {1, 2, static_cast<uint64_t>(i + n)});
    }
    const std::string path = w.path();
    w = JournalWriter();  // closed, as after a kill: no end record
    ASSERT_GT(readFile(path).size(), 128u * 1024);
    const auto found = journals::lastRunIn(folder);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->journal.steps.size(), static_cast<size_t>(n));
    EXPECT_EQ(found->journal.steps.back().to, "new " + std::to_string(n - 1));
    EXPECT_FALSE(found->journal.ended);
    EXPECT_TRUE(journals::undoable(found->journal));
}

TEST(JournalStore, UndoableWhileAnOperationWasNotRefusedAndUndoHasNotRun)
{
    const std::string head = journal_text::header({"/d", 1, 2}, 0, 3, true);
    const auto undoable = [&](const std::string& records) {
        const auto j = parseJournal(head + records);
        EXPECT_TRUE(j) << records;
        return j && journals::undoable(*j);
    };
    const std::string moved = journal_text::intent(0, JournalOp::move, "a", "b", {1, 2, 3}) +
                              journal_text::done(0, JournalOp::move, {1, 2, 3});
    const std::string refused = journal_text::intent(1, JournalOp::move, "c", "d", {1, 2, 4}) +
                                journal_text::failed(1, JournalOp::move, EEXIST) +
                                journal_text::intent(2, JournalOp::copy, "e", "f", {1, 2, 5}) +
                                journal_text::failed(2, JournalOp::copy, ENOSPC);
    // An intent without its answer: the run was killed in the middle of it.
    const std::string cut = journal_text::intent(0, JournalOp::copy, "a", "b", {1, 2, 3});

    EXPECT_TRUE(undoable(moved + journal_text::end()));
    EXPECT_TRUE(undoable(refused + moved));
    EXPECT_TRUE(undoable(cut));
    EXPECT_FALSE(undoable(journal_text::end())) << "a run that did nothing";
    EXPECT_FALSE(undoable(refused + journal_text::end())) << "every operation refused";
    EXPECT_FALSE(undoable(moved + journal_text::end() + journal_text::undone()));
    EXPECT_FALSE(undoable(cut + journal_text::undone()));
}

TEST(JournalStore, TheUndoneMarkIsReadEvenAfterATornLastRecord)
{
    Environment env;
    ScratchDir state, top;
    Environment::set("XDG_STATE_HOME", state.path().c_str());
    const auto folder = platform::FolderHandle::open(top.path()).value();
    for (const std::string& torn : {std::string(), std::string("intent\t1\tcopy\tb.txt\ty.t"),
                                   std::string("d"), std::string("undone")}) {
        SCOPED_TRACE("torn: [" + torn + "]");
        const std::string path = writeRun(folder, "x.txt");
        // A kill in the middle of the next record's write.
        {
            std::string text = readFile(path);
            const size_t end = text.rfind("end\n");
            ASSERT_NE(end, std::string::npos);
            writeFile(path, text.substr(0, end) + torn, 0600);
        }
        const auto before = journals::lastRunIn(folder);
        ASSERT_TRUE(before);
        EXPECT_FALSE(before->journal.undone);
        EXPECT_TRUE(journals::undoable(before->journal));

        const platform::Status s = journals::markUndone(path);
        ASSERT_TRUE(s) << std::strerror(s.error());
        const auto after = journals::lastRunIn(folder);
        ASSERT_TRUE(after);
        EXPECT_EQ(after->path, path);
        EXPECT_TRUE(after->journal.undone);
        EXPECT_FALSE(journals::undoable(after->journal));
        EXPECT_EQ(after->journal.steps.size(), 1u);
        EXPECT_TRUE(readFile(path).ends_with("\nundone\n"));
    }
    EXPECT_EQ(journals::markUndone(state / "missing.journal").error(), ENOENT);
}

// A run still going in another copy of the program: its journal is found
// as the folder's last run, never taken for an older one's, and nothing of it
// is offered, marked or pruned until its writer lets it go.
TEST(JournalStore, ARunStillGoingIsNeitherTakenBackNorPruned)
{
    Environment env;
    ScratchDir state, top;
    Environment::set("XDG_STATE_HOME", state.path().c_str());
    const auto folder = platform::FolderHandle::open(top.path()).value();
    writeRun(folder, "older.txt");
    JournalWriter going = journals::create().value();
    ASSERT_TRUE(going.valid());
    going.begin({folder.path(), folder.id().device, folder.id().inode}, 1765250001, 2, true);
    going.intent(0, JournalOp::move, "b.txt", "going.txt", {1, 2, 4});
    going.done(0, JournalOp::move, {1, 2, 4});
    going.intent(1, JournalOp::move, "c.txt", "next.txt", {1, 2, 5});

    const auto found = journals::lastRunIn(folder);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, going.path());
    EXPECT_TRUE(found->running);
    EXPECT_TRUE(journals::undoable(found->journal));
    EXPECT_FALSE(journals::undoable(*found));
    EXPECT_EQ(journals::markUndone(going.path()).error(), EBUSY);
    // Ten newer runs elsewhere: the oldest journals go, the one being
    // written stays.
    for (int i = 0; i < journals::kKept; ++i)
        writeRun(platform::FolderHandle::open(state.path()).value(), "elsewhere.txt");
    const std::string path = going.path();
    EXPECT_TRUE(exists(path));
    EXPECT_EQ(journalsIn(state / "tsumugi").size(), static_cast<size_t>(journals::kKept) + 1);

    going = JournalWriter();  // the run ends, or its program is killed
    const auto after = journals::lastRunIn(folder);
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->running);
    EXPECT_TRUE(journals::undoable(*after));
    EXPECT_TRUE(journals::markUndone(path));
}

// Two runs in a folder, the clock changed between them (or an earlier
// version named the first run's journal by a clock that ran ahead): the
// second run is the folder's last.
struct ClockSkew {
    const char* name;
    int64_t first, second;  // the clock's seconds at each run's start
    bool firstByEarlierVersion;
};

void PrintTo(const ClockSkew& c, std::ostream* os) { *os << c.name; }

class RunsInClockSkew : public ::testing::TestWithParam<ClockSkew> {};

TEST_P(RunsInClockSkew, TheLaterRunIsTheLastWhateverTheClockSaid)
{
    const ClockSkew& c = GetParam();
    Environment env;
    ScratchDir state, top;
    Environment::set("XDG_STATE_HOME", state.path().c_str());
    const auto folder = platform::FolderHandle::open(top.path()).value();
    if (c.firstByEarlierVersion) {
        state.mkdir("tsumugi");
        char name[64];
        std::snprintf(name, sizeof name, "run-%020lld-4242-0.journal",
                      static_cast<long long>(c.first) * 1000000000);
        writeFile(state / ("tsumugi/" + std::string(name)),
                  journal_text::header({folder.path(), folder.id().device, folder.id().inode}, c.first, 1, true) +
                      journal_text::intent(0, JournalOp::move, "a.txt", "first.txt", {1, 2, 3}) +
                      journal_text::done(0, JournalOp::move, {1, 2, 3}) + journal_text::end(), 0600);
    } else {
        writeRun(folder, "first.txt", c.first);
    }
    const std::string second = writeRun(folder, "second.txt", c.second);

    const auto found = journals::lastRunIn(folder);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, second);
    EXPECT_EQ(found->journal.steps.at(0).to, "second.txt");
}

INSTANTIATE_TEST_SUITE_P(, RunsInClockSkew,
                         ::testing::Values(ClockSkew{"ClockSetBack", 1900000000, 1700000000, false},
                                           ClockSkew{"ClockSetAhead", 1700000000, 1900000000, false},
                                           ClockSkew{"EarlierVersionNamedByAClockAhead", 1900000000,
                                                     1700000000, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A run whose journal the disk refused, in a folder with an older run: no
// copy of the program, a new one included, offers to take the older run
// back, since the files have moved on since; another folder's run stays.
struct Unrecorded {
    const char* name;
    std::function<void(FaultSys&)> refuse;
};

void PrintTo(const Unrecorded& u, std::ostream* os) { *os << u.name; }

void refuseNewJournals(FaultSys& f)
{
    f.onOpen = [&f](int dir, const char* p, int flags, mode_t mode) {
        if ((flags & O_CREAT) && std::string_view(p).ends_with(".journal"))
            return refuse(ENOSPC);
        return f.Sys::openat(dir, p, flags, mode);
    };
}

class UnrecordedRun : public ::testing::TestWithParam<Unrecorded> {};

TEST_P(UnrecordedRun, LeavesNoOlderRunToTakeBack)
{
    Environment env;
    ScratchDir state, top;
    Environment::set("XDG_STATE_HOME", state.path().c_str());
    top.mkdir("photos");
    top.mkdir("other");
    const auto photos = platform::FolderHandle::open(top / "photos").value();
    const auto other = platform::FolderHandle::open(top / "other").value();
    writeRun(photos, "older.txt");
    writeRun(other, "elsewhere.txt");
    {
        FaultSys disk;
        GetParam().refuse(disk);
        platform::ScopedSys use(disk);
        JournalWriter w = journals::create(photos).value();
        w.begin(journals::journalFolderOf(photos), 1765250001, 1, true);
        w.intent(0, JournalOp::move, "b.txt", "newer.txt", {1, 2, 4});
        w.done(0, JournalOp::move, {1, 2, 4});
        w.end();
    }
    const auto found = journals::lastRunIn(photos);
    EXPECT_FALSE(found && journals::undoable(*found));
    const auto elsewhere = journals::lastRunIn(other);
    ASSERT_TRUE(elsewhere);
    EXPECT_TRUE(journals::undoable(*elsewhere));
}

INSTANTIATE_TEST_SUITE_P(
    , UnrecordedRun,
    ::testing::Values(Unrecorded{"NoRoomForANewJournal", refuseNewJournals},
                      Unrecorded{"NoRoomForItsFirstRecord",
                                 [](FaultSys& f) {
                                     f.onFallocate = [](int, int, off_t, off_t) { return refuse(ENOSPC); };
                                     f.onPwrite = [](int, const void*, size_t, off_t) -> ssize_t {
                                         return refuse(ENOSPC);
                                     };
                                 }},
                      Unrecorded{"NoRoomForTheOlderRunsMarkEither",
                                 [](FaultSys& f) {
                                     refuseNewJournals(f);
                                     f.onWrite = [](int, const void*, size_t) -> ssize_t {
                                         return refuse(ENOSPC);
                                     };
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

// The journal's name in the state folder reaches the disk with its first
// records, before the run removes any original.
TEST(JournalStore, AJournalsNameIsOnTheDiskBeforeAnOriginalGoes)
{
    Environment env;
    ScratchDir state, top;
    Environment::set("XDG_STATE_HOME", state.path().c_str());
    const auto folder = platform::FolderHandle::open(top.path()).value();
    FaultSys disk;
    std::set<ino_t> synced;
    disk.onFsync = [&](int fd) {
        struct stat st {};
        if (::fstat(fd, &st) == 0)
            synced.insert(st.st_ino);
        return ::fsync(fd);
    };
    platform::ScopedSys use(disk);
    JournalWriter w = journals::create(folder).value();
    ASSERT_TRUE(w.valid());
    w.begin(journals::journalFolderOf(folder), 1765250000, 1, true);
    w.intent(0, JournalOp::copy, "a.txt", "x.txt", {1, 2, 3});
    w.done(0, JournalOp::copy, {1, 2, 4});
    w.intent(0, JournalOp::remove, "a.txt", "", {1, 2, 3});
    struct stat st {};
    ASSERT_EQ(::stat((state / "tsumugi").c_str(), &st), 0);
    EXPECT_TRUE(synced.count(st.st_ino));
}

// A journal too large to read whole, ending in each of the ways a run's
// journal ends: what is found from its start and its end, without the
// records between, is what its whole text says.
struct LargeJournal {
    const char* name;
    bool firstDone;    // the first operation done, else refused
    bool othersDone;   // every other one done, else refused
    const char* ending;
    bool zerosAfter;   // the room taken ahead a kill leaves
};
void PrintTo(const LargeJournal& c, std::ostream* os) { *os << c.name; }

class RunToUndo : public ::testing::TestWithParam<LargeJournal> {};

TEST_P(RunToUndo, ReadsOnlyTheEndsAndSaysWhatTheWholeJournalSays)
{
    const LargeJournal c = GetParam();
    Environment env;
    ScratchDir state, top;
    Environment::set("XDG_STATE_HOME", state.path().c_str());
    const auto folder = platform::FolderHandle::open(top.path()).value();
    std::string path;
    {
        JournalWriter w = journals::create(folder).value();
        ASSERT_TRUE(w.valid());
        path = w.path();
    }
    const int n = 3000;  // well beyond what is read from each end
    std::string text = journal_text::header(journals::journalFolderOf(folder), 1, n, true);
    for (int i = 0; i < n; ++i) {
        journal_text::appendIntent(text, i, JournalOp::move, "old " + std::to_string(i),
                                   "new " + std::to_string(i), {1, 2, static_cast<uint64_t>(i + 1)});
        if (i == 0 ? c.firstDone : c.othersDone)
            journal_text::appendDone(text, i, JournalOp::move, {1, 2, static_cast<uint64_t>(i + 1)});
        else
            journal_text::appendFailed(text, i, JournalOp::move, EEXIST);
    }
    text += c.ending;
    if (c.zerosAfter)
        text += std::string(size_t{1} << 20, '\0');
    writeFile(path, text, 0600);

    const auto whole = journals::lastRunIn(folder);
    ASSERT_TRUE(whole);
    const auto found = journals::runToUndo(folder);
    EXPECT_EQ(found.has_value(), journals::undoable(*whole));
    if (found) {
        EXPECT_EQ(found->path, path);
        EXPECT_EQ(found->ended, whole->journal.ended);
    }
    // As the window's own run, by its path: the same.
    const auto own = journals::runToUndo(folder, path);
    EXPECT_EQ(own.has_value(), found.has_value());
    EXPECT_FALSE(journals::runToUndo(folder, std::string())) << "a run with no journal";
}

INSTANTIATE_TEST_SUITE_P(
    , RunToUndo,
    ::testing::Values(LargeJournal{"Ended", true, true, "end\n", false},
                      LargeJournal{"CutShortWithTheRoomAheadLeft", true, true, "", true},
                      LargeJournal{"CutShortInAnIntent", true, true, "intent\t3000\tmove\ta\tb\t1\t2\t3\n", true},
                      LargeJournal{"Undone", true, true, "end\nundone\n", false},
                      LargeJournal{"Superseded", true, true, "end\nsuperseded\n", false},
                      LargeJournal{"EveryOperationRefused", false, false, "end\n", false},
                      LargeJournal{"OnlyTheFirstDone", true, false, "end\n", false},
                      LargeJournal{"OnlyTheFirstRefused", false, true, "end\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
