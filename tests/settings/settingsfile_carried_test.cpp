// Settings files carried between systems: one that the Windows profile
// functions wrote in Shift-JIS, values that begin or end with a blank, and
// names that only a Shift-JIS reading tells apart.
#include "platform/inifile.h"
#include "settings/settingsfile.h"
#include "support/programhome.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

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
const std::string kUtf8[6] = {"ウィンドウの位置とサイズを記憶する", "ウィンドウを最大化で表示",
                              "ウィンドウの位置とサイズ",           "ルートフォルダ指定の方法",
                              "前回処理したフォルダ",               "フォルダ指定のルートフォルダ"};

TEST(CarriedSettings, WindowsFirstCloseFileClosedHereIsTheFirstCloseOfThisSystem)
{
    ScratchDir d;
    writeFile(d / "meibo.ini", firstClose(kSjis, {}));
    settings::Values v;
    settings::load(d / "meibo.ini", v, CodePage::utf8);
    settings::save(d / "meibo.ini", v, settings::kDesignBounds, CodePage::utf8);
    EXPECT_EQ(readFile(d / "meibo.ini"), kFirstClose);
}

TEST(CarriedSettings, WindowsFileIsReadAndTheNextSaveWritesOneWholeUtf8File)
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
    FileValues here = windows;
    here.lastDir = kWindowsDir;
    EXPECT_EQ(readFile(d / "meibo.ini"), firstClose(kUtf8, here));

    // And a later run reads it as the same values.
    settings::Values again;
    settings::load(d / "meibo.ini", again, CodePage::utf8);
    EXPECT_EQ(again.LastDir, kWindowsDir);
    EXPECT_EQ(again.RootDir, "C:\\photo ");
    EXPECT_EQ(again.RootDirSel, 2);
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
    EXPECT_EQ(readFile(d / "meibo.ini"), firstClose(kUtf8, windows));
}

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
