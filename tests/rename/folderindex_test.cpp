// The preview's plan of a folder it reads once: what a link, a folder, a
// read-only file or a name whose hash another name shares stands for is
// what a look at each would say, and a folder that cannot be read is
// looked at name by name.
#include "platform/folder.h"
#include "rename/folderindex.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using namespace renaming;

namespace {

std::uint64_t oneHash(std::string_view) { return 7; }

struct IndexCase {
    const char* name;
    const char* line;   // for the entry "a.txt"
    void (*lay)(const ScratchDir&);
    Outcome outcome;
};
void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.name; }

class IndexedPlan : public testing::TestWithParam<IndexCase> {};

TEST_P(IndexedPlan, SaysWhatALookAtEachNameWould)
{
    const IndexCase& c = GetParam();
    for (const NameHashes::Hash hash : {NameHashes::defaultHash, oneHash}) {
        ScratchDir d;
        d.write("a.txt");
        d.write("other.txt");
        c.lay(d);
        auto folder = platform::FolderHandle::open(d.path()).value();
        PlanRows rows;
        PlanProgress progress;
        makePlanRows(rows, {"a.txt"}, [&c](size_t) { return std::string(c.line); }, 1,
                     {NameRule::replace, platform::CodePage::utf8, true}, IndexedFolder(folder.fd(), 0, hash),
                     progress);
        EXPECT_EQ(static_cast<int>(rows.outcome(0)), static_cast<int>(c.outcome)) << (hash == oneHash);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, IndexedPlan,
    testing::Values(
        IndexCase{"FreeName", "new", [](const ScratchDir&) {}, Outcome::moved},
        IndexCase{"TakenByAFile", "other", [](const ScratchDir&) {}, Outcome::taken},
        IndexCase{"TakenByAFolder", "dir", [](const ScratchDir& d) { d.mkdir("dir.txt"); }, Outcome::taken},
        IndexCase{"TakenByADanglingLink", "gone",
                  [](const ScratchDir& d) { ASSERT_EQ(::symlink("nowhere", (d / "gone.txt").c_str()), 0); },
                  Outcome::taken},
        IndexCase{"OldNameALinkToAFile", "new",
                  [](const ScratchDir& d) {
                      ::unlink((d / "a.txt").c_str());
                      ASSERT_EQ(::symlink("other.txt", (d / "a.txt").c_str()), 0);
                  },
                  Outcome::moved},
        IndexCase{"OldNameAFolder", "new",
                  [](const ScratchDir& d) {
                      ::unlink((d / "a.txt").c_str());
                      d.mkdir("a.txt");
                  },
                  Outcome::oldNotFile},
        IndexCase{"OldNameGone", "new", [](const ScratchDir& d) { ::unlink((d / "a.txt").c_str()); },
                  Outcome::oldGone},
        IndexCase{"OldFileReadOnly", "new", [](const ScratchDir& d) { ::chmod((d / "a.txt").c_str(), 0444); },
                  Outcome::oldStays}),
    [](const testing::TestParamInfo<IndexCase>& i) { return std::string(i.param.name); });

// Enough entries for their files to be looked at on a thread ahead of the
// plan: each kind of old name comes out as a look at it would say.
TEST(IndexedFolder, LooksAheadAtTheEntriesAsALookAtEachWould)
{
    ScratchDir d;
    std::vector<std::string> entries, lines;
    for (int i = 0; i < 2400; ++i) {
        entries.push_back("p" + std::to_string(10000 + i));
        lines.push_back("q" + std::to_string(10000 + i));
        d.write(entries.back());
    }
    d.mkdir("dir");
    ::chmod((d / "p10007").c_str(), 0444);
    ASSERT_EQ(::symlink("p10001", (d / "link").c_str()), 0);
    for (const char* odd : {"dir", "link", "gone"}) {
        entries.push_back(odd);
        lines.push_back(std::string(odd) + "2");
    }
    auto folder = platform::FolderHandle::open(d.path()).value();
    const PlanRules rules{NameRule::replace, platform::CodePage::utf8, true};
    auto plan = [&](const FolderView& view) {
        PlanRows rows;
        PlanProgress progress;
        makePlanRows(rows, entries, [&](size_t i) { return lines[i]; }, static_cast<int>(lines.size()), rules, view,
                     progress);
        return rows.outcomes;
    };
    IndexedFolder ahead(folder.fd());
    ahead.lookAhead(entries);
    const auto outcomes = plan(ahead);
    EXPECT_EQ(outcomes, plan(FolderOnDisk(folder.fd())));
    EXPECT_EQ(outcomes[7], static_cast<std::uint8_t>(Outcome::oldStays));
    EXPECT_EQ(outcomes[2400], static_cast<std::uint8_t>(Outcome::oldNotFile));
    EXPECT_EQ(outcomes[2402], static_cast<std::uint8_t>(Outcome::oldGone));
}

TEST(IndexedFolder, AFolderThatCannotBeReadIsLookedAtNameByName)
{
    ScratchDir d;
    d.write("taken.txt");
    auto folder = platform::FolderHandle::open(d.path()).value();
    FaultSys faults;
    faults.failNthOf(FaultSys::kDirRead, 1, EACCES, true);
    platform::ScopedSys use(faults);
    const IndexedFolder view(folder.fd(), 0);
    EXPECT_EQ(view.state("taken.txt"), NameState::regular);
    EXPECT_EQ(view.state("free.txt"), NameState::missing);
    EXPECT_FALSE(view.indexed());
}

}  // namespace
