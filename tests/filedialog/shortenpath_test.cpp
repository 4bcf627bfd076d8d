#include "filedialog/shortenpath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::CodePage;

namespace {

// One pixel per byte keeps the widths easy to reason about.
int bytes(const std::string& s) { return static_cast<int>(s.size()); }

}  // namespace

TEST(ShortenPath, ShrinksOneFolderAtATimeUntilItFits)
{
    const std::string path = "/aaaaa/bbbbb/ccccc/name";
    const std::vector<std::string> steps = {"/aaaaa/bbbbb/ccccc/name", "/.../bbbbb/ccccc/name",
                                            "/.../ccccc/name", "/.../name", ".../name", "name"};
    for (const auto& want : steps) {
        SCOPED_TRACE(want);
        // Exactly the room this step needs: the step before does not fit.
        EXPECT_EQ(nx::ShortenPath(path, bytes, bytes(want), CodePage::utf8), want);
    }
    // Nothing is narrow enough: the name is the end of it.
    EXPECT_EQ(nx::ShortenPath(path, bytes, 1, CodePage::utf8), "name");
}

TEST(ShortenPath, CountsEveryMeasuredStep)
{
    std::vector<std::string> measured;
    auto width = [&](const std::string& s) {
        measured.push_back(s);
        return 100;
    };
    EXPECT_EQ(nx::ShortenPath("/x/y/n", width, 10, CodePage::utf8), "n");
    EXPECT_EQ(measured, (std::vector<std::string>{"/x/y/n", "/.../y/n", "/.../n", ".../n"}));
}

TEST(ShortenPath, CutFirstFolderTable)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"/", ""},
        {"/aaa/", "/.../"},
        {"/aaa/bbb/", "/.../bbb/"},
        {"/.../bbb/", "/.../"},
        {".../", ""},
        {"aaa/bbb/", ".../bbb/"},
        // A folder that merely starts with a dot is a folder, not the marker.
        {"/.config/app/", "/.../app/"},
        {"/home/u/.local/", "/.../u/.local/"},
    };
    for (const auto& c : cases) {
        std::string s = c.in;
        nx::CutFirstFolder(s, CodePage::utf8);
        EXPECT_EQ(s, c.out) << c.in;
    }
}

TEST(ShortenPath, KeepsMultibyteFoldersWhole)
{
    // Widths in bytes: the cut never splits "写真" or "旅行".
    EXPECT_EQ(nx::ShortenPath("/写真/旅行/名前", bytes, bytes("/.../旅行/名前"), CodePage::utf8),
              "/.../旅行/名前");
    EXPECT_EQ(nx::ShortenPath("/写真/旅行/名前", bytes, bytes("/.../名前"), CodePage::utf8),
              "/.../名前");
}
