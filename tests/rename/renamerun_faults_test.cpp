// The rename run with the disk failing at every single call in turn.
//
// A folder of twelve files and a memo that mixes valid, blank, forbidden and
// duplicate lines (and names of other entries, and an entry's own name) is
// renamed under both rules and both states of the delete box, and with names
// swapped (chains and cycles, through a temporary name), once for every
// k from 1 until a run in which no fault was injected, with the k-th call
// (of any kind, or of one kind) failing with one errno, on the usual file
// system, on one without unnamed files or fast copies, and on one that
// answers as a FUSE vfat or exFAT file system does. After every run:
//  - every original content is still there under its old or its new name;
//  - no file that was there before changed (content and mode);
//  - no partial or temporary file is left: every name is an old or a new
//    name, and a new name holds exactly its source's content;
//  - the four counts add up to the entries, and agree with the reports;
//  - each report is one of the status texts, and what it says is true
//    of the folder (a reported creation exists, a reported deletion is gone,
//    a failed creation left the old file alone);
//  - the summary has the program's wording and the run's counts.
#include "platform/syscalls.h"
#include "rename/namelist.h"
#include "rename/namerule.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

using renaming::NameRule;
using renaming::RunCounts;
using renaming::RunStep;
using testing_support::CwdGuard;
using testing_support::FaultSys;
using testing_support::ScratchDir;

