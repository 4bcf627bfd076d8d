#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using platform::CodePage;

TEST(CodePage, StepsOverDoubleByteCharacters)
{
    // '表' is 0x95 0x5C in Shift-JIS: its second byte is the byte of "\".
    const std::string sjis = "a\x95\x5C" "b";
    EXPECT_EQ(platform::charLength(sjis, 1, CodePage::cp932), 2u);
    EXPECT_EQ(platform::findFirstChar(sjis, "\\", CodePage::cp932), std::string::npos);
    // Read as UTF-8 the same bytes are single bytes, so "\" is found.
    EXPECT_EQ(platform::findFirstChar(sjis, "\\", CodePage::utf8), 2u);

    const std::string utf8 = "x/表/y";  // 表 is three bytes in UTF-8
    EXPECT_EQ(platform::charLength(utf8, 2, CodePage::utf8), 3u);
    EXPECT_EQ(platform::findLastChar(utf8, "/", CodePage::utf8), 5u);
}

TEST(CodePage, InvalidAndTruncatedSequencesCountAsSingleBytes)
{
    const std::string cut = "\xE8\xA1";  // the first two bytes of a three-byte character
    EXPECT_EQ(platform::charLength(cut, 0, CodePage::utf8), 1u);
    const std::string stray = "\x80\xBF";
    EXPECT_EQ(platform::charLength(stray, 0, CodePage::utf8), 1u);
    // A Shift-JIS lead byte at the very end has no second byte.
    const std::string lead = "ab\x95";
    EXPECT_EQ(platform::charLength(lead, 2, CodePage::cp932), 1u);
}

TEST(CodePage, EndsWithCharIgnoresTrailByte)
{
    EXPECT_TRUE(platform::endsWithChar("dir/", '/', CodePage::utf8));
    EXPECT_FALSE(platform::endsWithChar("dir", '/', CodePage::utf8));
    EXPECT_FALSE(platform::endsWithChar("", '/', CodePage::utf8));
    EXPECT_FALSE(platform::endsWithChar("\x83\x5C", '\\', CodePage::cp932));  // 'ソ'
    EXPECT_TRUE(platform::endsWithChar("\x83\x5C\\", '\\', CodePage::cp932));
}

TEST(CodePage, SubstringSearchStartsOnBoundaries)
{
    // In Shift-JIS, "\x5C" inside 'ソ' must not match a search for "\".
    EXPECT_EQ(platform::findOnBoundary("\x83\x5C", "\\", CodePage::cp932), std::string::npos);
    EXPECT_EQ(platform::findOnBoundary("ab\x83\x5C" "cd", "cd", CodePage::cp932), 4u);
    EXPECT_EQ(platform::findOnBoundary("abc", "", CodePage::utf8), 0u);
    EXPECT_EQ(platform::findOnBoundary("abc", "abcd", CodePage::utf8), std::string::npos);
}

// The strict reading of UTF-8 that the settings file's encoding guess and the
// lossless display of names both rely on: each row is one sequence alone.
struct Utf8Row {
    const char* name;
    std::string bytes;
    char32_t codePoint;  // 0: not a character
};

void PrintTo(const Utf8Row& row, std::ostream* os) { *os << row.name; }

class StrictUtf8 : public testing::TestWithParam<Utf8Row> {};

TEST_P(StrictUtf8, ReadsOnlyWellFormedSequences)
{
    const Utf8Row& row = GetParam();
    size_t len = 99;
    EXPECT_EQ(platform::utf8CodePointAt(row.bytes, 0, len), row.codePoint);
    EXPECT_EQ(len, row.codePoint ? row.bytes.size() : 99u);
    EXPECT_EQ(platform::isValidUtf8(row.bytes), row.codePoint != 0);
    // The same bytes after ASCII and before more ASCII.
    EXPECT_EQ(platform::isValidUtf8("a" + row.bytes + "b"), row.codePoint != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StrictUtf8,
    testing::Values(Utf8Row{"TwoBytes", "\xC3\xA9", 0xE9},
                    Utf8Row{"ThreeBytes", "\xE8\xA1\xA8", 0x8868},
                    Utf8Row{"FourBytes", "\xF0\x9F\x98\x80", 0x1F600},
                    Utf8Row{"HighestCodePoint", "\xF4\x8F\xBF\xBF", 0x10FFFF},
                    Utf8Row{"LastBeforeSurrogates", "\xED\x9F\xBF", 0xD7FF},
                    Utf8Row{"OverlongTwoBytes", "\xC0\xAF", 0},
                    Utf8Row{"OverlongThreeBytes", "\xE0\x80\xAF", 0},
                    Utf8Row{"OverlongFourBytes", "\xF0\x8F\xBF\xBF", 0},
                    Utf8Row{"Surrogate", "\xED\xA0\x80", 0},
                    Utf8Row{"BeyondUnicode", "\xF4\x90\x80\x80", 0},
                    Utf8Row{"LeadBeyondF4", "\xF5\x80\x80\x80", 0},
                    Utf8Row{"CutShort", "\xE8\xA1", 0},
                    Utf8Row{"StrayContinuation", "\x80", 0},
                    Utf8Row{"BadContinuation", "\xE8\x41\xA8", 0},
                    Utf8Row{"ShiftJisBytes", "\x95\x5C", 0}),
    [](const testing::TestParamInfo<Utf8Row>& info) { return std::string(info.param.name); });

TEST(StrictUtf8Text, AsciiAndEmptyTextAreValid)
{
    EXPECT_TRUE(platform::isValidUtf8(""));
    EXPECT_TRUE(platform::isValidUtf8("meibo.ini\r\n"));
    size_t len = 99;
    EXPECT_EQ(platform::utf8CodePointAt("a", 0, len), 0u);
    EXPECT_EQ(len, 99u);
}
