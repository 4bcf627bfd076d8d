// The profile file engine on files written by hand.
#include "platform/inifile.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

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
    int err = 0;
    ASSERT_TRUE(ini.write(c.section, c.key, c.value, &err)) << err;
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
    int err = 0;
    EXPECT_FALSE(ini.write("a", "k", "2", &err));
    EXPECT_EQ(err, EACCES);
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
