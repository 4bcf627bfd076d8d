#include "rename/namerule.h"

#include <gtest/gtest.h>

using platform::CodePage;
using renaming::NameRule;

namespace {

struct Example {
    const char* oldName;
    const char* line;
    const char* replaced;
    const char* appended;
};

void checkExamples(const Example* begin, const Example* end, CodePage cp)
{
    for (const Example* e = begin; e != end; ++e) {
        EXPECT_EQ(renaming::makeNewFileName(e->oldName, e->line, NameRule::replace, cp),
                  e->replaced)
            << e->oldName << " / " << e->line;
        EXPECT_EQ(renaming::makeNewFileName(e->oldName, e->line, NameRule::append, cp),
                  e->appended)
            << e->oldName << " / " << e->line;
    }
}

}  // namespace

TEST(NameRule, ExamplesUnderBothRules)
{
    const Example examples[] = {
        {"photo.jpg", "  trip ", "trip.jpg", "phototrip.jpg"},
        {"README", "x", "x", "READMEx"},
        {"a.tar.gz", "b", "b.gz", "a.tarb.gz"},
        {".profile", "x", "x.profile", "x.profile"},
        {"a.txt", "new.txt", "new.txt.txt", "anew.txt.txt"},
        {"a.txt", "   ", "", ""},
        {"a.txt", "", "", ""},
        {"a.txt", " \t\r ", "", ""},
        {"a.txt", "in\tside", "in\tside.txt", "ain\tside.txt"},
        // The ideographic space is a character, not a blank.
        {"a.txt", "　x", "　x.txt", "a　x.txt"},
        {"写真.jpeg", "旅行", "旅行.jpeg", "写真旅行.jpeg"},
    };
    checkExamples(std::begin(examples), std::end(examples), CodePage::utf8);
}

TEST(NameRule, ShiftJisTrailBytesAreNotSeparators)
{
    // 'a.表' keeps the extension '.表' even though 表's second byte is "\".
    const Example examples[] = {
        {"a.\x95\x5C", "b", "b.\x95\x5C", "ab.\x95\x5C"},
        {"\x83\x5C.txt", "x", "x.txt", "\x83\x5Cx.txt"},
    };
    checkExamples(std::begin(examples), std::end(examples), CodePage::cp932);
    EXPECT_EQ(renaming::extensionOf("a.\x95\x5C", CodePage::cp932), ".\x95\x5C");
    // Read byte by byte the same name would lose its extension at the "\".
    EXPECT_EQ(renaming::extensionOf("a.\x95\x5C", CodePage::utf8), "");
}

TEST(NameRule, CheckRefusesTheNineCharacters)
{
    for (const char* bad : {"a:b", "x/y", "?", "say \"hi\"", "a\\b", "*", "<", ">", "a|b"})
        EXPECT_FALSE(renaming::checkFileName(bad, CodePage::utf8)) << bad;
    for (const char* good : {"", "   ", "\t", "ok.txt", "..", " lead", "CON", "表", "ソ", "-x"})
        EXPECT_TRUE(renaming::checkFileName(good, CodePage::utf8)) << good;
    // In Shift-JIS, '表' and 'ソ' end in the byte of "\" and still pass.
    EXPECT_TRUE(renaming::checkFileName("\x95\x5C", CodePage::cp932));
    EXPECT_TRUE(renaming::checkFileName("\x83\x5C", CodePage::cp932));
    EXPECT_FALSE(renaming::checkFileName("\x83\x5C\\", CodePage::cp932));
}

TEST(NameRule, BaseOfKeepsNamesWithoutExtension)
{
    EXPECT_EQ(renaming::baseOf("a.txt", CodePage::utf8), "a");
    EXPECT_EQ(renaming::baseOf("c", CodePage::utf8), "c");
    EXPECT_EQ(renaming::baseOf(".profile", CodePage::utf8), "");
    EXPECT_EQ(renaming::baseOf("a.tar.gz", CodePage::utf8), "a.tar");
    EXPECT_EQ(renaming::baseOf("trailing.", CodePage::utf8), "trailing");
}

// Lines that must never slip past the name check into a path. Under
// Shift-JIS a lead byte may hide the next byte, but only a valid second
// byte: "/" or ":" after a stray lead byte is still a character of its own.
TEST(NameCheckSafety, DoubleByteCharactersHideOnlyValidSecondBytes)
{
    struct Case {
        const char* line;
        bool passes;
    } const cases[] = {
        {"\x95\x5c", true},       // 表: second byte equals "\"
        {"\x83\x5c", true},       // ソ
        {"\x81\x7c", true},       // a double-byte character whose second byte equals "|"
        {"\x81/..", false},       // stray lead byte before "/"
        {"\x81:x", false},        // before ":"
        {"\x9f\"", false},        // before a double quote
        {"\xe0*", false},         // before "*"
        {"\xfc?", false},         // before "?"
        {"\x81<\x81>", false},    // before "<" and ">"
        {"a\x81", true},          // a lead byte at the very end stands alone
        {"\x81\x81/", false},     // a pair, then "/" on its own
        {"\x81\x40\x81/", false}, // a character, a stray lead, then "/"
    };
    for (const Case& c : cases)
        EXPECT_EQ(renaming::checkFileName(c.line, CodePage::cp932), c.passes)
            << testing::PrintToString(std::string(c.line));
}

TEST(NameCheckSafety, PassingLineNeverBringsASlashIntoTheNewName)
{
    for (CodePage cp : {CodePage::cp932, CodePage::utf8})
        for (const char* line : {"\x81/../x", "\xe0/", "\xc3/", "\xe3\x81/"}) {
            const std::string made =
                renaming::makeNewFileName("a.txt", line, renaming::NameRule::replace, cp);
            EXPECT_FALSE(renaming::checkFileName(line, cp) &&
                         made.find('/') != std::string::npos)
                << testing::PrintToString(std::string(line));
        }
}
