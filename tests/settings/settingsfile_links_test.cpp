// The settings file kept behind a symbolic link (with the user's other
// settings, elsewhere), as it meets a full disk at close, and a link that
// someone else planted in the program's place.
#include "platform/error.h"
#include "platform/syscalls.h"
#include "settings/settingsfile.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;

namespace {

const std::string kForeign =
    "[ウィンドウの位置とサイズを記憶する]\r\nWinMem=1\r\n; kept by hand\r\n[mine]\r\n"
    "note=stays\r\n";

// The text of the error a close shows, or "" when the save went through.
std::string saveError(const std::string& path)
{
    settings::Values v;
    try {
        settings::save(path, v, settings::kDesignBounds);
    } catch (const platform::ToolkitError& e) {
        return e.what();
    }
    return {};
}

bool isLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

TEST(SettingsFileBehindALink, CloseWritesTheTargetAndKeepsTheLink)
{
    ScratchDir program, dotfiles;
    writeFile(dotfiles / "meibo.ini", kForeign);
    ASSERT_EQ(::symlink((dotfiles / "meibo.ini").c_str(), (program / "meibo.ini").c_str()), 0);
    EXPECT_EQ(saveError(program / "meibo.ini"), "");
    const std::string now = readFile(dotfiles / "meibo.ini");
    EXPECT_TRUE(now.starts_with("[ウィンドウの位置とサイズを記憶する]\r\nWinMem=0\r\n; kept by hand\r\n"))
        << now;
    EXPECT_NE(now.find("[mine]\r\nnote=stays\r\n"), std::string::npos) << now;
    EXPECT_NE(now.find("LastDir="), std::string::npos) << now;
    EXPECT_TRUE(isLink(program / "meibo.ini"));
}

// The disk is full when the window closes: the close says the file cannot
// be written, and the file is still the whole old one, lines of the user's
// own included.
TEST(SettingsFileBehindALink, FullDiskAtCloseSaysWhyAndLeavesTheOldFileWhole)
{
    ScratchDir program, dotfiles;
    writeFile(dotfiles / "meibo.ini", kForeign);
    const std::string link = program / "meibo.ini";
    ASSERT_EQ(::symlink((dotfiles / "meibo.ini").c_str(), link.c_str()), 0);
    FaultSys fs;
    // The first 64 bytes go out, past the first value that changes.
    fs.limitWrites(16);
    fs.failNthOf(FaultSys::kWrite, 5, ENOSPC);
    {
        platform::ScopedSys use(fs);
        EXPECT_EQ(saveError(link), link + " に書き込めません");
    }
    EXPECT_EQ(readFile(dotfiles / "meibo.ini"), kForeign);
    EXPECT_TRUE(isLink(link));
    EXPECT_EQ(dotfiles.names(), std::vector<std::string>{"meibo.ini"});
}

// Someone else put a link to another user's file where the program keeps
// its settings: the close does not write over that file, and says so.
TEST(SettingsFileBehindALink, LinkOfAnotherUserIsNotWrittenThroughAndTheCloseSaysWhy)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a link to another user";
    ScratchDir program, victim;
    writeFile(victim / "notes.txt", "someone's notes\n");
    const std::string link = program / "meibo.ini";
    ASSERT_EQ(::symlink((victim / "notes.txt").c_str(), link.c_str()), 0);
    ASSERT_EQ(::lchown(link.c_str(), 12345, 12345), 0);
    EXPECT_EQ(saveError(link), link + " に書き込めません");
    EXPECT_EQ(readFile(victim / "notes.txt"), "someone's notes\n");
    EXPECT_TRUE(isLink(link));
}

}  // namespace
