// The plan of a run: what every entry will become, in list order, seen from
// a folder the test describes.
#include "rename/plan.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <sstream>

namespace {

using namespace renaming;

// A folder described by its names: "name" a file, "name/" a folder,
// "name!" a read-only file. A folding one takes names that differ only in
// the case of ASCII letters for one, as vfat does.
class Described : public FolderView {
public:
    Described(std::initializer_list<const char*> names) : Described(false, names) {}
    Described(bool folds, std::initializer_list<const char*> names) : folds_(folds)
    {
        for (std::string n : names) {
            if (n.back() == '/') {
                n.pop_back();
                kinds_[key(n)] = NameState::other;
            } else if (n.back() == '!') {
                n.pop_back();
                kinds_[key(n)] = NameState::regular;
                readOnly_.insert(key(n));
            } else {
                kinds_[key(n)] = NameState::regular;
            }
        }
    }
    NameState state(const std::string& name) const override
    {
        const auto it = kinds_.find(key(name));
        return it == kinds_.end() ? NameState::missing : it->second;
    }
    bool readOnly(const std::string& name) const override { return readOnly_.count(key(name)) > 0; }
    bool foldsCase() const override { return folds_; }

private:
    std::string key(std::string n) const
    {
        if (folds_)
            for (char& c : n)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return n;
    }
    bool folds_;
    std::map<std::string, NameState> kinds_;
    std::set<std::string> readOnly_;
};

Described folding(std::initializer_list<const char*> names) { return Described(true, names); }

const char* word(Outcome o)
{
    switch (o) {
    case Outcome::badLine: return "badLine";
    case Outcome::noName: return "noName";
    case Outcome::hiddenName: return "hiddenName";
    case Outcome::unacceptable: return "unacceptable";
    case Outcome::oldGone: return "oldGone";
    case Outcome::oldNotFile: return "oldNotFile";
    case Outcome::taken: return "taken";
    case Outcome::takenByRun: return "takenByRun";
    case Outcome::copied: return "copied";
    case Outcome::moved: return "moved";
    case Outcome::oldStays: return "oldStays";
    case Outcome::notMade: return "notMade";
    case Outcome::notRemoved: return "notRemoved";
    }
    return "?";
}

// "old>new:outcome" per entry, with "@j" for the entry it depends on.
std::string describe(const Plan& p)
{
    std::ostringstream s;
    for (const auto& e : p.entries) {
        s << e.oldName << '>' << e.newName << ':' << word(e.outcome);
        if (e.because >= 0)
            s << '@' << e.because;
        s << ' ';
    }
    return s.str();
}

struct PlanCase {
    const char* name;
    Described folder;
    std::vector<std::string> entries;
    std::vector<std::string> lines;
    bool deleteOld;
    NameRule rule;
    std::string want;
    RunCounts counts;
    int unpaired;
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.name; }

class PlanCases : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanCases, SaysWhatTheRunWillDo)
{
    const PlanCase& c = GetParam();
    const PlanRules rules{c.rule, platform::CodePage::utf8, c.deleteOld};
    const Plan p = makePlan(
        c.entries, c.lines, static_cast<int>(c.lines.size()), rules, c.folder);
    EXPECT_EQ(describe(p), c.want);
    EXPECT_EQ(p.counts, c.counts);
    EXPECT_EQ(p.unpairedLines, c.unpaired);
}

const std::string kLong(260, 'x');

