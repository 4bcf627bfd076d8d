// The plan of a run is what the run then does: over thousands of random
// folders and memos on real files, the plan's steps and counts, entry by
// entry, equal what the run reports. And the run touches only regular files
// and never makes a name that would vanish from the list.
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "rename/folderindex.h"
#include "rename/folderondisk.h"
#include "rename/plan.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <sstream>

using namespace testing_support;
using namespace renaming;

namespace {

struct Reported {
    RunStep step;
    std::string name;
    bool operator==(const Reported&) const = default;
};

std::string show(const std::vector<Reported>& r)
{
    std::ostringstream s;
    for (const auto& x : r)
        s << stepText(x.step, x.name) << " | ";
    return s.str();
}

// The reports a plan says its run will give, in the order of its steps: a
// file that goes through a temporary name is reported once it has its new
// one.
std::vector<Reported> expected(const Plan& p)
{
    std::vector<Reported> out;
    for (const auto& st : p.order) {
        if (st.kind == PlannedStep::Kind::toTemporary)
            continue;
        const auto& e = p.entries[static_cast<size_t>(st.entry)];
        for (RunStep s : stepsOf(e.outcome))
            out.push_back({s, aboutNewName(s) ? e.newName : e.oldName});
    }
    return out;
}

// The same, of the preview's rows: the old names are the list's and the
// new ones made again from the lines.
std::vector<Reported> expected(const PlanRows& p, const std::vector<std::string>& files,
                               const std::vector<std::string>& lines, const PlanRules& rules)
{
    std::vector<Reported> out;
    for (const auto& st : p.order) {
        if (st.kind == PlannedStep::Kind::toTemporary)
            continue;
        const auto e = static_cast<size_t>(st.entry);
        const Outcome o = p.outcome(st.entry);
        for (RunStep s : stepsOf(o))
            out.push_back({s, aboutNewName(s) ? plannedNewName(files[e], e < lines.size() ? lines[e] : "", o, rules)
                                              : files[e]});
    }
    return out;
}

// One hash for every name: every question is a hit, and only the look
// that confirms it can tell a free name from a taken one.
std::uint64_t oneHash(std::string_view) { return 42; }

struct Scenario {
    std::vector<std::string> files;     // listed, sorted by bytes
    std::vector<std::string> blockers;  // folders and hidden files beside them
    std::vector<std::string> readOnly;
    std::vector<std::string> changed;   // listed, but gone or a folder since
    std::vector<std::string> lines;
    PlanRules rules;
    std::string describe() const
    {
        std::ostringstream s;
        s << (rules.rule == NameRule::append ? "append" : "replace")
          << (rules.deleteOld ? " delete" : " keep") << (rules.swap ? " swap" : "") << " files:";
        for (const auto& f : files)
            s << ' ' << f << (std::count(readOnly.begin(), readOnly.end(), f) ? "(ro)" : "")
              << (std::count(changed.begin(), changed.end(), f) ? "(changed)" : "");
        s << " blockers:";
        for (const auto& b : blockers)
            s << ' ' << b;
        s << " lines:";
        for (const auto& l : lines)
            s << " [" << l << ']';
        return s.str();
    }
};

Scenario randomScenario(std::mt19937& rng)
{
    auto pick = [&](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
    };
    const std::vector<std::string> bases{"a", "b", "c", "d", "A", "e f"};
    const std::vector<std::string> exts{".txt", "", ".t", ".txt.txt"};
    Scenario s;
    const int n = std::uniform_int_distribution<int>(0, 7)(rng);
    for (int i = 0; i < n; ++i)
        s.files.push_back(pick(bases) + pick(exts));
    std::sort(s.files.begin(), s.files.end());
    s.files.erase(std::unique(s.files.begin(), s.files.end()), s.files.end());
    if (rng() % 3 == 0)
        s.blockers.push_back(pick(bases) + pick(exts) + "/");
    if (rng() % 4 == 0)
        s.blockers.push_back("." + pick(bases));
    for (const auto& f : s.files)
        if (rng() % 6 == 0)
            s.readOnly.push_back(f);
    // Lines of every kind: blank, forbidden, duplicates, names of other
    // entries (swaps and chains), hidden, new ones.
    const int lineCount = std::uniform_int_distribution<int>(0, n + 2)(rng);
    for (int i = 0; i < lineCount; ++i) {
        switch (rng() % 9) {
        case 0:
            s.lines.push_back(rng() % 2 ? "" : "  \t");
            break;
        case 1:
            s.lines.push_back("x?y");
            break;
        case 2:
            s.lines.push_back(s.lines.empty() ? "n" : s.lines.back());
            break;
        case 3:
        case 4:
            s.lines.push_back(pick(bases));
            break;
        case 5:
            s.lines.push_back(rng() % 2 ? ".." : ".h");
            break;
        default:
            s.lines.push_back("n" + std::to_string(rng() % 4));
            break;
        }
    }
    s.rules.rule = rng() % 3 == 0 ? NameRule::append : NameRule::replace;
    s.rules.deleteOld = rng() % 2 == 0;
    return s;
}

// The same, where names are swapped: the old files go, and the lines are
// mostly other entries' names, so that chains and cycles abound.
Scenario randomSwapScenario(std::mt19937& rng)
{
    Scenario s = randomScenario(rng);
    s.rules.deleteOld = true;
    s.rules.swap = true;
    for (auto& line : s.lines)
        if (!s.files.empty() && rng() % 2 == 0) {
            const std::string& f = s.files[rng() % s.files.size()];
            line = f.substr(0, f.find('.'));
        }
    // Now and then an entry the folder no longer holds as a file.
    if (!s.files.empty() && rng() % 4 == 0)
        s.changed.push_back(s.files[rng() % s.files.size()]);
    return s;
}

void lay(const ScratchDir& d, const Scenario& s)
{
    for (const auto& f : s.files) {
        if (std::count(s.changed.begin(), s.changed.end(), f) == 0)
            writeFile(d / f, "content of " + f);
        else if (f.size() % 2 == 0)
            d.mkdir(f);
    }
    for (const auto& b : s.blockers) {
        if (b.back() == '/')
            d.mkdir(b.substr(0, b.size() - 1));
        else
            writeFile(d / b, "hidden");
    }
    for (const auto& f : s.readOnly)
        ::chmod((d / f).c_str(), 0444);
}

void planEqualsRun(bool plainFs, int scenarios, unsigned seed, Scenario (*make)(std::mt19937&) = randomScenario,
                   bool listsKinds = true)
{
    std::mt19937 rng(seed);
    FaultSys faults;
    if (plainFs)
        plainFileSystem(faults);
    if (!listsKinds)
        faults.onReaddir = [&](DIR* dir) {
            struct dirent* e = faults.Sys::readdir(dir);
            if (e)
                e->d_type = DT_UNKNOWN;
            return e;
        };
    platform::ScopedSys use(faults);
    for (int k = 0; k < scenarios; ++k) {
        const Scenario s = make(rng);
        ScratchDir d;
        lay(d, s);
        auto folder = platform::FolderHandle::open(d.path()).value();
        ASSERT_TRUE(folder.valid());
        const Plan plan = makePlan(s.files, s.lines, static_cast<int>(s.lines.size()), s.rules,
                                   FolderOnDisk(folder.fd()));
        // The preview's plan, from one read of the folder after a few
        // looks of its own, with the names' own hashes or one for all.
        PlanRows rows;
        PlanProgress progress;
        makePlanRows(rows, s.files, [&s](size_t i) { return i < s.lines.size() ? s.lines[i] : std::string(); },
                     static_cast<int>(s.lines.size()), s.rules,
                     IndexedFolder(folder.fd(), k % 3, k % 2 ? oneHash : NameHashes::defaultHash), progress);

        RunRequest rq;
        rq.folder = std::move(folder);
        rq.entries = s.files;
        rq.lines = s.lines;
        rq.rule = s.rules.rule;
        rq.deleteOld = s.rules.deleteOld;
        rq.swap = s.rules.swap;
        std::vector<Reported> reported;
        rq.onStep = [&](RunStep st, const std::string& name) { reported.push_back({st, name}); };
        const RunCounts counts = runRename(rq);

        ASSERT_EQ(show(reported), show(expected(plan))) << s.describe();
        ASSERT_EQ(show(reported), show(expected(rows, s.files, s.lines, s.rules))) << s.describe();
        ASSERT_EQ(counts, plan.counts) << s.describe();
        ASSERT_EQ(counts, rows.counts) << s.describe();
        ASSERT_EQ(plan.unpairedLines,
                  std::max(0, static_cast<int>(s.lines.size()) - static_cast<int>(s.files.size())));
    }
}

TEST(PlanAndRun, AgreeOnEveryEntryOfRandomFolders)
{
    planEqualsRun(false, 2500, 20261209);
}

TEST(PlanAndRun, AgreeOnAFileSystemWithoutUnnamedFilesOrFastCopies)
{
    planEqualsRun(true, 1500, 4242);
}

TEST(PlanAndRun, AgreeWhereNamesAreSwapped)
{
    planEqualsRun(false, 1500, 777, randomSwapScenario);
}

// Where the folder's list gives no kinds, every entry is looked at.
TEST(PlanAndRun, AgreeWhereNamesAreSwappedInAFolderListedWithoutKinds)
{
    planEqualsRun(false, 500, 778, randomSwapScenario, false);
}

TEST(RunTouchesOnlyFiles, AFolderInAListedFilesPlaceIsNeitherMovedNorCopied)
{
    for (const bool deleteOld : {true, false}) {
        ScratchDir d;
        writeFile(d / "a.txt", "a");
        writeFile(d / "b.txt", "b");
        const std::vector<std::string> listed{"a.txt", "b.txt"};
        // After the list was read, "a.txt" became a folder.
        ::unlink((d / "a.txt").c_str());
        d.mkdir("a.txt");
        writeFile(d / "a.txt/inside", "kept");
        RunRequest rq;
        rq.folder = platform::FolderHandle::open(d.path()).value();
        rq.entries = listed;
        rq.lines = {"x", "y"};
        rq.deleteOld = deleteOld;
        std::vector<std::string> texts;
        rq.onStep = [&](RunStep st, const std::string& n) { texts.push_back(stepText(st, n)); };
        const RunCounts c = runRename(rq);
        EXPECT_EQ(c, (RunCounts{1, 1, 0, 0})) << deleteOld;
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0], "ファイル「x.txt」の作成に失敗しました");
        EXPECT_FALSE(d.exists("x.txt"));
        EXPECT_EQ(readFile(d / "a.txt/inside"), "kept");
        EXPECT_EQ(readFile(d / "y.txt"), "b");
    }
}

TEST(RunTouchesOnlyFiles, ANewNameBeginningWithADotIsRefused)
{
    ScratchDir d;
    writeFile(d / "-n.txt", "n");
    for (const bool deleteOld : {true, false}) {
        RunRequest rq;
        rq.folder = platform::FolderHandle::open(d.path()).value();
        rq.entries = {"-n.txt"};
        rq.lines = {".."};
        rq.deleteOld = deleteOld;
        std::vector<std::string> texts;
        rq.onStep = [&](RunStep st, const std::string& n) { texts.push_back(stepText(st, n)); };
        const RunCounts c = runRename(rq);
        EXPECT_EQ(c, (RunCounts{0, 1, 0, 0}));
        EXPECT_EQ(texts, std::vector<std::string>{"ファイル「...txt」の作成に失敗しました"});
        EXPECT_EQ(d.names(), std::vector<std::string>{"-n.txt"});
    }
}

}  // namespace
