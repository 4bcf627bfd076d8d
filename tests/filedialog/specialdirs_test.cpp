// Special folders on a freedesktop system.
#include "filedialog/folderpath.h"
#include "filedialog/specialdirs.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace {

TEST(UserDirs, ReadsTheShellAssignments)
{
    const std::string home = "/home/花子";
    const std::string text =
        "# written by the desktop\n"
        "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n"
        "XDG_DOCUMENTS_DIR=\"/data/docs\"\n"
        "XDG_TEMPLATES_DIR=\"$HOME/My \\\"Templates\\\"\"\n"
        "XDG_MUSIC_DIR=\"music\"\n"
        "  XDG_VIDEOS_DIR = \"$HOME\"\n"
        "XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n"
        "XDG_PUBLICSHARE_DIR=\"/first\"\n"
        "XDG_PUBLICSHARE_DIR=\"/second\"\n";
    struct Case {
        const char* key;
        std::string value;
    } cases[] = {
        {"XDG_DESKTOP_DIR", home + "/デスクトップ"},
        {"XDG_DOCUMENTS_DIR", "/data/docs"},
        {"XDG_TEMPLATES_DIR", home + "/My \"Templates\""},
        {"XDG_MUSIC_DIR", ""},  // neither absolute nor below $HOME
        {"XDG_VIDEOS_DIR", home},
        {"XDG_PICTURES_DIR", ""},
        {"XDG_PUBLICSHARE_DIR", "/second"},
        {"XDG_DOWNLOAD_DIR", ""},
        {"XDG_DESKTOP", ""},  // a prefix of a key is not the key
    };
    for (const Case& c : cases)
        EXPECT_EQ(nx::userDirFromText(text, c.key, home), c.value) << c.key;
}

TEST(SpecialDirs, MapsSpecialFoldersToTheirCounterparts)
{
    const nx::SpecialDirs d("/home/u/", "/cfg", nullptr,
                            "XDG_DESKTOP_DIR=\"$HOME/机\"\nXDG_TEMPLATES_DIR=\"/tpl\"\n");
    EXPECT_EQ(d.home(), "/home/u");
    struct Case {
        TnxBFSpecialDir dir;
        const char* path;  // null: no counterpart
    } cases[] = {
        {sfNone, nullptr},
        {sfDesktop, nullptr},
        {sfProgrmas, "/home/u/.local/share/applications"},
        {sfControls, nullptr},
        {sfPritners, nullptr},
        {sfPersonal, "/home/u/Documents"},
        {sfFavorites, nullptr},
        {sfStartup, "/cfg/autostart"},
        {sfRecent, "/home/u/.local/share/RecentDocuments"},
        {sfSendTo, nullptr},
        {sfBitBucket, "/home/u/.local/share/Trash/files"},
        {sfStartMenu, "/home/u/.local/share/applications"},
        {sfDesktopDirectory, "/home/u/机"},
        {sfDrives, "/"},
        {sfNetWork, nullptr},
        {sfNetHood, nullptr},
        {sfFonts, "/home/u/.local/share/fonts"},
        {sfTemplates, "/tpl"},
        {sfAppData, "/cfg"},
        {sfPrintHood, nullptr},
    };
    ASSERT_EQ(std::size(cases), 20u);
    for (const Case& c : cases) {
        const auto p = d.pathOf(c.dir);
        if (c.path) {
            ASSERT_TRUE(p.has_value()) << int(c.dir);
            EXPECT_EQ(*p, c.path) << int(c.dir);
        } else {
            EXPECT_FALSE(p.has_value()) << int(c.dir);
        }
    }
}

TEST(SpecialDirs, IgnoresRelativeBaseFolders)
{
    const nx::SpecialDirs d("/h", "relative", "", "");
    EXPECT_EQ(d.configHome(), "/h/.config");
    EXPECT_EQ(d.dataHome(), "/h/.local/share");
    EXPECT_EQ(d.desktop(), "/h/Desktop");
    EXPECT_EQ(d.templates(), "/h/Templates");
}

}  // namespace

