#include "platform/codepage.h"

#include <gtest/gtest.h>

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