namespace {

// The words of the status line and the summary, typed out here apart from
// the program's message table so that a slip in either shows.
const std::string kOpen = "ファイル「";
const std::map<RunStep, std::string> kEnding = {
    {RunStep::created, "」を作成しました"},
    {RunStep::createFailed, "」の作成に失敗しました"},
    {RunStep::deleted, "」を削除しました"},
    {RunStep::deleteFailed, "」の削除に失敗しました"},
};

std::string expectedSummary(const RunCounts& c, bool deleteOld)
{
    std::string s = "成功：" + std::to_string(c.success) + "件　失敗：" +
                    std::to_string(c.failed) + "件　無視：" + std::to_string(c.ignored) + "件　";
    if (deleteOld)
        s += "削除失敗：" + std::to_string(c.deleteFailed) + "件";
    return s;
}

struct FileState {
    std::string content;
    mode_t mode = 0;
    bool operator==(const FileState&) const = default;
};
using Folder = std::map<std::string, FileState>;

Folder snapshot(const ScratchDir& d)
{
    Folder f;
    for (const std::string& n : d.names()) {
        struct stat st {};
        ::lstat(d.file(n).c_str(), &st);
        f[n] = {d.read(n), st.st_mode};
    }
    return f;
}

// Twelve files, in list order, with distinct contents; one is read-only,
// one is empty and one is larger than a copy buffer.
const std::vector<std::string> kFiles = {"a01.txt", "a02.jpg", "a03",     "a04.tar.gz",
                                         "a05.txt", "a06.txt", "a07.txt", "a08.txt",
                                         "a09.txt", "a10.txt", "a11.txt", "a12.txt"};
const std::string kReadOnly = "a05.txt";
const std::vector<std::string> kLines = {
    "b01",     // valid
    " \t ",    // blank
    "a:b",     // forbidden
    "  b04 ",  // valid, with blanks around it
    "b05",     // valid; the old file is read-only
    "dup",     // valid
    "dup",     // the same again
    "a06",     // an earlier entry's name, free once that one was moved away
    "a10",     // a later entry's name (under replace)
    "a10",     // the entry's own name (under replace)
    // no lines for the last two entries
};
// Where names are swapped: two names swapped, three in a cycle, and a chain
// against the list order, beside a blank, a forbidden and a read-only one.
const std::vector<std::string> kSwapLines = {
    "b01", " \t ", "a:b", "  b04 ", "b05", "a07", "a06", "a09", "a10", "a08", "a12", "a13",
};

std::string contentOf(size_t i)
{
    if (i == 0)
        return {};
    std::string s = "content of " + kFiles[i] + "\n";
    if (i == 1)
        for (int k = 0; s.size() < 70000; ++k)
            s += std::to_string(k * 7919) + " ";
    return s;
}

void makeFolder(const ScratchDir& d)
{
    for (size_t i = 0; i < kFiles.size(); ++i)
        d.write(kFiles[i], contentOf(i));
    ::chmod(d.file(kReadOnly).c_str(), 0444);
}

struct Config {
    NameRule rule;
    bool deleteOld;
    bool swap = false;
    const std::vector<std::string>& lines() const { return swap ? kSwapLines : kLines; }
};

void PrintTo(const Config& c, std::ostream* os)
{
    *os << (c.rule == NameRule::replace ? "replace" : "append")
        << (c.deleteOld ? ", delete" : ", keep") << (c.swap ? ", swap" : "");
}

struct RunResult {
    RunCounts counts;
    // Reports of each entry, in order.
    std::vector<std::vector<std::pair<RunStep, std::string>>> reports;
    std::vector<std::string> texts;
    std::vector<std::pair<RunStep, std::string>> inOrder;  // the reports as they came
};

// The new name the entry `name` at `i` asks for; empty for none.
std::string newNameOf(const std::string& name, size_t i, const Config& cfg)
{
    const std::string line = i < cfg.lines().size() ? cfg.lines()[i] : std::string();
    if (!renaming::checkFileName(line, platform::CodePage::utf8))
        return {};
    return renaming::makeNewFileName(name, line, cfg.rule, platform::CodePage::utf8);
}

// Runs the list's entries in the list's folder, as the window does, with
// `faults` in force for the run.
RunResult runOnce(const renaming::NameList& list, const Config& cfg, FaultSys& faults)
{
    RunResult r;
    r.reports.resize(list.entries().size());
    size_t current = 0;
    renaming::RunRequest rq;
    rq.folder = list.folder().duplicate().value();
    rq.entries = list.entries();
    rq.lines = cfg.lines();
    rq.rule = cfg.rule;
    rq.cp = platform::CodePage::utf8;
    rq.deleteOld = cfg.deleteOld;
    rq.swap = cfg.swap;
    // In list order a report is of the entry the progress is at; where
    // names are swapped, the entry is known by the name: a creation is of
    // the first entry with that new name and no report yet, a deletion of
    // the entry just created.
    size_t lastCreated = 0;
    rq.onStep = [&](RunStep s, const std::string& name) {
        size_t at = current;
        if (cfg.swap && renaming::aboutNewName(s)) {
            for (at = 0; at < r.reports.size(); ++at)
                if (r.reports[at].empty() && newNameOf(list.entries()[at], at, cfg) == name)
                    break;
            lastCreated = at;
        } else if (cfg.swap) {
            at = lastCreated;
        }
        r.reports.at(at).emplace_back(s, name);
        r.inOrder.emplace_back(s, name);
        r.texts.push_back(renaming::stepText(s, name));
    };
    rq.onProgress = [&](int done, int) { current = static_cast<size_t>(done); };
    platform::ScopedSys use(faults);
    r.counts = renaming::runRename(rq);
    return r;
}

// Checks one run against the folder before and after it.
// With `canCleanUp` false every call failed from some point on, the removal
// of a half-made copy included, so a stray file cannot be ruled out; all
// else must still hold.
void checkRun(const std::vector<std::string>& entries, const Config& cfg, const Folder& before,
              const Folder& after, const RunResult& r, const std::string& where,
              bool canCleanUp)
{
    SCOPED_TRACE(where);
    const size_t n = entries.size();
    std::vector<std::string> newName(n);
    std::map<std::string, std::set<std::string>> sourcesOf;  // new name -> contents
    for (size_t i = 0; i < n; ++i) {
        newName[i] = newNameOf(entries[i], i, cfg);
        if (!newName[i].empty())
            sourcesOf[newName[i]].insert(before.at(entries[i]).content);
    }

    // Where the disk failed for good in the middle of a cycle of names, a
    // file may be under the cycle's temporary name, recorded in the journal,
    // until the disk is back.
    auto underTemporary = [&](const FileState& was) {
        if (canCleanUp)
            return false;
        for (const auto& [name, now] : after)
            if (name.ends_with(".swap") && now.content == was.content)
                return true;
        return false;
    };
    // Nothing lost: each original content under its old or its new name.
    for (size_t i = 0; i < n; ++i) {
        const FileState& was = before.at(entries[i]);
        const bool underOld = after.count(entries[i]) && after.at(entries[i]) == was;
        const bool underNew = !newName[i].empty() && after.count(newName[i]) &&
                              after.at(newName[i]).content == was.content;
        EXPECT_TRUE(underOld || underNew || underTemporary(was)) << "lost: " << entries[i];
    }
    // Nothing changed: an old name still there holds what it held, unless a
    // new file took the name after the old one was moved away. (Where the
    // disk failed for good while a copy was written under its own name, the
    // start of that copy may be left there.)
    auto beginsASource = [&](const std::string& name, const std::string& content) {
        if (sourcesOf.count(name))
            for (const std::string& src : sourcesOf.at(name))
                if (src == content || (!canCleanUp && src.starts_with(content)))
                    return true;
        return false;
    };
    for (const auto& [name, was] : before) {
        if (!after.count(name) || after.at(name) == was)
            continue;
        EXPECT_TRUE(beginsASource(name, after.at(name).content)) << "changed: " << name;
    }
    // No stray file: every name is an old or a new one, and a new file is
    // a complete copy of one of its sources.
    for (const auto& [name, now] : after) {
        if (!canCleanUp || (before.count(name) && before.at(name) == now))
            continue;
        EXPECT_TRUE(sourcesOf.count(name) && sourcesOf.at(name).count(now.content))
            << "stray or partial: " << name << " (" << now.content.size() << " bytes)";
    }

    // The counts add up, and agree with what was reported of each entry.
    const RunCounts& c = r.counts;
    EXPECT_EQ(c.success + c.failed + c.ignored + c.deleteFailed, static_cast<int>(n));
    RunCounts tally;
    for (size_t i = 0; i < n; ++i) {
        const auto& rep = r.reports[i];
        const std::string line = i < cfg.lines().size() ? cfg.lines()[i] : std::string();
        if (!renaming::checkFileName(line, platform::CodePage::utf8)) {
            EXPECT_TRUE(rep.empty());
            ++tally.failed;
            continue;
        }
        if (newName[i].empty()) {
            EXPECT_TRUE(rep.empty());
            ++tally.ignored;
            continue;
        }
        ASSERT_FALSE(rep.empty()) << "no report for " << entries[i];
        const FileState& was = before.at(entries[i]);
        if (rep[0].first == RunStep::createFailed) {
            EXPECT_EQ(rep.size(), 1u);
            EXPECT_EQ(rep[0].second, newName[i]);
            // A failed creation leaves the old file where it was.
            EXPECT_TRUE((after.count(entries[i]) && after.at(entries[i]) == was) || underTemporary(was))
                << "old file not left alone: " << entries[i];
            ++tally.failed;
            continue;
        }
        EXPECT_EQ(rep[0], std::make_pair(RunStep::created, newName[i]));
        EXPECT_TRUE(after.count(newName[i]) && after.at(newName[i]).content == was.content)
            << "reported created but missing: " << newName[i];
        if (!cfg.deleteOld) {
            EXPECT_EQ(rep.size(), 1u);
            ++tally.success;
            continue;
        }
        ASSERT_EQ(rep.size(), 2u);
        EXPECT_EQ(rep[1].second, entries[i]);
        if (rep[1].first == RunStep::deleted) {
            EXPECT_FALSE(after.count(entries[i]) && after.at(entries[i]) == was)
                << "reported deleted but still there: " << entries[i];
            ++tally.success;
        } else {
            EXPECT_EQ(rep[1].first, RunStep::deleteFailed);
            EXPECT_TRUE(after.count(entries[i]) && after.at(entries[i]) == was)
                << "reported not deleted but gone or changed: " << entries[i];
            ++tally.deleteFailed;
        }
    }
    EXPECT_EQ(c, tally);

    // The words: each report and the summary.
    size_t k = 0;
    for (const auto& [step, name] : r.inOrder)
        EXPECT_EQ(r.texts.at(k++), kOpen + name + kEnding.at(step));
    EXPECT_EQ(renaming::summaryText(c, cfg.deleteOld), expectedSummary(c, cfg.deleteOld));
}

struct Totals {
    long runs = 0;
    long faults = 0;
};

// The file systems a run meets: the usual one; a plain one (no unnamed
// files, clones or in-kernel copies), where the copies take their slowest
// way, a scratch file, read and write; and a FUSE vfat or exFAT one (no mode
// bits, no no-replace rename, no links either), where every copy is made
// under its name and every move is a copy and a delete.
enum class FileSystem { usual, plain, fuse };

const char* nameOf(FileSystem f)
{
    return f == FileSystem::usual ? "" : f == FileSystem::plain ? " plain fs" : " fuse fs";
}

// Runs the whole folder once for every k, with the plan `arm` puts in
// place, until a run sees no fault; adds the runs and faults to `totals`.
template <class Arm>
void everyKOn(FileSystem fsKind, const Config& cfg, const std::string& label, Arm arm,
              Totals& totals, bool sticky)
{
    for (long k = 1;; ++k) {
        ScratchDir d;
        CwdGuard cwd;
        makeFolder(d);
        ASSERT_EQ(::chdir(d.path().c_str()), 0);
        renaming::NameList list;
        list.Reread();
        ASSERT_EQ(list.entries(), kFiles);
        // A FUSE vfat stick keeps no mode bits: a file that comes back to
        // its name by a copy (a cycle put back) has none of the old ones.
        auto seen = [&] {
            Folder f = snapshot(d);
            if (fsKind == FileSystem::fuse)
                for (auto& [name, file] : f)
                    file.mode = 0;
            return f;
        };
        const Folder before = seen();

        FaultSys faults;
        arm(faults, k);
        // Where names are swapped, a stick's every move is a copy put on the
        // disk: a flush that fails is what is asked of it here, not one that
        // waits for a disk other programs keep busy.
        if (cfg.swap) {
            faults.onFdatasync = [](int) { return 0; };
            faults.onFsync = [](int) { return 0; };
        }
        if (fsKind == FileSystem::plain)
            testing_support::plainFileSystem(faults);
        if (fsKind == FileSystem::fuse)
            testing_support::fuseFileSystem(faults);
        const RunResult r = runOnce(list, cfg, faults);
        ++totals.runs;
        totals.faults += faults.faults();
        const std::string where = label + nameOf(fsKind) + " k=" +
                                  std::to_string(k) + " " + faults.lastFault();
        checkRun(list.entries(), cfg, before, seen(), r, where, !sticky);
        if (::testing::Test::HasFailure())
            return;  // one broken run says enough
        if (faults.faults() == 0) {
            // The run past the last call is the run without faults.
            const bool repl = cfg.rule == NameRule::replace;
            const RunCounts want =
                cfg.swap ? RunCounts{9, 1, 1, 1}
                : repl   ? (cfg.deleteOld ? RunCounts{4, 4, 3, 1} : RunCounts{4, 5, 3, 0})
                         : (cfg.deleteOld ? RunCounts{7, 1, 3, 1} : RunCounts{8, 1, 3, 0});
            EXPECT_EQ(r.counts, want) << label;
            return;
        }
    }
}

// The same on each file system.
// Under the sanitizers, which take five times as long, the error numbers
// that fail a call as any other does (EIO, EACCES) are left to the plain
// build, but for the disk gone for good; those the run answers in a way of
// their own stay.
#ifdef TSUMUGI_SANITIZED
constexpr bool kSample = true;
#else
constexpr bool kSample = false;
#endif

// Swapping renames where the others copy: the plain file system, which
// only copies otherwise, is left to them, and under the sanitizers the FUSE
// one too.
template <class Arm>
void everyK(const Config& cfg, const std::string& label, Arm arm, Totals& totals,
            bool sticky = false)
{
    for (FileSystem f : {FileSystem::usual, FileSystem::plain, FileSystem::fuse})
        if (!::testing::Test::HasFailure() &&
            !(cfg.swap && (f == FileSystem::plain || (kSample && f == FileSystem::fuse))))
            everyKOn(f, cfg, label, arm, totals, sticky);
}

class RunUnderFaults : public ::testing::TestWithParam<Config> {
protected:
    static std::string label(const Config& c)
    {
        return std::string(c.rule == NameRule::replace ? "replace" : "append") +
               (c.deleteOld ? "+delete" : "") + (c.swap ? "+swap" : "");
    }
};


// Where names are swapped, the errors that fail a call as any other does
// add nothing the others do not show: the calls fail with the one a rename
// answers in a way of its own and the one a copy does (under the sanitizers,
// one each).
std::vector<int> anyCallErrors(const Config& cfg)
{
    if (cfg.swap)
        return kSample ? std::vector<int>{EINVAL} : std::vector<int>{ENOSPC, EINVAL};
    if (kSample)
        return {ENOSPC, ENOENT, EXDEV, EINVAL};
    return {ENOSPC, EIO, EACCES, ENOENT, EXDEV, EINVAL};
}

std::vector<int> oneKindErrors(const Config& cfg)
{
    if (cfg.swap)
        return kSample ? std::vector<int>{ENOSPC} : std::vector<int>{ENOSPC, EINVAL};
    if (kSample)
        return {ENOSPC, EXDEV, EINVAL};
    return {ENOSPC, EIO, EXDEV, EINVAL};
}

TEST_P(RunUnderFaults, EachCallFailingInTurnLosesAndOverwritesNothing)
{
    const Config cfg = GetParam();
    Totals t;
    for (int err : anyCallErrors(cfg)) {
        everyK(cfg, label(cfg) + " any call " + std::strerror(err),
               [err](FaultSys& f, long k) { f.failNth(k, err); }, t);
        if (HasFailure())
            return;
    }
    // The disk goes away for good at call k.
    everyK(cfg, label(cfg) + " sticky EIO",
           [](FaultSys& f, long k) { f.failNth(k, EIO, /*sticky=*/true); }, t, true);
    std::printf("[ figures  ] %s, any call: %ld runs, %ld faults injected\n",
                label(cfg).c_str(), t.runs, t.faults);
}

TEST_P(RunUnderFaults, EachCallOfOneKindFailingInTurnLosesAndOverwritesNothing)
{
    const Config cfg = GetParam();
    Totals t;
    for (auto kind : {FaultSys::kOpen, FaultSys::kRead, FaultSys::kWrite, FaultSys::kLink,
                      FaultSys::kRename, FaultSys::kSync, FaultSys::kUnlink, FaultSys::kStat,
                      FaultSys::kDirRead, FaultSys::kClose, FaultSys::kMeta})
        for (int err : oneKindErrors(cfg)) {
            everyK(cfg,
                   label(cfg) + " " + FaultSys::kindName(kind) + " " + std::strerror(err),
                   [kind, err](FaultSys& f, long k) { f.failNthOf(kind, k, err); }, t);
            if (HasFailure())
                return;
        }
    std::printf("[ figures  ] %s, by kind: %ld runs, %ld faults injected\n",
                label(cfg).c_str(), t.runs, t.faults);
}

INSTANTIATE_TEST_SUITE_P(BothRulesBothBoxStates, RunUnderFaults,
                         ::testing::Values(Config{NameRule::replace, false},
                                           Config{NameRule::replace, true},
                                           Config{NameRule::append, false},
                                           Config{NameRule::append, true},
                                           Config{NameRule::replace, true, true}),
                         [](const auto& info) {
                             return std::string(info.param.rule == NameRule::replace
                                                    ? "Replace"
                                                    : "Append") +
                                    (info.param.deleteOld ? "Delete" : "Keep") +
                                    (info.param.swap ? "Swap" : "");
                         });

}  // namespace
