// The profile file engine on files written by hand.
#include "platform/inifile.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <ostream>

using namespace testing_support;
using platform::IniFile;

namespace {

constexpr const char* kHandWritten =
    "; written by hand\n"
    "stray=before any section\n"
    "  [ Window ]  \n"
    "Left = 10\n"
    "TOP=\t'20' \n"
    "quoted=\"a b\"\n"
    "unbalanced=\"abc'\n"
    "lonequote=\"\n"
    "empty=\n"
    "blanks=   \n"
    "eq=a=b\n"
    "left=99\n"
    "noequals\n"
    "\n"
    "[window]\n"
    "Right=5\n"
    "[Fold[er]x]\n"
    "path=/home/a b/[c]\n"
    "[日本語]\n"
    "鍵=値\n"
    "[Last]";

TEST(IniRead, HandWrittenFile)
{
    ScratchDir d;
    writeFile(d / "a.ini", kHandWritten);
    const IniFile ini(d / "a.ini");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Window", "Left", "10"},
        {"WINDOW", "left", "10"},        // names ignore ASCII case; first duplicate wins
        {" window ", "top", "20"},       // blanks around names, quotes removed
        {"Window", "quoted", "a b"},
        {"Window", "unbalanced", "\"abc'"},
        {"Window", "lonequote", "\""},
        {"Window", "empty", ""},         // present but empty: not the default
        {"Window", "blanks", ""},
        {"Window", "eq", "a=b"},         // the first "=" splits
        {"Window", "Right", "<def>"},    // only the first of duplicate sections counts
        {"Window", "noequals", "<def>"},
        {"Window", "stray", "<def>"},
        {"Fold[er", "path", "<def>"},
        {"Fold[er]x", "path", "/home/a b/[c]"},  // the name runs to the last "]"
        {"日本語", "鍵", "値"},
        {"Last", "x", "<def>"},
        {"Missing", "Left", "<def>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini.read(c.section, c.key, "<def>"), c.expected);
    }
}

TEST(IniRead, LineEndsAndByteOrderMark)
{
    ScratchDir d;
    for (const char* text : {"[s]\nk=v\n[t]\nk=w", "[s]\r\nk=v\r\n[t]\r\nk=w\r\n",
                             "[s]\rk=v\r[t]\rk=w\r", "\xEF\xBB\xBF[s]\r\nk=v\r\n[t]\nk=w"}) {
        SCOPED_TRACE(text);
        writeFile(d / "e.ini", text);
        const IniFile ini(d / "e.ini");
        EXPECT_EQ(ini.read("s", "k", "-"), "v");
        EXPECT_EQ(ini.read("t", "k", "-"), "w");
    }
}

TEST(IniRead, LongValuesAreCutAndMissingFileGivesDefaults)
{
    ScratchDir d;
    writeFile(d / "l.ini", "[s]\nk=" + std::string(3000, 'x') + "\n");
    EXPECT_EQ(IniFile(d / "l.ini").read("s", "k", ""), std::string(2047, 'x'));
    EXPECT_EQ(IniFile(d / "none.ini").read("s", "k", "def"), "def");
}

struct WriteCase {
    const char* name;
    const char* before;  // nullptr: no file
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class IniWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ChangesOnlyWhatItMust)
{
    const auto& c = GetParam();
    ScratchDir d;
    if (c.before)
        writeFile(d / "w.ini", c.before);
    IniFile ini(d / "w.ini");
    const platform::Status s = ini.write(c.section, c.key, c.value);
    ASSERT_TRUE(s) << std::strerror(s.error());
    EXPECT_EQ(readFile(d / "w.ini"), c.after);
    // No temporary file is left beside it.
    EXPECT_EQ(snapshot(d.path()).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Ini, IniWrite,
    ::testing::Values(
        WriteCase{"NewFile", nullptr, "s", "k", "v", "[s]\r\nk=v\r\n"},
        WriteCase{"ReplaceKeepsSpellingAndOtherLines",
                  "; note\n[S]\n  KEY = old \n[t]\nkey=x\n", "s", "key", "new",
                  "; note\r\n[S]\r\nKEY=new\r\n[t]\r\nkey=x\r\n"},
        WriteCase{"MissingKeyAfterLastNonBlankLine", "[a]\nx=1\n\n\n[b]\ny=2\n", "a", "z", "3",
                  "[a]\r\nx=1\r\nz=3\r\n\r\n\r\n[b]\r\ny=2\r\n"},
        WriteCase{"MissingKeyInEmptySection", "[a]\n\n[b]\n", "A", "k", "v",
                  "[a]\r\nk=v\r\n\r\n[b]\r\n"},
        WriteCase{"MissingSectionAtTheEnd", "[a]\nx=1\n\n", "b", "k", "v",
                  "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
        WriteCase{"NoFinalLineEnd", "[a]\nx=1", "a", "y", "2", "[a]\r\nx=1\r\ny=2\r\n"},
        WriteCase{"FirstOfDuplicateSectionsAndKeys", "[a]\nk=1\nk=2\n[a]\nk=3\n", "a", "k", "9",
                  "[a]\r\nk=9\r\nk=2\r\n[a]\r\nk=3\r\n"},
        WriteCase{"ByteOrderMarkDropped", "\xEF\xBB\xBF[a]\r\nk=1\r\n", "a", "k", "2",
                  "[a]\r\nk=2\r\n"},
        WriteCase{"LineBreakInValueWrittenEmpty", "[a]\nk=1\n", "a", "k", "/x\n[a]\nk=evil",
                  "[a]\r\nk=\r\n"},
        WriteCase{"CarriageReturnInValueWrittenEmpty", nullptr, "a", "k", "x\ry",
                  "[a]\r\nk=\r\n"},
        WriteCase{"BytesKeptAsTheyAre", "[\x82\xa0]\nk=\x83\x5c\n", "\x82\xa0", "k", "\x95\x5c",
                  "[\x82\xa0]\r\nk=\x95\x5c\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniWrite, ReadOnlyFileIsNotWrittenEvenByRoot)
{
    ScratchDir d;
    writeFile(d / "r.ini", "[a]\nk=1\n", 0444);
    IniFile ini(d / "r.ini");
    EXPECT_EQ(ini.write("a", "k", "2").error(), EACCES);
    EXPECT_EQ(readFile(d / "r.ini"), "[a]\nk=1\n");
}

TEST(IniWrite, UnreadableFileIsNotReplaced)
{
    ScratchDir d;
    ASSERT_EQ(::mkdir((d / "dir.ini").c_str(), 0755), 0);
    IniFile ini(d / "dir.ini");
    EXPECT_FALSE(ini.write("a", "k", "1"));
    EXPECT_EQ(snapshot(d.path()).at("dir.ini"), "<dir>");
}

}  // namespace


// A file that starts with the byte-order mark twice: whatever is read must
// read the same after the next write, and the written file carries no mark.
TEST(IniHostile, RepeatedByteOrderMarkNeitherWrittenNorChangesWhatIsRead)
{
    ScratchDir d;
    const std::string bom = "\xEF\xBB\xBF";
    d.write("s.ini", bom + bom + "[a]\r\nk=1\r\n");
    IniFile ini(d.file("s.ini"));
    const std::string before = ini.read("a", "k", "none");
    ASSERT_TRUE(ini.write("b", "x", "2"));
    const std::string text = d.read("s.ini");
    EXPECT_NE(text.compare(0, 3, bom), 0) << "the written file starts with a byte-order mark";
    EXPECT_EQ(IniFile(d.file("s.ini")).read("a", "k", "none"), before);
}

namespace {

using platform::CodePage;

// --- values that a read would change ---------------------------------------

struct QuoteCase {
    const char* name;
    std::string value;
    std::string line;  // the key's line as written
};

void PrintTo(const QuoteCase& c, std::ostream* os) { *os << c.name; }

class IniQuotes : public ::testing::TestWithParam<QuoteCase> {};

// What is written reads back as it was, through this engine and through any
// reader that drops blanks and one pair of quotes the same way.
TEST_P(IniQuotes, ValueReadsBackAsWritten)
{
    const auto& c = GetParam();
    ScratchDir d;
    IniFile ini(d / "q.ini");
    ASSERT_TRUE(ini.write("s", "k", c.value));
    EXPECT_EQ(readFile(d / "q.ini"), "[s]\r\n" + c.line + "\r\n");
    EXPECT_EQ(ini.read("s", "k", "<def>"), c.value);
    EXPECT_EQ(IniFile(d / "q.ini").read("s", "k", "<def>"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Ini, IniQuotes,
    ::testing::Values(QuoteCase{"PlainValueUnquoted", "/home/u/photo", "k=/home/u/photo"},
                      QuoteCase{"InnerBlanksUnquoted", "/home/u/my photo", "k=/home/u/my photo"},
                      QuoteCase{"EmptyUnquoted", "", "k="},
                      QuoteCase{"TrailingBlank", "/home/u/photo ", "k=\"/home/u/photo \""},
                      QuoteCase{"LeadingBlank", " photo", "k=\" photo\""},
                      QuoteCase{"OnlyBlanks", "   ", "k=\"   \""},
                      QuoteCase{"TrailingTab", "a\t", "k=\"a\t\""},
                      QuoteCase{"IdeographicSpaceIsNoBlank", "写真\xE3\x80\x80", "k=写真\xE3\x80\x80"},
                      QuoteCase{"DoubleQuotedName", "\"a\"", "k=\"\"a\"\""},
                      QuoteCase{"SingleQuotedName", "'a'", "k=\"'a'\""},
                      QuoteCase{"LoneQuoteUnquoted", "\"", "k=\""},
                      QuoteCase{"UnmatchedQuotesUnquoted", "\"a'", "k=\"a'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniQuotes, ReplacingAQuotedValueQuotesOnlyWhenNeeded)
{
    ScratchDir d;
    writeFile(d / "q.ini", "[s]\r\nLastDir=\"C:\\photo \"\r\n");
    IniFile ini(d / "q.ini");
    EXPECT_EQ(ini.read("s", "LastDir", ""), "C:\\photo ");
    ASSERT_TRUE(ini.write("s", "LastDir", "/home/u/photo"));
    EXPECT_EQ(readFile(d / "q.ini"), "[s]\r\nLastDir=/home/u/photo\r\n");
}

// --- Shift-JIS names ----------------------------------------------------

// Shift-JIS bytes, each written out: a hex escape would swallow a following
// letter.
const std::string kA = "\x83\x41";     // ア: its second byte is "A"
const std::string kDi = "\x83\x61";    // ヂ: its second byte is "a"
const std::string kDash = "\x81\x5D";  // ‐: its second byte is "]"

TEST(IniCp932, SecondBytesOfDoubleByteNamesNeverFold)
{
    ScratchDir d;
    writeFile(d / "j.ini", "[" + kA + "]\r\n" + kA + "=upper\r\n" + kDi + "=lower\r\n"
                               "[Window" + kA + "]\r\nLeft=1\r\n"
                               "[" + kDash + "]\r\nk=dash\r\n");
    const IniFile ini(d / "j.ini", CodePage::cp932, {});
    struct Case {
        std::string section, key;
        const char* expected;
    } const cases[] = {
        {kA, kA, "upper"},
        {kA, kDi, "lower"},            // two keys apart by their second byte
        {kDi, kA, "<def>"},            // and two sections
        {"WINDOW" + kA, "left", "1"},  // single-byte letters still fold
        {"window" + kDi, "Left", "<def>"},
        {kDash, "k", "dash"},          // "]" as a second byte ends no name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section + "/" + c.key);
        EXPECT_EQ(ini.read(c.section, c.key, "<def>"), c.expected);
    }
    // The same bytes read as UTF-8 fold as ASCII, as the engine always did.
    EXPECT_EQ(IniFile(d / "j.ini", CodePage::utf8, {}).read(kDi, kA, "<def>"), "upper");
}

TEST(IniCp932, WritingANameThatDiffersInASecondByteAddsIt)
{
    ScratchDir d;
    writeFile(d / "j.ini", "[" + kA + "]\r\nk=1\r\n");
    IniFile ini(d / "j.ini", CodePage::cp932, {});
    ASSERT_TRUE(ini.write(kDi, "k", "2"));
    ASSERT_TRUE(ini.write(kDash, "k", "3"));
    EXPECT_EQ(readFile(d / "j.ini"),
              "[" + kA + "]\r\nk=1\r\n[" + kDi + "]\r\nk=2\r\n[" + kDash + "]\r\nk=3\r\n");
    // A single-byte "]" is still no part of a name.
    EXPECT_FALSE(ini.write("a]b", "k", "v"));
}

// --- a file carried over from the other code page --------------------------

const std::vector<std::string> kOwnUtf8 = {"ウィンドウ", "前回"};
const std::string kWindowSjis = "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45";  // ウィンドウ
const std::string kLastSjis = "\x91\x4F\x89\xF1";                              // 前回
const std::string kPhotoSjis = "\x8E\xCA\x90\x5E";                             // 写真
const std::string kTableSjis = "\x95\x5C";                                     // 表

TEST(IniCarried, ShiftJisFileOfTheOwnerIsReadConvertedAndStaysShiftJis)
{
    ScratchDir d;
    // "∵" in the NEC form that a conversion back would not give.
    const std::string note = "; " + kPhotoSjis + "\x87\x9A";
    writeFile(d / "c.ini", note + "\r\n[" + kWindowSjis + "]\r\nLeft=1\r\n[" + kLastSjis +
                               "]\r\nLastDir=C:\\" + kPhotoSjis + "\\" + kTableSjis + "\r\n");
    IniFile ini(d / "c.ini", CodePage::utf8, kOwnUtf8);
    EXPECT_TRUE(ini.converted());
    EXPECT_EQ(ini.fileCodePage(), CodePage::cp932);
    EXPECT_EQ(ini.read("ウィンドウ", "Left", "-"), "1");
    // The backslash after a second byte stays a backslash.
    EXPECT_EQ(ini.read("前回", "LastDir", "-"), "C:\\写真\\表");
    ASSERT_TRUE(ini.write("前回", "LastDir", "/home/u/写真"));
    ASSERT_TRUE(ini.write("新しい", "Key", "表"));
    EXPECT_EQ(readFile(d / "c.ini"), note + "\r\n[" + kWindowSjis + "]\r\nLeft=1\r\n[" +
                                         kLastSjis + "]\r\nLastDir=/home/u/" + kPhotoSjis +
                                         "\r\n[\x90\x56\x82\xB5\x82\xA2]\r\nKey=" + kTableSjis +
                                         "\r\n");

    // A value Shift-JIS cannot hold turns the whole file to UTF-8, for good.
    ASSERT_TRUE(ini.write("前回", "LastDir", "/home/u/😀"));
    EXPECT_EQ(ini.fileCodePage(), CodePage::utf8);
    ASSERT_TRUE(ini.write("前回", "LastDir", "/home/u/写真"));
    EXPECT_EQ(readFile(d / "c.ini"), "; 写真∵\r\n[ウィンドウ]\r\nLeft=1\r\n[前回]\r\n"
                                     "LastDir=/home/u/写真\r\n[新しい]\r\nKey=表\r\n");
}

TEST(IniCarried, AFailedWriteLeavesTheFileInItsCodePage)
{
    ScratchDir d;
    const std::string text = "[" + kWindowSjis + "]\r\nk=" + kPhotoSjis + "\r\n";
    writeFile(d / "c.ini", text);
    IniFile ini(d / "c.ini", CodePage::utf8, kOwnUtf8);
    {
        testing_support::FaultSys faults;
        faults.failNthOf(testing_support::FaultSys::kWrite, 1, ENOSPC, true);
        platform::ScopedSys use(faults);
        EXPECT_FALSE(ini.write("ウィンドウ", "k", "😀"));
    }
    EXPECT_EQ(ini.fileCodePage(), CodePage::cp932);
    EXPECT_EQ(ini.text(), text);
    EXPECT_EQ(readFile(d / "c.ini"), text);
}

TEST(IniCarried, WhatIsNotTheOwnersIsLeftAsItIs)
{
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> own;
    } const cases[] = {
        {"another program's Shift-JIS file", "[" + kPhotoSjis + "]\r\nk=" + kTableSjis + "\r\n",
         kOwnUtf8},
        {"the owner's names only in a value", "[x]\r\nk=" + kWindowSjis + "\r\n", kOwnUtf8},
        {"no sections of its own given", "[" + kWindowSjis + "]\r\nk=1\r\n", {}},
        {"valid UTF-8 already", "[ウィンドウ]\r\nk=写真\r\n", kOwnUtf8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir d;
        writeFile(d / "c.ini", c.text);
        IniFile ini(d / "c.ini", CodePage::utf8, c.own);
        EXPECT_FALSE(ini.converted());
        ASSERT_TRUE(ini.write("z", "k", "1"));
        EXPECT_EQ(readFile(d / "c.ini"), c.text + "[z]\r\nk=1\r\n");
    }
}

TEST(IniCarried, LinesValidInBothAreForeignInAForeignFile)
{
    ScratchDir d;
    // Half-width ﾃｽ in Shift-JIS is also valid UTF-8 ("ý").
    writeFile(d / "h.ini", "[" + kWindowSjis + "]\r\nNote=\xC3\xBD\r\n");
    IniFile ini(d / "h.ini", CodePage::utf8, kOwnUtf8);
    EXPECT_TRUE(ini.converted());
    EXPECT_EQ(ini.read("ウィンドウ", "Note", "-"), "ﾃｽ");
}

TEST(IniCarried, InAFileBothSystemsWroteTheirOwnLinesStay)
{
    ScratchDir d;
    // Shift-JIS lines, then lines this system wrote: "写真" in UTF-8 is
    // valid Shift-JIS too, but "前回処理したフォルダ" in UTF-8 is not, so
    // the UTF-8 lines are this system's. A line that is neither UTF-8 nor
    // Shift-JIS is somebody's bytes.
    const std::string bad = "junk=\xFF\xFE";
    writeFile(d / "m.ini", "[" + kWindowSjis + "]\r\nk=" + kPhotoSjis + "\r\n" + bad +
                               "\r\n[前回処理したフォルダ]\r\nk=写真\r\n");
    IniFile ini(d / "m.ini", CodePage::utf8, kOwnUtf8);
    EXPECT_TRUE(ini.converted());
    EXPECT_EQ(ini.read("ウィンドウ", "k", "-"), "写真");
    EXPECT_EQ(ini.text(),
              "[ウィンドウ]\r\nk=写真\r\n" + bad + "\r\n[前回処理したフォルダ]\r\nk=写真\r\n");
}

TEST(IniCarried, Utf8FileOnAShiftJisSystem)
{
    ScratchDir d;
    // "ウィンドウ" in UTF-8 is valid Shift-JIS as well; "前回処理したフォルダ"
    // is not, which tells the file for UTF-8.
    writeFile(d / "u.ini", "[ウィンドウ]\r\nk=1\r\n[前回処理したフォルダ]\r\nk=2\r\n");
    IniFile ini(d / "u.ini", CodePage::cp932, {kWindowSjis});
    EXPECT_TRUE(ini.converted());
    EXPECT_EQ(ini.read(kWindowSjis, "k", "-"), "1");
    // It stays UTF-8, which holds whatever Shift-JIS does.
    ASSERT_TRUE(ini.write(kWindowSjis, "k", kPhotoSjis));
    EXPECT_EQ(readFile(d / "u.ini"), "[ウィンドウ]\r\nk=写真\r\n[前回処理したフォルダ]\r\nk=2\r\n");
}

TEST(IniCarried, ConvertTextBothWays)
{
    struct Case {
        std::string text;
        CodePage from, to;
        bool ok;
        std::string out;
    } const cases[] = {
        {kPhotoSjis + "\\" + kTableSjis, CodePage::cp932, CodePage::utf8, true, "写真\\表"},
        {"写真\\表", CodePage::utf8, CodePage::cp932, true, kPhotoSjis + "\\" + kTableSjis},
        {"abc", CodePage::cp932, CodePage::utf8, true, "abc"},
        {"\x80", CodePage::cp932, CodePage::utf8, false, ""},
        {"\x83", CodePage::cp932, CodePage::utf8, false, ""},       // a lead byte alone
        {"\xED\xA0\x80", CodePage::utf8, CodePage::utf8, false, ""},  // a surrogate
        {"\xC0\xAF", CodePage::utf8, CodePage::cp932, false, ""},   // an overlong "/"
        {"😀", CodePage::utf8, CodePage::cp932, false, ""},         // no Shift-JIS form
        {"写真", CodePage::utf8, CodePage::utf8, true, "写真"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string out;
        EXPECT_EQ(platform::convertText(c.text, c.from, c.to, out), c.ok);
        if (c.ok) {
            EXPECT_EQ(out, c.out);
        }
    }
}

}  // namespace
