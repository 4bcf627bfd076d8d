// Where a folder choice leads, and what the chooser lists.
#include "filedialog/browsetarget.h"
#include "filedialog/specialdirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(NormalizePath, CollapsesDotsSlashesAndTrailingSeparators)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"/", "/"},           {"//", "/"},          {"/a/", "/a"},
        {"/a//b", "/a/b"},    {"/a/./b/.", "/a/b"}, {"/a/b/../c", "/a/c"},
        {"/..", "/"},         {"/a/../..", "/"},    {"a/b/", "a/b/"},
        {"\\", "\\"},         {"", ""},             {"/写真/./2026/", "/写真/2026"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nx::normalizePath(c.in), c.out) << c.in;
}

TEST(IsWithin, MatchesWholeComponentsOnly)
{
    struct Case {
        const char* path;
        const char* base;
        bool within;
    } cases[] = {
        {"/home/u", "/home/u", true},  {"/home/u/x", "/home/u", true},
        {"/home/uu", "/home/u", false}, {"/home", "/home/u", false},
        {"/etc", "/", true},           {"relative", "/", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nx::isWithin(c.path, c.base), c.within) << c.path << " in " << c.base;
}

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

class FolderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/browsetarget-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root_ = tmpl;
        fs::create_directories(root_ + "/home/Documents");
        fs::create_directories(root_ + "/tree/sub");
        fs::create_directories(root_ + "/tree/.hidden");
        std::ofstream(root_ + "/tree/file.txt") << "x";
        std::ofstream(root_ + "/tree/.dotfile") << "x";
        fs::create_directory_symlink(root_ + "/tree/sub", root_ + "/tree/linked");
        fs::create_symlink(root_ + "/nowhere", root_ + "/tree/dangling");
        ::mkfifo((root_ + "/tree/pipe").c_str(), 0600);
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string root_;
};

using Kind = nx::FolderTarget::Kind;

TEST_F(FolderFixture, ResolvesPathsAndSpecialFolders)
{
    const nx::SpecialDirs dirs(root_ + "/home", nullptr, nullptr, "");
    struct Case {
        const char* what;
        std::string path;
        TnxBFSpecialDir special;
        nx::FolderTarget expected;
    } cases[] = {
        {"a folder", root_ + "/tree", sfNone, {Kind::path, root_ + "/tree"}},
        {"a folder with a trailing slash", root_ + "/tree/sub/", sfNone,
         {Kind::path, root_ + "/tree/sub"}},
        {"a link to a folder", root_ + "/tree/linked", sfNone,
         {Kind::path, root_ + "/tree/linked"}},
        {"a file", root_ + "/tree/file.txt", sfNone, {Kind::top, ""}},
        {"a missing folder", root_ + "/tree/none", sfNone, {Kind::top, ""}},
        {"a lone backslash", "\\", sfNone, {Kind::top, ""}},
        {"a relative path", "tree", sfNone, {Kind::top, ""}},
        {"no path", "", sfNone, {Kind::top, ""}},
        {"the desktop", root_ + "/tree", sfDesktop, {Kind::top, ""}},
        {"a special folder wins", root_ + "/tree", sfPersonal,
         {Kind::path, root_ + "/home/Documents"}},
        {"a special folder that does not exist", "", sfTemplates, {Kind::none, ""}},
        {"no counterpart", root_ + "/tree", sfNetWork, {Kind::none, ""}},
        {"the drives", "", sfDrives, {Kind::path, "/"}},
    };
    for (const Case& c : cases) {
        const nx::FolderTarget got = nx::resolveFolderTarget(c.path, c.special, dirs);
        EXPECT_EQ(int(got.kind), int(c.expected.kind)) << c.what;
        EXPECT_EQ(got.path, c.expected.path) << c.what;
    }
}

TEST_F(FolderFixture, ListsVisibleFoldersAndFilesOnRequest)
{
    auto names = [&](bool files) {
        std::vector<nx::FolderEntry> out;
        EXPECT_TRUE(nx::listFolder(root_ + "/tree", files, out));
        std::vector<std::string> n;
        for (const auto& e : out)
            n.push_back(e.name + (e.folder ? "/" : ""));
        std::sort(n.begin(), n.end());
        return n;
    };
    EXPECT_EQ(names(false), (std::vector<std::string>{"linked/", "sub/"}));
    EXPECT_EQ(names(true), (std::vector<std::string>{"file.txt", "linked/", "sub/"}));

    std::vector<nx::FolderEntry> out;
    int err = 0;
    EXPECT_FALSE(nx::listFolder(root_ + "/missing", false, out, &err));
    EXPECT_EQ(err, ENOENT);
}

TEST_F(FolderFixture, MakesFoldersWithoutReplacingAnything)
{
    struct Case {
        const char* name;
        bool ok;
        int err;
    } cases[] = {
        {"新しいフォルダ", true, 0},
        {"新しいフォルダ", false, EEXIST},
        {"file.txt", false, EEXIST},
        {"a/b", false, EINVAL},
        {"..", false, EINVAL},
        {"", false, EINVAL},
    };
    for (const Case& c : cases) {
        int err = 0;
        EXPECT_EQ(nx::makeFolder(root_ + "/tree", c.name, &err), c.ok) << c.name;
        EXPECT_EQ(err, c.err) << c.name;
    }
    EXPECT_TRUE(fs::is_directory(root_ + "/tree/新しいフォルダ"));
    EXPECT_TRUE(fs::is_regular_file(root_ + "/tree/file.txt"));
}

}  // namespace
