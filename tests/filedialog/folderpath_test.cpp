// Folder paths as the chooser handles them.
#include "filedialog/folderpath.h"

#include <gtest/gtest.h>

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

TEST(JoinPath, JoinsOnceAndLastComponentTakesTheName)
{
    EXPECT_EQ(nx::joinPath("/a", "b"), "/a/b");
    EXPECT_EQ(nx::joinPath("/", "b"), "/b");
    EXPECT_EQ(nx::joinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(nx::joinPath("", "b"), "b");
    EXPECT_EQ(nx::lastComponent("/a/b"), "b");
    EXPECT_EQ(nx::lastComponent("/"), "/");
    EXPECT_EQ(nx::lastComponent("/写真"), "写真");
}

}  // namespace
