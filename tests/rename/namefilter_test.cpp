// The patterns of the list's filter as a user types them.
#include "rename/namefilter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct FilterCase {
    const char* name;
    const char* text;
    platform::CodePage cp;
    std::vector<std::string> patterns;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class FilterPatterns : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterPatterns, SplitAtSemicolonsAndBlanks)
{
    const FilterCase& c = GetParam();
    EXPECT_EQ(renaming::NameFilter(c.text, c.cp).patterns(), c.patterns);
}

using platform::CodePage;

INSTANTIATE_TEST_SUITE_P(
    NameFilter, FilterPatterns,
    ::testing::Values(
        FilterCase{"Semicolons", "*.jpg;*.jpeg", CodePage::utf8, {"*.jpg", "*.jpeg"}},
        FilterCase{"BlanksAndTabs", " *.png \t*.gif ", CodePage::utf8, {"*.png", "*.gif"}},
        FilterCase{"FullWidthSeparators", "*.jpg\xEF\xBC\x9B*.png\xE3\x80\x80*.gif", CodePage::utf8,
                   {"*.jpg", "*.png", "*.gif"}},
        FilterCase{"ShiftJisSeparators", "*.jpg\x81\x47*.png\x81\x40*.gif", CodePage::cp932,
                   {"*.jpg", "*.png", "*.gif"}},
        // "＝" (0x81 0x81) before "@" (0x40): no ideographic space in between.
        FilterCase{"ShiftJisTrailByteIsNoSeparator", "\x81\x81\x40*", CodePage::cp932,
                   {"\x81\x81\x40*"}},
        FilterCase{"NothingButSeparators", " ;\xE3\x80\x80; ", CodePage::utf8, {}}));

TEST(NameFilter, MatchesIgnoringCase)
{
    const renaming::NameFilter f("*.JPG;IMG_????.raw", CodePage::utf8);
    for (const char* name : {"a.jpg", "B.Jpg", "img_0001.RAW"})
        EXPECT_TRUE(f.matches(name)) << name;
    for (const char* name : {"a.jpg.xmp", "a.jpeg", "IMG_01.raw"})
        EXPECT_FALSE(f.matches(name)) << name;
    EXPECT_TRUE(renaming::NameFilter("").matches("anything"));
}

}  // namespace
