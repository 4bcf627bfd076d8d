// Loading and saving the settings file, as a user would meet it: a first
// close, hand-edited values, a file that cannot be written.
#include "platform/error.h"
#include "settings/settingsfile.h"
#include "support/programhome.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;
using settings::Bounds;

namespace {

TEST(ParseInteger, AcceptsWhatTheFileMayHoldAndNothingElse)
{
    constexpr int32_t def = 217;
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"32", 32},          {" 32", 32},        {"\t32", 32},          {"+32", 32},
        {"-8", -8},          {"0x20", 32},       {"0X20", 32},          {"$20", 32},
        {"x20", 32},         {"X20", 32},        {"$fF", 255},          {"-$10", -16},
        {"2147483647", INT32_MAX},               {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},   {"0x80000000", INT32_MIN},
        {"007", 7},          {"0", 0},
        // the default:
        {"", def},           {" ", def},         {"32px", def},         {"32 ", def},
        {"yes", def},        {"2147483648", def}, {"-2147483649", def}, {"$", def},
        {"0x", def},         {"$123456789", def}, {"0x1g", def},        {"+", def},
        {"--1", def},        {"3 2", def},        {"1e3", def},         {"１", def},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        EXPECT_EQ(settings::parseInteger(c.text, def), c.expected);
    }
}

TEST(SettingsFile, FirstCloseWritesTheFifteenLines)
{
    ScratchDir d;
    settings::Values v;
    const auto loaded = settings::load(d / "meibo.ini", v);
    EXPECT_FALSE(loaded.bounds);
    EXPECT_FALSE(loaded.maximised);
    settings::save(d / "meibo.ini", v, settings::kDesignBounds);
    EXPECT_EQ(readFile(d / "meibo.ini"), kFirstClose);
}

TEST(SettingsFile, FirstCloseMaximisedLeavesTheBoundsOutUntilANormalClose)
{
    ScratchDir d;
    settings::Values v;
    settings::save(d / "meibo.ini", v, std::nullopt);
    const std::string first = readFile(d / "meibo.ini");
    EXPECT_EQ(first.find("Top="), std::string::npos);
    settings::save(d / "meibo.ini", v, Bounds{1, 2, 300, 400});
    EXPECT_TRUE(readFile(d / "meibo.ini")
                    .ends_with("[ウィンドウの位置とサイズ]\r\nTop=2\r\nLeft=1\r\n"
                               "Height=400\r\nWidth=300\r\n"));
}

TEST(SettingsFile, HandEditedValues)
{
    struct Case {
        const char* winMem;
        const char* left;
        bool expectWinMem;
        int32_t expectLeft;  // when WinMem is read as set
        const char* writtenWinMem;
    } cases[] = {
        {"1", "0x20", true, 32, "1"},  {"1", "$20", true, 32, "1"},
        {"1", "32", true, 32, "1"},    {"1", " 32", true, 32, "1"},
        {"1", "32px", true, 217, "1"}, {"2", "5", true, 5, "1"},
        {"-1", "5", true, 5, "1"},     {"yes", "5", false, 0, "0"},
        {"", "5", false, 0, "0"},      {"0", "5", false, 0, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("WinMem=") + c.winMem + " Left=" + c.left);
        ScratchDir d;
        writeFile(d / "meibo.ini", std::string("[ウィンドウの位置とサイズを記憶する]\n"
                                               "WinMem=") +
                                       c.winMem + "\n[ウィンドウの位置とサイズ]\nLeft=" +
                                       c.left + "\n");
        settings::Values v;
        const auto loaded = settings::load(d / "meibo.ini", v);
        EXPECT_EQ(v.WinMem, c.expectWinMem);
        ASSERT_EQ(loaded.bounds.has_value(), c.expectWinMem);
        if (loaded.bounds) {
            // The missing keys take the design values.
            EXPECT_EQ(*loaded.bounds, (Bounds{c.expectLeft, 172, 851, 596}));
        }
        settings::save(d / "meibo.ini", v, loaded.bounds.value_or(settings::kDesignBounds));
        settings::Values again;
        settings::load(d / "meibo.ini", again);
        EXPECT_NE(readFile(d / "meibo.ini").find(std::string("WinMem=") + c.writtenWinMem + "\r\n"),
                  std::string::npos);
    }
}

