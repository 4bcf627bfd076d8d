// The conversions of the kind of characters, on Japanese names.
#include "lines/conversion.h"

#include "linesupport.h"

#include <gtest/gtest.h>

using namespace lines;
using namespace lines_test;

namespace {

struct Case {
    const char* name;
    Conversion conversion;
    const char* line;
    const char* expected;  // nullptr: the line stays as it is
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Convert : public ::testing::TestWithParam<Case> {};

TEST_P(Convert, GivesTheLineExpected)
{
    const Case& c = GetParam();
    const Outcome o = Converter(c.conversion).run(texts({"", c.line}), {0, 2});
    EXPECT_EQ(changed(o), (c.expected ? Changed{{1, c.expected}} : Changed{}));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Convert,
    ::testing::Values(
        Case{"UpperLatinAndFullWidth", Conversion::upper, "photo ｐｈｏｔｏ straße 写真",
             "PHOTO ＰＨＯＴＯ STRASSE 写真"},
        Case{"UpperAlreadyUpper", Conversion::upper, "IMG_0001 写真", nullptr},
        Case{"Lower", Conversion::lower, "IMG_ＡＢＣ", "img_ａｂｃ"},
        Case{"CapitalizeKeepsTheRestOfEachWord", Conversion::capitalize,
             "hello WORLD my_photo bar-baz éclair 旅行", "Hello WORLD My_photo Bar-Baz Éclair 旅行"},
        Case{"HalfwidthLeavesKanaAlone", Conversion::toHalfwidth, "ＡＢＣ１２３！（　）ガｶﾞ￥",
             "ABC123!( )ガｶﾞ¥"},
        Case{"FullwidthOfAsciiAndSpace", Conversion::toFullwidth, "AB 1!~ｱ", "ＡＢ　１！～ｱ"},
        Case{"HalfKanaToFullComposesVoicedMarks", Conversion::halfKanaToFull, "ｶﾞｷﾞｮｳ ﾊﾟﾝ｡ABC",
             "ガギョウ パン。ABC"},
        Case{"HalfKanaLeavesFullWidthAlone", Conversion::halfKanaToFull, "カナ abc", nullptr},
        Case{"HiraganaToKatakana", Conversion::toKatakana, "らーめん ゔ ゝ abc", "ラーメン ヴ ヽ abc"},
        Case{"KatakanaToHiraganaKeepsTheLongVowelMark", Conversion::toHiragana, "コーヒー ヴ ヽ",
             "こーひー ゔ ゝ"},
        Case{"KatakanaToHiraganaLeavesHalfWidthAlone", Conversion::toHiragana, "ｶﾀｶﾅ", nullptr},
        Case{"TrimUnicodeBlanks", Conversion::trim, "\u3000 \t旅行 写真\u00a0 ", "旅行 写真"},
        Case{"TrimNothingToTrim", Conversion::trim, "旅行 写真", nullptr},
        Case{"Nfc", Conversion::nfc, "cafe\u0301 \u30cf\u309a", "caf\u00e9 \u30d1"},
        Case{"StandInsOfBytesStay", Conversion::upper, "\uf7e9abc\uf7ff", "\uf7e9ABC\uf7ff"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
