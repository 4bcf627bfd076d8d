// The preview's warning of shifted lines: which pairs look shifted, and
// which do not.
#include "rename/shiftcheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

struct ShiftCase {
    const char* name;
    Lines names, lines;
    bool warned;
    platform::CodePage cp = platform::CodePage::utf8;
};

void PrintTo(const ShiftCase& c, std::ostream* os) { *os << c.name; }

// "prefix01.jpg" ... for the numbers first .. first + count - 1.
Lines numbered(const std::string& prefix, int first, int count, const std::string& ext = "")
{
    Lines out;
    for (int i = first; i < first + count; ++i)
        out.push_back(prefix + (i < 10 ? "0" : "") + std::to_string(i) + ext);
    return out;
}

Lines with(Lines l, size_t at, const std::string& line)
{
    l[at] = line;
    return l;
}

class ShiftWarning : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftWarning, GivenOnlyWhenMostNumberedPairsAreOffByOneAmount)
{
    const ShiftCase& c = GetParam();
    renaming::ShiftCheck check(c.cp);
    for (size_t i = 0; i < std::min(c.names.size(), c.lines.size()); ++i)
        check.add(c.names[i], c.lines[i]);
    EXPECT_EQ(check.shifted(), c.warned);
}

INSTANTIATE_TEST_SUITE_P(
    Preview, ShiftWarning,
    ::testing::Values(
        ShiftCase{"EveryLineOneLess", numbered("IMG_", 1, 5, ".jpg"), numbered("photo", 0, 5), true},
        ShiftCase{"EveryLineTwoMore", numbered("a", 1, 6, ".txt"), numbered("b", 3, 6), true},
        ShiftCase{"FourPairsAreTooFew", numbered("IMG_", 1, 4, ".jpg"), numbered("p", 0, 4), false},
        ShiftCase{"NumbersAgree", numbered("IMG_", 1, 5, ".jpg"), numbered("p", 1, 5), false},
        ShiftCase{"EightOfTenShifted", numbered("f", 1, 10), with(with(numbered("f", 2, 10), 0, "f1"), 1, "f2"),
                  true},
        ShiftCase{"SevenOfTenShifted",
                  numbered("f", 1, 10),
                  with(with(with(numbered("f", 2, 10), 0, "f1"), 1, "f2"), 2, "f3"), false},
        ShiftCase{"DigitsOfTheExtensionAside", numbered("clip", 1, 5, ".mp4"), numbered("c", 2, 5), true},
        ShiftCase{"TwoRunsOfDigitsDoNotCount", numbered("2024_", 1, 5), numbered("2024_", 2, 5), false},
        ShiftCase{"LinesWithoutDigitsDoNotCount", numbered("f", 1, 5), {"a", "b", "c", "d", "e"}, false},
        ShiftCase{"LinesBeyondTheListDoNotCount", numbered("f", 1, 4), numbered("f", 2, 9), false},
        ShiftCase{"FullWidthDigits",
                  {"写真１", "写真２", "写真３", "写真４", "写真５"},
                  {"旅行０", "旅行１", "旅行２", "旅行３", "旅行４"}, true},
        ShiftCase{"ShiftJisFullWidthDigits",
                  {"\x82\x50", "\x82\x51", "\x82\x52", "\x82\x53", "\x82\x54"},
                  {"a2", "a3", "a4", "a5", "a6"}, true, platform::CodePage::cp932},
        ShiftCase{"NumbersBeyondEighteenDigits",
                  numbered("1234567890123456789", 1, 5), numbered("1234567890123456789", 2, 5), false}));

}  // namespace