TEST(SettingsFile, RoundTripsEveryValue)
{
    ScratchDir d;
    settings::Values v;
    v.WinMem = true;
    v.InitMax = true;
    v.RootDirSel = 7;  // out of range, but kept as it is
    v.LastDir = "/home/user/写真 2024";
    v.RootDir = "/srv/共有";
    const Bounds b{-8, -8, 1300, 700};
    settings::save(d / "meibo.ini", v, b);

    settings::Values back;
    const auto loaded = settings::load(d / "meibo.ini", back);
    EXPECT_TRUE(back.WinMem);
    EXPECT_TRUE(back.InitMax);
    EXPECT_TRUE(loaded.maximised);
    EXPECT_EQ(back.RootDirSel, 7);
    EXPECT_EQ(back.LastDir, v.LastDir);
    EXPECT_EQ(back.RootDir, v.RootDir);
    ASSERT_TRUE(loaded.bounds);
    EXPECT_EQ(*loaded.bounds, b);
}

TEST(SettingsFile, AFolderNameWithALineBreakCannotAddKeys)
{
    ScratchDir d;
    settings::Values v;
    v.LastDir = "/tmp/x\r\n[ルートフォルダ指定の方法]\r\nRootDirSel=2";
    settings::save(d / "meibo.ini", v, settings::kDesignBounds);
    settings::Values back;
    settings::load(d / "meibo.ini", back);
    EXPECT_EQ(back.LastDir, "");
    EXPECT_EQ(back.RootDirSel, 0);
    EXPECT_EQ(readFile(d / "meibo.ini"), kFirstClose);
}

TEST(SettingsFile, ReadOnlyFileRaisesTheWriteErrorAndKeepsEarlierKeys)
{
    ScratchDir d;
    writeFile(d / "meibo.ini", "[ウィンドウの位置とサイズを記憶する]\nWinMem=0\n", 0444);
    settings::Values v;
    v.WinMem = true;
    try {
        settings::save(d / "meibo.ini", v, settings::kDesignBounds);
        FAIL() << "no error raised";
    } catch (const platform::ToolkitError& e) {
        EXPECT_EQ(std::string(e.what()), d / "meibo.ini" + " に書き込めません");
    }
    EXPECT_EQ(readFile(d / "meibo.ini"), "[ウィンドウの位置とサイズを記憶する]\nWinMem=0\n");
}

TEST(SettingsFile, ForeignLinesAndOtherKeysSurviveASave)
{
    ScratchDir d;
    writeFile(d / "meibo.ini",
              "; my notes\n[前回処理したフォルダ]\nlastdir=/old\nOther=keep me\n\n[Mine]\nx=1\n");
    settings::Values v;
    settings::load(d / "meibo.ini", v);
    EXPECT_EQ(v.LastDir, "/old");
    v.LastDir = "/new";
    settings::save(d / "meibo.ini", v, std::nullopt);
    const std::string text = readFile(d / "meibo.ini");
    EXPECT_TRUE(text.starts_with("; my notes\r\n[前回処理したフォルダ]\r\nlastdir=/new\r\n"
                                 "Other=keep me\r\n\r\n[Mine]\r\nx=1\r\n"))
        << text;
}

}  // namespace

namespace {

TEST(SettingsFile, MissingUserConfigFolderIsCreated)
{
    ScratchDir d;
    const std::string path = d / "config/tsumugi/meibo.ini";
    settings::Values v;
    v.RootDirSel = 2;
    settings::save(path, v, settings::kDesignBounds);
    settings::Values back;
    settings::load(path, back);
    EXPECT_EQ(back.RootDirSel, 2);
}

}  // namespace

namespace {

// The list's order and filter: in sections of their own once set, read back
// as set, and written as their defaults once set back, so that a file is
// never left meaning another list than the window shows.
TEST(SettingsFile, ListOrderAndFilterAreKeptOnlyOnceSet)
{
    ScratchDir d;
    const std::string ini = d / "meibo.ini";
    settings::Values v;
    v.SortOrder = 2;
    v.FileMask = "*.jpg;*.jpeg";
    settings::save(ini, v, settings::kDesignBounds);
    EXPECT_TRUE(readFile(ini).ends_with("[ファイルの並び順]\r\nSortOrder=2\r\n"
                                        "[表示するファイル]\r\nFileMask=*.jpg;*.jpeg\r\n"));
    settings::Values back;
    settings::load(ini, back);
    EXPECT_EQ(back.SortOrder, 2);
    EXPECT_EQ(back.FileMask, "*.jpg;*.jpeg");

    settings::save(ini, settings::Values{}, settings::kDesignBounds);
    EXPECT_TRUE(readFile(ini).ends_with("SortOrder=0\r\n[表示するファイル]\r\nFileMask=\r\n"));
    settings::load(ini, back);
    EXPECT_EQ(back.SortOrder, 0);
    EXPECT_EQ(back.FileMask, "");
}

}  // namespace