namespace {

TEST(SpecialDirs, FromTheProcessReadsTheUserDirsFileOfTheHomeFolder)
{
    testing_support::ScratchDir home;
    home.mkdir(".config");
    home.write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/机\"\n");
    testing_support::EnvGuard h("HOME", home.path().c_str());
    testing_support::EnvGuard config("XDG_CONFIG_HOME", nullptr);
    testing_support::EnvGuard data("XDG_DATA_HOME", nullptr);
    const nx::SpecialDirs d = nx::SpecialDirs::fromProcess();
    EXPECT_EQ(d.home(), home.path());
    EXPECT_EQ(d.desktop(), home / "机");
    EXPECT_EQ(d.configHome(), home / ".config");
}

TEST(SpecialDirs, FromTheProcessReadsTheBookmarksGtkKeeps)
{
    struct Case {
        const char* name;
        const char* file;  // relative to the home folder
    } const cases[] = {{"gtk3", ".config/gtk-3.0/bookmarks"}, {"older", ".gtk-bookmarks"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::ScratchDir home;
        home.mkdir(".config");
        home.mkdir(".config/gtk-3.0");
        home.write(c.file, "file:///srv/%E5%86%99%E7%9C%9F 写真\n");
        testing_support::EnvGuard h("HOME", home.path().c_str());
        testing_support::EnvGuard config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(nx::SpecialDirs::fromProcess().bookmarks(),
                  (std::vector<nx::Bookmark>{{"/srv/写真", "写真"}}));
    }
}

struct BookmarkCase {
    const char* name;
    std::string line;
    std::vector<nx::Bookmark> expected;
};

void PrintTo(const BookmarkCase& c, std::ostream* os) { *os << c.name; }

class BookmarksFile : public ::testing::TestWithParam<BookmarkCase> {};

TEST_P(BookmarksFile, KeepsLocalFoldersWithTheirLabels)
{
    EXPECT_EQ(nx::bookmarksFromText(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BookmarksFile,
    ::testing::Values(
        BookmarkCase{"PlainPath", "file:///home/u/work\n", {{"/home/u/work", ""}}},
        BookmarkCase{"LabelAfterTheFirstBlank", "file:///home/u/a%20b My work  \n",
                     {{"/home/u/a b", "My work  "}}},
        BookmarkCase{"EscapedJapanese", "file:///home/u/%E5%86%99%E7%9C%9F",
                     {{"/home/u/写真", ""}}},
        BookmarkCase{"BytesNotUtf8", "file:///srv/%FF%fe", {{"/srv/\xFF\xFE", ""}}},
        BookmarkCase{"Localhost", "file://localhost/srv\r\n", {{"/srv", ""}}},
        BookmarkCase{"OtherMachine", "file://nas/srv", {}},
        BookmarkCase{"Sftp", "sftp://host/home/u", {}},
        BookmarkCase{"BrokenEscape", "file:///srv/%4", {}},
        BookmarkCase{"NulByte", "file:///srv/a%00b", {}},
        BookmarkCase{"Blank", "\n\n", {}},
        BookmarkCase{"Several", "file:///a\nsftp://h/b\nfile:///c C\n",
                     {{"/a", ""}, {"/c", "C"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpecialDirs, UserFoldersDefaultToTheirUsualNames)
{
    const nx::SpecialDirs d("/h", nullptr, nullptr, "XDG_PICTURES_DIR=\"$HOME/ピクチャ\"\n");
    EXPECT_EQ(d.userDir(nx::UserDir::pictures), "/h/ピクチャ");
    EXPECT_EQ(d.userDir(nx::UserDir::download), "/h/Downloads");
    EXPECT_EQ(d.userDir(nx::UserDir::publicShare), "/h/Public");
}

TEST(SpecialDirs, FromTheProcessTakesTheAccountsHomeWhenHomeIsRelative)
{
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    testing_support::EnvGuard h("HOME", "relative");
    EXPECT_EQ(nx::SpecialDirs::fromProcess().home(), nx::normalizePath(pw->pw_dir));
}

}  // namespace
