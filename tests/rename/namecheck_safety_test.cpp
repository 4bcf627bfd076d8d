// Lines that must never slip past the name check into a path. Under
// Shift-JIS a lead byte may hide the next byte, but only a valid second
// byte: "/" or ":" after a stray lead byte is still a character of its own.
#include "rename/namerule.h"

#include <gtest/gtest.h>

using platform::CodePage;

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
