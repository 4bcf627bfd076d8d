// Files of names: their encodings, CSV and TSV as spreadsheets write them,
// the refusals, and the table of current and new names.
#include "lines/importfile.h"
#include "lines/namemap.h"

#include "linesupport.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace lines;
using namespace lines_test;
using testing_support::ScratchDir;

namespace {

std::vector<std::vector<std::string>> rowsUtf8(const std::vector<Row>& rows)
{
    std::vector<std::vector<std::string>> out;
    for (const Row& r : rows) {
        out.emplace_back();
        for (const Text& f : r)
            out.back().push_back(toUtf8(f));
    }
    return out;
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    Encoding encoding;
    const char* text;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, FindsTheEncoding)
{
    const DecodeCase& c = GetParam();
    const DecodeResult r = decodeText(c.bytes);
    ASSERT_TRUE(r.decoded);
    EXPECT_EQ(r.decoded->encoding, c.encoding);
    EXPECT_EQ(toUtf8(r.decoded->text), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Decode,
    ::testing::Values(
        DecodeCase{"Utf8", "旅行\n", Encoding::utf8, "旅行\n"},
        DecodeCase{"Utf8WithMark", "\xEF\xBB\xBF旅行", Encoding::utf8Bom, "旅行"},
        DecodeCase{"Utf16LittleEndian", std::string("\xFF\xFE\x45\x65\x0A\x00\x3D\xD8\x00\xDE", 10),
                   Encoding::utf16le, "故\n😀"},
        DecodeCase{"Utf16BigEndian", std::string("\xFE\xFF\x65\x45\x00\x0A", 6), Encoding::utf16be,
                   "故\n"},
        DecodeCase{"Utf16LoneSurrogate", std::string("\xFF\xFE\x3D\xD8\x41\x00", 6), Encoding::utf16le,
                   "\uFFFDA"},
        DecodeCase{"ShiftJis", "\x83\x65\x83\x58\x83\x67,\x8e\xca\x90\x5e\x5c", Encoding::cp932,
                   "テスト,写真\\"},
        DecodeCase{"ShiftJisWindowsSigns", "\x87\x40\x81\x60\x81\x7c\xed\x40", Encoding::cp932,
                   "①～－纊"},
        DecodeCase{"ShiftJisBadByte", "a\xa0\x82", Encoding::cp932, "a\uFFFD\uFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Decode, RefusesNulOutsideUtf16)
{
    EXPECT_EQ(decodeText(std::string("a\0b", 3)).problem, DecodeProblem::nul);
    EXPECT_EQ(decodeText(std::string("\xEF\xBB\xBF" "a\0", 5)).problem, DecodeProblem::nul);
    EXPECT_EQ(decodeText(std::string("\xFF\xFE" "a\0\0\0", 6)).problem, DecodeProblem::nul);
    EXPECT_TRUE(decodeText(std::string("\xFF\xFE" "a\0", 4)).decoded);
}

struct TableCase {
    const char* name;
    const char* text;
    char16_t separator;
    std::vector<std::vector<std::string>> rows;
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class Table : public ::testing::TestWithParam<TableCase> {};

TEST_P(Table, ReadsTheRows)
{
    const TableCase& c = GetParam();
    EXPECT_EQ(rowsUtf8(parseTable(fromUtf8(c.text), c.separator)), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, Table,
    ::testing::Values(
        TableCase{"Plain", "a,b\r\nc,d\r\n", u',', {{"a", "b"}, {"c", "d"}}},
        TableCase{"NoLastBreak", "a,b\nc", u',', {{"a", "b"}, {"c"}}},
        TableCase{"CarriageReturnsOnly", "a\rb\r", u',', {{"a"}, {"b"}}},
        TableCase{"QuotedSeparatorAndQuotes", "\"a,b\",\"say \"\"hi\"\"\"\n", u',',
                  {{"a,b", "say \"hi\""}}},
        TableCase{"QuotedLineBreaks", "\"a\r\nb\",c\nd,e", u',', {{"a\r\nb", "c"}, {"d", "e"}}},
        TableCase{"RaggedRows", "a,b,c\nd\n,,\n", u',', {{"a", "b", "c"}, {"d"}, {"", "", ""}}},
        TableCase{"EmptyLineIsARow", "a\n\nb\n", u',', {{"a"}, {""}, {"b"}}},
        TableCase{"StrayQuotesKept", "a\"b,\"c\"d\n", u',', {{"a\"b", "cd"}}},
        TableCase{"Tabs", "a\tb,c\n\"x\ty\"\tz", u'\t', {{"a", "b,c"}, {"x\ty", "z"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lines, EveryBreakTheEditorShowsEndsALine)
{
    std::vector<std::string> got;
    for (const Text& l : splitLines(fromUtf8("a\r\nb\rc\nd\u2028e\u2029f\n\ng\n")))
        got.push_back(toUtf8(l));
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "", "g"}));
}

class ImportFile : public ::testing::Test {
protected:
    ScratchDir dir;
};

TEST_F(ImportFile, ShiftJisCsvWithQuotedBreakBecomesRowsOfOneLine)
{
    dir.write("names.CSV", "\x8c\xbb\x8d\xdd,\x90\x56\r\nIMG_1.jpg,\"\x97\xb7\r\n\x8d\x73\"\r\n");
    const ImportResult r = importFile(dir / "names.CSV");
    ASSERT_TRUE(r.file);
    EXPECT_EQ(r.file->kind, FileKind::csv);
    EXPECT_EQ(r.file->encoding, Encoding::cp932);
    EXPECT_EQ(rowsUtf8(r.file->rows), (std::vector<std::vector<std::string>>{{"現在", "新"}, {"IMG_1.jpg", "旅\r\n行"}}));
    EXPECT_EQ(toUtf8(columnLines(r.file->rows, 1, 1).at(0)), "旅 行");
}

TEST_F(ImportFile, TextFileGivesItsLines)
{
    dir.write("names.txt", "\xEF\xBB\xBF" "a\r\n\"b,c\"\r\n");
    const ImportResult r = importFile(dir / "names.txt");
    ASSERT_TRUE(r.file);
    EXPECT_EQ(r.file->kind, FileKind::text);
    EXPECT_EQ(r.file->lines, texts({"a", "\"b,c\""}));
}

TEST_F(ImportFile, RefusesWhatIsNoFileOfNames)
{
    dir.write("nul.txt", std::string("a\0b", 3));
    EXPECT_EQ(importFile(dir / "nul.txt").problem->kind, ImportProblem::Kind::notText);
    // One byte over the limit, as a sparse file: nothing of it is read.
    const int fd = ::open((dir / "big.csv").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxImportBytes) + 1), 0);
    ::close(fd);
    EXPECT_EQ(importFile(dir / "big.csv").problem->kind, ImportProblem::Kind::tooLarge);
    const ImportResult missing = importFile(dir / "missing.txt");
    EXPECT_EQ(missing.problem->kind, ImportProblem::Kind::unreadable);
    EXPECT_EQ(missing.problem->error, ENOENT);
    dir.mkdir("folder.txt");
    EXPECT_EQ(importFile(dir / "folder.txt").problem->error, EISDIR);
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0644), 0);
    EXPECT_EQ(importFile(dir / "fifo.txt").problem->kind, ImportProblem::Kind::unreadable);
}

TEST(MapNames, PutsEachNewNameOnTheLineOfTheFileItNames)
{
    const std::vector<EntryName> entries = {
        {u"a.jpg", u"a"}, {u"a.jpg.bak", u"a.jpg"}, {u"b.jpg", u"b"}, {u"b.raw", u"b"},
        {fromUtf8("cafe\u0301.png"), fromUtf8("cafe\u0301")}, {u"d.txt", u"d"}};
    const auto rows = parseTable(fromUtf8("old,new\n"
                                          "caf\u00e9,カフェ\n"
                                          "b,B\n"
                                          "a.jpg,A\n"
                                          "x.jpg,X\n"
                                          ",empty\n"
                                          "a.jpg,again\n"
                                          "a.jpg.bak,bak\n"),
                                 u',');
    const Mapping m = mapNames(rows, 0, 1, 1, entries);
    EXPECT_EQ(m.lines, texts({"A", "bak", "B", "B", "カフェ", ""}));
    EXPECT_EQ(m.unknown, (std::vector<UnusedRow>{{5, u"x.jpg"}}));
    EXPECT_EQ(m.again, (std::vector<UnusedRow>{{7, u"a.jpg"}}));
}

TEST(ColumnLines, RowsWithoutTheColumnGiveEmptyLines)
{
    const auto rows = parseTable(u"h1,h2\na,b\nc\n", u',');
    EXPECT_EQ(columnLines(rows, 1, 1), texts({"b", ""}));
    EXPECT_EQ(columnLines(rows, 0, 0), texts({"h1", "a", "c"}));
}

}  // namespace