INSTANTIATE_TEST_SUITE_P(
    Plan, PlanCases,
    ::testing::Values(
        PlanCase{"LinesOfEveryKind", Described{"a.txt", "b.txt", "c.txt", "d.txt"},
                 {"a.txt", "b.txt", "c.txt", "d.txt"}, {"x", "a?b", "  "}, false,
                 NameRule::replace, "a.txt>x.txt:copied b.txt>:badLine c.txt>:noName d.txt>:noName ",
                 {1, 1, 2, 0}, 0},
        PlanCase{"OwnNameIsTaken", Described{"a.txt"}, {"a.txt"}, {"a"}, true,
                 NameRule::replace, "a.txt>a.txt:taken ", {0, 1, 0, 0}, 0},
        PlanCase{"DuplicateLinesFirstWins", Described{"a", "b"}, {"a", "b"}, {"n", "n"}, false,
                 NameRule::replace, "a>n:copied b>n:takenByRun@0 ", {1, 1, 0, 0}, 0},
        PlanCase{"SwapFailsBothWays", Described{"a", "b"}, {"a", "b"}, {"b", "a"}, true,
                 NameRule::replace, "a>b:taken b>a:taken ", {0, 2, 0, 0}, 0},
        PlanCase{"ChainWaitsForNoOne", Described{"a", "b"}, {"a", "b"}, {"b", "c"}, true,
                 NameRule::replace, "a>b:taken b>c:moved ", {1, 1, 0, 0}, 0},
        PlanCase{"NameFreedByAnEarlierMove", Described{"a", "b"}, {"a", "b"}, {"c", "a"}, true,
                 NameRule::replace, "a>c:moved b>a:moved@0 ", {2, 0, 0, 0}, 0},
        PlanCase{"NameNotFreedByACopy", Described{"a", "b"}, {"a", "b"}, {"c", "a"}, false,
                 NameRule::replace, "a>c:copied b>a:taken ", {1, 1, 0, 0}, 0},
        PlanCase{"ReadOnlyOldFileStays", Described{"a.txt!"}, {"a.txt"}, {"b"}, true,
                 NameRule::replace, "a.txt>b.txt:oldStays ", {0, 0, 0, 1}, 0},
        PlanCase{"ReadOnlyOldFileIsCopiedWhenNotDeleting", Described{"a.txt!"}, {"a.txt"},
                 {"b"}, false, NameRule::replace, "a.txt>b.txt:copied ", {1, 0, 0, 0}, 0},
        PlanCase{"NameOfAFolderOrHiddenFileIsTaken", Described{"a", "b", "x/", ".y"},
                 {"a", "b"}, {"x", ".y"}, true, NameRule::replace,
                 "a>x:taken b>.y:hiddenName ", {0, 2, 0, 0}, 0},
        PlanCase{"DotLineGivesAHiddenName", Described{"-n.txt"}, {"-n.txt"}, {".."}, false,
                 NameRule::replace, "-n.txt>...txt:hiddenName ", {0, 1, 0, 0}, 0},
        PlanCase{"EntryNowAFolderOrGone", Described{"a/"}, {"a", "b"}, {"x", "y"}, true,
                 NameRule::replace, "a>x:oldNotFile b>y:oldGone ", {0, 2, 0, 0}, 0},
        PlanCase{"TooLongForTheFileSystem", Described{"a"}, {"a"}, {kLong}, false,
                 NameRule::replace, "a>" + kLong + ":unacceptable ", {0, 1, 0, 0}, 0},
        PlanCase{"NulByteInTheLine", Described{"a.txt"}, {"a.txt"}, {std::string("x\0y", 3)},
                 true, NameRule::replace, std::string("a.txt>x") + '\0' + "y.txt:unacceptable ",
                 {0, 1, 0, 0}, 0},
        PlanCase{"NameTakenInAnotherCase", folding({"a.txt", "b.txt"}), {"a.txt"}, {"B"}, true,
                 NameRule::replace, "a.txt>B.txt:taken ", {0, 1, 0, 0}, 0},
        PlanCase{"NameMadeThenTakenInAnotherCase", folding({"a.txt", "b.txt", "c.txt"}),
                 {"a.txt", "b.txt", "c.txt"}, {"x", "X", "y"}, false, NameRule::replace,
                 "a.txt>x.txt:copied b.txt>X.txt:takenByRun@0 c.txt>y.txt:copied ",
                 {2, 1, 0, 0}, 0},
        PlanCase{"NameMadeThenTakenOnlyWhereCaseFolds", Described{"a.txt", "b.txt"},
                 {"a.txt", "b.txt"}, {"x", "X"}, false, NameRule::replace,
                 "a.txt>x.txt:copied b.txt>X.txt:copied ", {2, 0, 0, 0}, 0},
        PlanCase{"NameFreedThenMadeInAnotherCase", folding({"a.txt", "b.txt"}),
                 {"a.txt", "b.txt"}, {"c", "A"}, true, NameRule::replace,
                 "a.txt>c.txt:moved b.txt>A.txt:moved@0 ", {2, 0, 0, 0}, 0},
        PlanCase{"NameFreedThenMadeInAnotherCaseAndMadeAgain", folding({"a.TXT", "b.txt", "c.txt"}),
                 {"a.TXT", "b.txt", "c.txt"}, {"d", "A", "a"}, true, NameRule::replace,
                 "a.TXT>d.TXT:moved b.txt>A.txt:moved@0 c.txt>a.txt:takenByRun@1 ",
                 {2, 1, 0, 0}, 0},
        // Only ASCII letters fold, as vfat folds UTF-8 names.
        PlanCase{"LettersBeyondAsciiStayApart", folding({"a.txt", "b.txt"}), {"a.txt", "b.txt"},
                 {"\xC3\xA9", "\xC3\x89"}, false, NameRule::replace,
                 "a.txt>\xC3\xA9.txt:copied b.txt>\xC3\x89.txt:copied ", {2, 0, 0, 0}, 0},
        PlanCase{"AppendRuleAndUnpairedLines", Described{"a.txt"}, {"a.txt"}, {"b", "c", "d"},
                 false, NameRule::append, "a.txt>ab.txt:copied ", {1, 0, 0, 0}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// The order of a plan's steps: "2" an entry, "0>~" to its temporary name,
// "~>0" from it.
std::string orderOf(const Plan& p)
{
    std::ostringstream s;
    for (const auto& st : p.order) {
        if (st.kind == PlannedStep::Kind::toTemporary)
            s << st.entry << ">~ ";
        else if (st.kind == PlannedStep::Kind::fromTemporary)
            s << "~>" << st.entry << ' ';
        else
            s << st.entry << ' ';
    }
    return s.str();
}

struct SwapCase {
    const char* name;
    Described folder;
    std::vector<std::string> entries;
    std::vector<std::string> lines;
    std::string want;
    std::string order;
    RunCounts counts;
};

void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.name; }

class SwapPlanCases : public ::testing::TestWithParam<SwapCase> {};

TEST_P(SwapPlanCases, OrdersTheMovesSoThatChainsAndCyclesSucceed)
{
    const SwapCase& c = GetParam();
    PlanRules rules{NameRule::replace, platform::CodePage::utf8, true, true};
    const Plan p = makePlan(c.entries, c.lines, static_cast<int>(c.lines.size()), rules, c.folder);
    EXPECT_EQ(describe(p), c.want);
    EXPECT_EQ(orderOf(p), c.order);
    EXPECT_EQ(p.counts, c.counts);
}

INSTANTIATE_TEST_SUITE_P(
    Plan, SwapPlanCases,
    ::testing::Values(
        SwapCase{"TwoSwapped", Described{"a", "b"}, {"a", "b"}, {"b", "a"}, "a>b:moved@1 b>a:moved@0 ",
                 "0>~ 1 ~>0 ", {2, 0, 0, 0}},
        SwapCase{"ThreeInACycle", Described{"a", "b", "c"}, {"a", "b", "c"}, {"b", "c", "a"},
                 "a>b:moved@1 b>c:moved@2 c>a:moved@0 ", "0>~ 2 1 ~>0 ", {3, 0, 0, 0}},
        SwapCase{"ChainInListOrder", Described{"a", "b"}, {"a", "b"}, {"b", "c"}, "a>b:moved@1 b>c:moved ",
                 "1 0 ", {2, 0, 0, 0}},
        SwapCase{"ShiftByOne", Described{"f1", "f2", "f3", "f4"}, {"f1", "f2", "f3", "f4"},
                 {"f2", "f3", "f4", "f5"}, "f1>f2:moved@1 f2>f3:moved@2 f3>f4:moved@3 f4>f5:moved ",
                 "3 2 1 0 ", {4, 0, 0, 0}},
        SwapCase{"ShiftBackByOneNeedsNoReordering", Described{"f1", "f2", "f3"}, {"f1", "f2", "f3"},
                 {"f0", "f1", "f2"}, "f1>f0:moved f2>f1:moved@0 f3>f2:moved@1 ", "0 1 2 ", {3, 0, 0, 0}},
        SwapCase{"ChainEndingInATakenName", Described{"a", "b", "x"}, {"a", "b"}, {"b", "x"},
                 "a>b:taken b>x:taken ", "0 1 ", {0, 2, 0, 0}},
        SwapCase{"ChainThroughAReadOnlyFile", Described{"a", "b!"}, {"a", "b"}, {"b", "c"},
                 "a>b:taken b>c:oldStays ", "1 0 ", {0, 1, 0, 1}},
        SwapCase{"SwapWithAReadOnlyFileFails", Described{"a!", "c"}, {"a", "c"}, {"c", "a"},
                 "a>c:taken c>a:taken ", "1 0 ", {0, 2, 0, 0}},
        SwapCase{"FirstToAskGetsTheName", Described{"a", "b", "c"}, {"a", "b", "c"}, {"c", "c", "d"},
                 "a>c:moved@2 b>c:takenByRun@0 c>d:moved ", "2 0 1 ", {2, 1, 0, 0}},
        SwapCase{"NameAskedForByTwoAndFreedByNone", Described{"a", "b", "c"}, {"a", "b", "c"},
                 {"c", "c", "c"}, "a>c:taken b>c:taken c>c:taken ", "0 1 2 ", {0, 3, 0, 0}},
        SwapCase{"CycleBesideAFailure", Described{"a", "b", "c"}, {"a", "b", "c"}, {"c", "x?", "a"},
                 "a>c:moved@2 b>:badLine c>a:moved@0 ", "0>~ 2 ~>0 1 ", {2, 1, 0, 0}},
        SwapCase{"CaseOnlyWhereCaseFolds", folding({"a.txt"}), {"a.txt"}, {"A"}, "a.txt>A.txt:moved ",
                 "0>~ ~>0 ", {1, 0, 0, 0}},
        SwapCase{"CaseOnlyWhereItDoesNot", Described{"a.txt"}, {"a.txt"}, {"A"}, "a.txt>A.txt:moved ",
                 "0 ", {1, 0, 0, 0}},
        SwapCase{"EntryGoneFreesItsName", Described{"a"}, {"a", "b"}, {"b", "c"}, "a>b:moved b>c:oldGone ",
                 "0 1 ", {1, 1, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// Unchecked, or with the old files kept, a swap fails as it always has.
TEST(SwapPlan, OnlyWithTheOldFilesDeleted)
{
    PlanRules rules{NameRule::replace, platform::CodePage::utf8, false, true};
    const Plan p = makePlan({"a", "b"}, {"b", "a"}, 2, rules, Described{"a", "b"});
    EXPECT_EQ(describe(p), "a>b:taken b>a:taken ");
    EXPECT_EQ(orderOf(p), "0 1 ");
}

TEST(PlanOutcomes, StepsAndCountsAgreeForEveryOutcome)
{
    for (int o = 0; o <= static_cast<int>(Outcome::notRemoved); ++o) {
        const auto outcome = static_cast<Outcome>(o);
        RunCounts c;
        countInto(c, outcome);
        EXPECT_EQ(c.success + c.failed + c.ignored + c.deleteFailed, 1) << word(outcome);
        const auto steps = stepsOf(outcome);
        // A success or a failed deletion always reports the made file first.
        if (c.success || c.deleteFailed) {
            ASSERT_FALSE(steps.empty()) << word(outcome);
            EXPECT_EQ(steps.front(), RunStep::created) << word(outcome);
        }
        if (c.failed && outcome != Outcome::badLine) {
            EXPECT_EQ(steps, std::vector<RunStep>{RunStep::createFailed}) << word(outcome);
        }
        if (c.ignored || outcome == Outcome::badLine) {
            EXPECT_TRUE(steps.empty()) << word(outcome);
        }
    }
}

// The preview's words of an outcome begin with the word the summary counts
// it under, so that the two never tell different stories.
TEST(PlanOutcomes, WordsBeginWithTheCounterOfTheSummary)
{
    for (int o = 0; o <= static_cast<int>(Outcome::notRemoved); ++o) {
        const auto outcome = static_cast<Outcome>(o);
        RunCounts c;
        countInto(c, outcome);
        const char* counter = c.success ? "成功：" : c.failed ? "失敗：" : c.ignored ? "無視：" : "削除失敗：";
        EXPECT_TRUE(outcomeWords(outcome, 2).starts_with(counter)) << word(outcome);
    }
    EXPECT_EQ(outcomeWords(Outcome::takenByRun, 2), "失敗：3 番が先にこの名前を作ります");
    EXPECT_EQ(outcomeWords(Outcome::moved, 0), "成功：作成して古いファイルを削除（1 番が空ける名前）");
}

}  // namespace
