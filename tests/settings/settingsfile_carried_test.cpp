// Settings files carried between systems: one that the Windows profile
// functions wrote in Shift-JIS, which stays Shift-JIS, values that begin or
// end with a blank, and names that only a Shift-JIS reading tells apart.
#include "platform/inifile.h"
#include "settings/settingsfile.h"
#include "support/programhome.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

using namespace testing_support;
using platform::CodePage;
using settings::Bounds;

namespace {

// The section names in Shift-JIS, byte for byte; letters that are second
// bytes are escapes too, so that no escape runs into them.
const std::string kWinMemSjis =  // ウィンドウの位置とサイズを記憶する
    "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xCC\x88\xCA\x92\x75\x82\xC6\x83\x54\x83\x43"
    "\x83\x59\x82\xF0\x8B\x4C\x89\xAF\x82\xB7\x82\xE9";
const std::string kInitMaxSjis =  // ウィンドウを最大化で表示 (表: 0x95 0x5C, a backslash)
    "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xF0\x8D\xC5\x91\xE5\x89\xBB\x82\xC5\x95\x5C"
    "\x8E\xA6";
const std::string kBoundsSjis =  // ウィンドウの位置とサイズ
    "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xCC\x88\xCA\x92\x75\x82\xC6\x83\x54\x83\x43"
    "\x83\x59";
const std::string kRootDirSelSjis =  // ルートフォルダ指定の方法
    "\x83\x8B\x81\x5B\x83\x67\x83\x74\x83\x48\x83\x8B\x83\x5F\x8E\x77\x92\xE8\x82\xCC\x95\xFB"
    "\x96\x40";
const std::string kLastDirSjis =  // 前回処理したフォルダ
    "\x91\x4F\x89\xF1\x8F\x88\x97\x9D\x82\xB5\x82\xBD\x83\x74\x83\x48\x83\x8B\x83\x5F";
const std::string kRootDirSjis =  // フォルダ指定のルートフォルダ
    "\x83\x74\x83\x48\x83\x8B\x83\x5F\x8E\x77\x92\xE8\x82\xCC\x83\x8B\x81\x5B\x83\x67\x83\x74"
    "\x83\x48\x83\x8B\x83\x5F";
// C:\Users\太郎\写真 (郎 ends in "Y", 真 in "^")
const std::string kWindowsDirSjis = "C:\\Users\\\x91\xBE\x98\x59\\\x8E\xCA\x90\x5E";
const std::string kWindowsDir = "C:\\Users\\太郎\\写真";

struct FileValues {
    const char* winMem = "0";
    const char* initMax = "0";
    const char* top = "172";
    const char* left = "217";
    const char* height = "596";
    const char* width = "851";
    const char* rootDirSel = "0";
    std::string lastDir;
    std::string rootDir;
};

// The fifteen lines of a close in the normal state, in the given names,
// with CR LF after each, as the Windows profile functions write them.
std::string firstClose(const std::string (&sections)[6], const FileValues& v)
{
    return "[" + sections[0] + "]\r\nWinMem=" + v.winMem + "\r\n[" + sections[1] +
           "]\r\nInitMax=" + v.initMax + "\r\n[" + sections[2] + "]\r\nTop=" + v.top +
           "\r\nLeft=" + v.left + "\r\nHeight=" + v.height + "\r\nWidth=" + v.width + "\r\n[" +
           sections[3] + "]\r\nRootDirSel=" + v.rootDirSel + "\r\n[" + sections[4] +
           "]\r\nLastDir=" + v.lastDir + "\r\n[" + sections[5] + "]\r\nRootDir=" + v.rootDir +
           "\r\n";
}

const std::string kSjis[6] = {kWinMemSjis,     kInitMaxSjis, kBoundsSjis,
                              kRootDirSelSjis, kLastDirSjis, kRootDirSjis};

TEST(CarriedSettings, WindowsFileIsReadAndTheNextSaveKeepsItInShiftJis)
{
    ScratchDir d;
    FileValues windows;
    windows.winMem = "1";
    windows.top = "-8";
    windows.left = "100";
    windows.rootDirSel = "2";
    windows.lastDir = kWindowsDirSjis;
    windows.rootDir = "\"C:\\photo \"";
    writeFile(d / "meibo.ini", firstClose(kSjis, windows));

    settings::Values v;
    const auto loaded = settings::load(d / "meibo.ini", v, CodePage::utf8);
    EXPECT_TRUE(v.WinMem);
    EXPECT_FALSE(v.InitMax);
    ASSERT_TRUE(loaded.bounds);
    EXPECT_EQ(*loaded.bounds, (Bounds{100, -8, 851, 596}));
    EXPECT_EQ(v.RootDirSel, 2);
    // Windows paths are kept as they are: they name no folder here.
    EXPECT_EQ(v.LastDir, kWindowsDir);
    EXPECT_EQ(v.RootDir, "C:\\photo ");

    settings::save(d / "meibo.ini", v, Bounds{100, -8, 851, 596}, CodePage::utf8);
    EXPECT_EQ(readFile(d / "meibo.ini"), firstClose(kSjis, windows));
}

TEST(CarriedSettings, MaximisedWindowsFileKeepsItsBoundsThroughAMaximisedClose)
{
    ScratchDir d;
    FileValues windows;
    windows.initMax = "1";
    windows.width = "1024";
    writeFile(d / "meibo.ini", firstClose(kSjis, windows));
    settings::Values v;
    const auto loaded = settings::load(d / "meibo.ini", v, CodePage::utf8);
    EXPECT_TRUE(loaded.maximised);
    settings::save(d / "meibo.ini", v, std::nullopt, CodePage::utf8);
    EXPECT_EQ(readFile(d / "meibo.ini"), firstClose(kSjis, windows));
}

// --- files the Windows profile functions wrote, kept in data/ --------------

std::string windowsFile(const std::string& name)
{
    return readFile(std::string(TSUMUGI_SETTINGS_DATA) + "/" + name);
}

// D:\表計算\ソフト in Shift-JIS: 表 and ソ end in a backslash byte.
const std::string kRootDirOfInUseSjis =
    "D:\\\x95\x5C\x8C\x76\x8E\x5A\\\x83\x5C\x83\x74\x83\x67";

struct CloseCase {
    const char* name;
    const char* before;                  // the file Windows wrote
    std::optional<std::string> lastDir;  // chosen on this system before the close
    std::optional<Bounds> bounds;        // the window at the close; none: maximised
    const char* after;                   // the file the close leaves
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class WindowsFileClosedHere : public ::testing::TestWithParam<CloseCase> {};

TEST_P(WindowsFileClosedHere, StaysTheFileWindowsWouldWrite)
{
    const CloseCase& c = GetParam();
    ScratchDir d;
    writeFile(d / "meibo.ini", windowsFile(c.before));
    settings::Values v;
    settings::load(d / "meibo.ini", v, CodePage::utf8);
    if (c.lastDir)
        v.LastDir = *c.lastDir;
    settings::save(d / "meibo.ini", v, c.bounds, CodePage::utf8);
    EXPECT_EQ(readFile(d / "meibo.ini"), windowsFile(c.after));

    // Read back by the same rules, here and on a Shift-JIS system.
    settings::Values here;
    settings::load(d / "meibo.ini", here, CodePage::utf8);
    EXPECT_EQ(here.LastDir, v.LastDir);
    EXPECT_EQ(here.RootDir, v.RootDir);
    EXPECT_EQ(here.RootDirSel, v.RootDirSel);
    settings::Values there;
    settings::load(d / "meibo.ini", there, CodePage::cp932);
    EXPECT_EQ(there.RootDir, kRootDirOfInUseSjis);
}

INSTANTIATE_TEST_SUITE_P(
    Closes, WindowsFileClosedHere,
    ::testing::Values(
        CloseCase{"NothingChangedLeavesEveryByte", "windows-in-use.ini", std::nullopt,
                  Bounds{100, -8, 1024, 700}, "windows-in-use.ini"},
        CloseCase{"MaximisedLeavesEveryByte", "windows-in-use.ini", std::nullopt, std::nullopt,
                  "windows-in-use.ini"},
        CloseCase{"NewFolderAndPlaceInShiftJis", "windows-in-use.ini", "/home/太郎/写真",
                  Bounds{60, 40, 851, 596}, "windows-in-use-closed-here.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ForeignFolderCase {
    const char* name;
    std::string folder;  // no Shift-JIS form
};

void PrintTo(const ForeignFolderCase& c, std::ostream* os) { *os << c.name; }

class FolderOutsideShiftJis : public ::testing::TestWithParam<ForeignFolderCase> {};

TEST_P(FolderOutsideShiftJis, MakesTheWholeFileUtf8AndKeepsItSo)
{
    ScratchDir d;
    writeFile(d / "meibo.ini", windowsFile("windows-in-use.ini"));
    settings::Values v;
    settings::load(d / "meibo.ini", v, CodePage::utf8);
    v.LastDir = GetParam().folder;
    settings::save(d / "meibo.ini", v, std::nullopt, CodePage::utf8);
    const std::string text = readFile(d / "meibo.ini");
    // The user's own line comes along, in UTF-8.
    EXPECT_TRUE(text.starts_with("; 太郎のパソコン ∵\r\n[ウィンドウの位置とサイズを記憶する]\r\n"));
    EXPECT_NE(text.find("\r\n[前回処理したフォルダ]\r\nLastDir=" + GetParam().folder + "\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nRootDir=D:\\表計算\\ソフト\r\n"), std::string::npos);
    settings::Values back;
    settings::load(d / "meibo.ini", back, CodePage::utf8);
    EXPECT_EQ(back.LastDir, GetParam().folder);
    EXPECT_EQ(back.RootDir, "D:\\表計算\\ソフト");

    // A later folder that Shift-JIS could hold does not turn it back.
    back.LastDir = "/home/太郎";
    settings::save(d / "meibo.ini", back, std::nullopt, CodePage::utf8);
    EXPECT_NE(readFile(d / "meibo.ini").find("\r\nLastDir=/home/太郎\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderOutsideShiftJis,
    ::testing::Values(ForeignFolderCase{"Emoji", "/home/u/写真 😀"},
                      ForeignFolderCase{"Hangul", "/home/u/사진"},
                      ForeignFolderCase{"BytesNotUtf8", "/home/u/\xFF\xFE"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CarriedSettings, OnAShiftJisSystemTheFileIsWhatWindowsWrites)
{
    ScratchDir d;
    settings::Values v;
    settings::load(d / "meibo.ini", v, CodePage::cp932);
    settings::save(d / "meibo.ini", v, settings::kDesignBounds, CodePage::cp932);
    EXPECT_EQ(readFile(d / "meibo.ini"), firstClose(kSjis, {}));

    // A Windows file there is read as it is and keeps its one set of sections.
    FileValues windows;
    windows.lastDir = kWindowsDirSjis;
    writeFile(d / "meibo.ini", firstClose(kSjis, windows));
    settings::load(d / "meibo.ini", v, CodePage::cp932);
    EXPECT_EQ(v.LastDir, kWindowsDirSjis);
    settings::save(d / "meibo.ini", v, settings::kDesignBounds, CodePage::cp932);
    EXPECT_EQ(readFile(d / "meibo.ini"), firstClose(kSjis, windows));
}

TEST(CarriedSettings, FolderNamesWithBlanksAtTheirEndsComeBackTheSame)
{
    const std::string folders[] = {"/home/u/photo ", " photo", "/home/u/\"x\"", "/srv/写真　"};
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        ScratchDir d;
        settings::Values v;
        v.LastDir = folder;
        v.RootDir = folder;
        settings::save(d / "meibo.ini", v, std::nullopt, CodePage::utf8);
        settings::Values back;
        settings::load(d / "meibo.ini", back, CodePage::utf8);
        EXPECT_EQ(back.LastDir, folder);
        EXPECT_EQ(back.RootDir, folder);
    }
    ScratchDir d;
    settings::Values v;
    v.LastDir = "/home/u/photo ";
    settings::save(d / "meibo.ini", v, std::nullopt, CodePage::utf8);
    EXPECT_NE(readFile(d / "meibo.ini").find("\r\nLastDir=\"/home/u/photo \"\r\n"),
              std::string::npos);
}

TEST(CarriedSettings, SectionsThatDifferInASecondByteAreTwoSections)
{
    // ウィンドウを最大化で表示 with its first second byte "E" (0x45) made
    // "e" (0x65): ヅィンドウを最大化で表示, another name.
    std::string lookalike = kInitMaxSjis;
    lookalike[1] = '\x65';
    ScratchDir d;
    writeFile(d / "meibo.ini", "[" + lookalike + "]\r\nInitMax=1\r\n");
    settings::Values v;
    EXPECT_FALSE(settings::load(d / "meibo.ini", v, CodePage::cp932).maximised);
    settings::save(d / "meibo.ini", v, std::nullopt, CodePage::cp932);
    const std::string text = readFile(d / "meibo.ini");
    EXPECT_TRUE(text.starts_with("[" + lookalike + "]\r\nInitMax=1\r\n")) << text;
    EXPECT_NE(text.find("[" + kInitMaxSjis + "]\r\nInitMax=0\r\n"), std::string::npos);
}

}  // namespace
