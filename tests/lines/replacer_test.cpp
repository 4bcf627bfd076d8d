// Find and replace on lines: literal and regular, letter case, first and
// every match, groups, counters, date tokens, NFC and no-break spaces, and
// the texts that are refused.
#include "lines/replacer.h"

#include "linesupport.h"

#include <gtest/gtest.h>

using namespace lines;
using namespace lines_test;

namespace {

const DateTime kShot{2024, 3, 5, 7, 8, 9, 12};

struct Case {
    const char* name;
    std::vector<std::string> lines;
    const char* search;
    const char* replacement;
    int flags;  // of the options below
    Changed expected;
    int withoutDate = 0;
    LineRange range = {0, 1000};
};
enum : int { kRegex = 1, kCase = 2, kAll = 4, kCounter = 8 };

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Replace : public ::testing::TestWithParam<Case> {};

TEST_P(Replace, ChangesTheLinesItShould)
{
    const Case& c = GetParam();
    ReplaceSettings s;
    s.search = fromUtf8(c.search);
    s.replacement = fromUtf8(c.replacement);
    s.regex = c.flags & kRegex;
    s.matchCase = c.flags & kCase;
    s.all = c.flags & kAll;
    s.counter = c.flags & kCounter;
    const Replacer r(s);
    ASSERT_FALSE(r.problem()) << r.problem()->message;
    // Line 0 has a date; every other line pairs with no file.
    FixedDates dates({{0, kShot}});
    const Outcome o = r.run(texts(c.lines), c.range, &dates);
    EXPECT_EQ(changed(o), c.expected);
    EXPECT_EQ(o.withoutDate, c.withoutDate);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Replace,
    ::testing::Values(
        Case{"LiteralFirstMatchOnly", {"a.b.c"}, ".", "-", 0, {{0, "a-b.c"}}},
        Case{"LiteralEveryMatch", {"a.b.c"}, ".", "-", kAll, {{0, "a-b-c"}}},
        Case{"LiteralKeepsDollarDigitsAndBraces", {"abc"}, "b", "[$1|$$|${x}|$]", 0,
             {{0, "a[$1|$|${x}|$]c"}}},
        Case{"LiteralSearchIsNoPattern", {"a+b", "aab"}, "a+", "x", 0, {{0, "xb"}}},
        Case{"CaselessAscii", {"ABC"}, "abc", "x", 0, {{0, "x"}}},
        Case{"CaselessFullWidthLatin", {"ＡＢＣ", "ａｂｃ"}, "ａｂ", "x", 0, {{0, "xＣ"}, {1, "xｃ"}}},
        Case{"MatchCase", {"ABC", "abc"}, "abc", "x", kCase, {{1, "x"}}},
        Case{"UnmatchedLinesAreLeftOut", {"one", "two"}, "z", "x", kAll, {}},
        Case{"EmptySearchChangesNothing", {"abc"}, "", "x", kAll, {}},
        Case{"RegexGroups", {"IMG_0012"}, "(\\w+?)_(\\d+)", "$2-$1", kRegex, {{0, "0012-IMG"}}},
        Case{"RegexWholeMatch", {"IMG_0012"}, "\\d+", "[$0]", kRegex, {{0, "IMG_[0012]"}}},
        Case{"RegexNamedGroup", {"IMG_0012"}, "(?<num>\\d+)", "#${num}", kRegex, {{0, "IMG_#0012"}}},
        Case{"RegexMissingGroupGivesNothing", {"IMG_0012"}, "(\\d+)", "<$2|${nope}>", kRegex,
             {{0, "IMG_<|>"}}},
        Case{"RegexUnsetGroupGivesNothing", {"ab"}, "a(x)?b", "[$1]", kRegex, {{0, "[]"}}},
        Case{"RegexTwoDigitGroup", {"abcdefghijk"}, "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "$11$1",
             kRegex, {{0, "ka"}}},
        Case{"RegexEmptyMatchesEverywhere", {"ab"}, "x*", "-", kRegex | kAll, {{0, "-a-b-"}}},
        Case{"RegexDigitsAreUnicode", {"写真１２"}, "\\d+", "#", kRegex, {{0, "写真#"}}},
        Case{"RegexCaseless", {"Photo"}, "^p", "P-", kRegex, {{0, "P-hoto"}}},
        Case{"NfdLineMatchesTypedNfc", {"cafe\u0301"}, "caf\u00e9", "bar", 0, {{0, "bar"}}},
        Case{"MatchingLineComesOutNfc", {"re\u0301sume\u0301 x"}, "x", "y", 0,
             {{0, "r\u00e9sum\u00e9 y"}}},
        Case{"UnmatchedNfdLineStaysAsItWas", {"cafe\u0301"}, "zzz", "y", 0, {}},
        Case{"NoBreakSpaceMatchesSpace", {"a\u00a0b c"}, " ", "_", kAll, {{0, "a_b_c"}}},
        Case{"NoBreakSpaceOutsideMatchStays", {"a\u00a0b-c"}, "-", "_", 0, {{0, "a\u00a0b_c"}}},
        Case{"StandInsOfBytesStay", {"\uf7e9x"}, "x", "y", 0, {{0, "\uf7e9y"}}},
        Case{"ResultLikeTheLineIsNoChange", {"abc"}, "b", "b", 0, {}},
        Case{"OnlyTheRangeGiven", {"a", "a", "a"}, "a", "b", 0, {{1, "b"}}, 0, {1, 2}},
        Case{"Counter", {"a", "b", "c"}, "^", "${}_", kRegex | kCounter, {{0, "0_a"}, {1, "1_b"}, {2, "2_c"}}},
        Case{"CounterSettingsInAnyOrder", {"a", "b"}, ".+", "${padding=3,start=10, increment=5}",
             kRegex | kCounter, {{0, "010"}, {1, "015"}}},
        Case{"CounterNegativeAndPadded", {"a", "b", "c"}, "a|b|c", "${start=-2,padding=3}",
             kRegex | kCounter, {{0, "-02"}, {1, "-01"}, {2, "000"}}},
        Case{"CounterAdvancesOnMatchingLinesOnly", {"a", "-", "a"}, "a", "a${}", kCounter,
             {{0, "a0"}, {2, "a1"}}},
        Case{"CounterAdvancesWhereTheLineStaysTheSame", {"v0", "v", "v"}, "v\\d?", "v${}",
             kRegex | kCounter, {{1, "v1"}, {2, "v2"}}},
        Case{"CounterSameOnEveryMatchOfALine", {"a-a", "a"}, "a", "${}", kAll | kCounter,
             {{0, "0-0"}, {1, "1"}}},
        Case{"CounterOffStaysAsTyped", {"a"}, "a", "${}${start=1}", kRegex, {{0, "${}${start=1}"}}},
        Case{"CounterThatIsNoneStaysAsTyped", {"a"}, "a", "${start=x}${start=1,}${step=2}",
             kCounter, {{0, "${start=x}${start=1,}${step=2}"}}},
        Case{"DateTokens", {"p"}, "p", "$YYYY-$MM-$DD $hh.$mm.$ss.$fff $YY $M/$D $h:$m:$s", 0,
             {{0, "2024-03-05 07.08.09.012 24 3/5 7:8:9"}}},
        Case{"DateTokensLongestFirst", {"p"}, "p", "$YYYYY $MMM $ffff $Y $f", 0,
             {{0, "2024Y 03M 012f $Y $f"}}},
        Case{"DateTokensWithRegexGroups", {"p1"}, "p(\\d)", "$1_$YYYY", kRegex, {{0, "1_2024"}}},
        Case{"NoDateLeavesTheLineAndIsCounted", {"p", "p", "q"}, "p", "$YYYY", 0, {{0, "2024"}}, 1},
        Case{"NoDateNeededWithoutToken", {"p", "p"}, "p", "x", 0, {{0, "x"}, {1, "x"}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
    const char* name;
    const char* search;
    std::string replacement;
    bool regex;
    ReplaceProblem::Kind kind;
    int offset;
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class Refused : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refused, SaysWhyAndChangesNothing)
{
    const Refusal& c = GetParam();
    ReplaceSettings s;
    s.search = fromUtf8(c.search);
    s.replacement = fromUtf8(c.replacement);
    s.regex = c.regex;
    const Replacer r(s);
    ASSERT_TRUE(r.problem());
    EXPECT_EQ(r.problem()->kind, c.kind);
    EXPECT_EQ(r.problem()->offset, c.offset);
    if (c.kind == ReplaceProblem::Kind::pattern) {
        EXPECT_FALSE(r.problem()->message.empty());
    }
    EXPECT_TRUE(r.run(texts({"a(b", "a\nb"}), {0, 2}, nullptr).changes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Refused,
    ::testing::Values(
        Refusal{"UnclosedGroup", "a(b", "x", true, ReplaceProblem::Kind::pattern, 3},
        // Offsets count characters: one beyond the basic plane is one.
        Refusal{"UnclosedGroupAfterWideCharacter", "𠀋(", "x", true, ReplaceProblem::Kind::pattern, 2},
        Refusal{"LineFeedInReplacement", "a", "x\ny", false, ReplaceProblem::Kind::lineBreak, 0},
        Refusal{"LineSeparatorInReplacement", "a", "x\u2028y", true, ReplaceProblem::Kind::lineBreak, 0},
        Refusal{"NulInReplacement", "a", std::string("x\0y", 3), false, ReplaceProblem::Kind::nul, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceDates, AskedOnlyForMatchingLinesOfTheKindChosen)
{
    ReplaceSettings s;
    s.search = u"p";
    s.replacement = u"$YYYY";
    s.date = DateKind::taken;
    FixedDates dates({{0, kShot}, {2, kShot}});
    const Outcome o = Replacer(s).run(texts({"p", "x", "p"}), {0, 3}, &dates);
    EXPECT_EQ(changed(o), (Changed{{0, "2024"}, {2, "2024"}}));
    EXPECT_EQ(dates.asked, (std::vector<std::pair<int, DateKind>>{{0, DateKind::taken}, {2, DateKind::taken}}));
}

TEST(ReplaceCancel, StopsWhenAsked)
{
    ReplaceSettings s;
    s.search = u"a";
    s.replacement = u"b";
    CancelFlag cancel{true};
    const Outcome o = Replacer(s).run(std::vector<Text>(1000, u"a"), {0, 1000}, nullptr, &cancel);
    EXPECT_TRUE(o.cancelled);
    EXPECT_LT(o.changes.size(), 1000u);
}

}  // namespace
