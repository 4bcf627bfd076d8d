// The file list window's listing rules, free of any toolkit.
#include "filedialog/listing.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using platform::CodePage;
using testing_support::ScratchDir;

TEST(ListRules, ExtFilterIsTrimmedAndLowerCased)
{
    struct Case {
        const char* ext;
        const char* filter;
    } cases[] = {
        {"txt", ".txt"}, {"TXT", ".txt"}, {" Txt\t", ".txt"}, {"*", ".*"},
        {"", "."},       {".txt", "..txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nx::makeExtFilter(c.ext, CodePage::utf8), c.filter) << c.ext;
    // A Shift-JIS second byte in the letter range stays as it is.
    EXPECT_EQ(nx::makeExtFilter("\x83\x41X", CodePage::cp932), ".\x83\x41x");
}

TEST(ListRules, SplitsAtTheLastDot)
{
    struct Case {
        const char* name;
        const char* base;
        const char* ext;
    } cases[] = {
        {"a.txt", "a", ".txt"}, {"B.TXT", "B", ".txt"}, {"a.tar.gz", "a.tar", ".gz"},
        {"readme", "readme", ""}, {"a.", "a", "."},
    };
    for (const auto& c : cases) {
        const auto p = nx::splitName(c.name, CodePage::utf8);
        EXPECT_EQ(p.base, c.base) << c.name;
        EXPECT_EQ(p.ext, c.ext) << c.name;
    }
}

TEST(ListRules, MaskFollowsTheClassicWildcards)
{
    struct Case {
        const char* mask;
        const char* name;
        bool match;
    } cases[] = {
        {"*.*", "readme", true},      {"*.*", "a.b.c", true},
        {"data.*", "data", true},     {"data.*", "data.txt", true},
        {"data.*", "DATA.TXT", true}, {"data.*", "data.tar.gz", true},
        {"data.*", "database.txt", false},
        {"da*.*", "da", true},        {"da*.*", "data.txt", true},
        {"da*.*", "da.b.c", true},    {"da*.*", "xda.txt", false},
        {"a?.*", "ab.txt", true},     {"a?.*", "a.txt", true},
        {"a?.*", "abc.txt", false},   {"?.*", "写.txt", true},
        {"写*.*", "写真.jpg", true},  {"写*.*", "真写.jpg", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nx::matchesMask(c.name, c.mask, CodePage::utf8), c.match)
            << c.mask << " ~ " << c.name;
}

TEST(ListRules, SearchTextIsCaseSensitiveAndOnCharacterBoundaries)
{
    EXPECT_TRUE(nx::containsSearchText("Report", "", CodePage::utf8));
    EXPECT_TRUE(nx::containsSearchText("Report", "port", CodePage::utf8));
    EXPECT_FALSE(nx::containsSearchText("Report", "report", CodePage::utf8));
    // "\x83\x41" is one Shift-JIS character; "A" (0x41) is not inside it.
    EXPECT_FALSE(nx::containsSearchText("\x83\x41", "A", CodePage::cp932));
    EXPECT_TRUE(nx::containsSearchText("\x83\x41" "A", "A", CodePage::cp932));
}

namespace {
std::vector<std::string> bases(const std::vector<nx::ListedFile>& files)
{
    std::vector<std::string> out;
    for (const auto& f : files)
        out.push_back(f.base);
    std::sort(out.begin(), out.end());
    return out;
}
}  // namespace

TEST(ListRules, ListsPlainFilesUnderPatternFilterAndSearch)
{
    ScratchDir d;
    for (const char* n : {"a.txt", "B.TXT", "c.text", "d", "a.doc", "readme", ".hidden.txt",
                          "data1.txt", "data2.csv", "mydata.txt"})
        d.write(n);
    d.mkdir("sub.txt");
    const std::string dir = nx::withTrailingSeparator(d.path(), CodePage::utf8);
    using V = std::vector<std::string>;
    auto list = [&](const std::string& mask, const char* ext, const char* search = "") {
        return bases(nx::listFiles(nx::listingPattern(dir, mask),
                                   nx::makeExtFilter(ext, CodePage::utf8), search,
                                   CodePage::utf8));
    };
    EXPECT_EQ(list("", "txt"), (V{"B", "a", "data1", "mydata"}));
    EXPECT_EQ(list("", "TXT"), (V{"B", "a", "data1", "mydata"}));
    EXPECT_EQ(list("", "*"),
              (V{"B", "a", "a", "c", "d", "data1", "data2", "mydata", "readme"}));
    EXPECT_EQ(list("", ""), V{});
    EXPECT_EQ(list("", ".txt"), V{});
    EXPECT_EQ(list("data*", "txt"), V{"data1"});
    EXPECT_EQ(list("data*", "*"), (V{"data1", "data2"}));
    EXPECT_EQ(list("", "txt", "data"), (V{"data1", "mydata"}));
    EXPECT_EQ(list("", "txt", "Data"), V{});
    // A folder that does not exist lists nothing.
    EXPECT_TRUE(nx::listFiles(d.path() + "/nowhere/*.*", ".*", "", CodePage::utf8).empty());
}

// A name typed in place for an entry must leave the file in this folder and
// in the list: no "/" (it would move the file into another folder, or up
// with "../"), no leading "." (a hidden file that no listing shows), and
// not empty (the extension alone, which is hidden too).
TEST(ListRules, NameTypedInPlaceMustKeepTheFileListed)
{
    const struct {
        const char* text;
        bool kept;
    } cases[] = {
        {"b", true},           {"写真 2026", true},   {"a.b", true},
        {"\x95\x5c", true},  // Shift-JIS: the second byte equals "\"
        {"x.", true},          {"", false},           {".", false},
        {"..", false},         {".hidden", false},    {"sub/x", false},
        {"../x", false},       {"/x", false},         {"x/", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nx::keepsTheFileListed(c.text), c.kept) << c.text;
}
