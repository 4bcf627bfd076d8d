#include "platform/error.h"
#include "rename/namelist.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <unistd.h>

using testing_support::CwdGuard;
using testing_support::ScratchDir;

namespace {

std::string realPath(const std::string& p)
{
    char buf[4096];
    return ::realpath(p.c_str(), buf) ? buf : "";
}

}  // namespace

TEST(NameList, StartsOnTheCurrentFolderAndReadsIt)
{
    CwdGuard guard;
    ScratchDir d;
    d.write("b.txt");
    d.write("A.txt");
    d.write("c");
    d.mkdir("d");
    ASSERT_EQ(::chdir(d.path().c_str()), 0);
    renaming::NameList list;
    EXPECT_EQ(list.Folder(), realPath(d.path()));
    EXPECT_EQ(list.Count(), 0);  // nothing read yet
    list.Reread();
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"A.txt", "b.txt", "c"}));
}

TEST(NameList, OrderIgnoresCaseAndBreaksTiesByBytes)
{
    renaming::NameList list;
    std::vector<std::string> names = {"b", "a.txt", "B2", "A.txt", "_x", "a.txt2", "Zed", "10"};
    list.sortNames(names);
    // "A.txt" and "a.txt" collate equal: the byte order decides, every time.
    const auto a = std::find(names.begin(), names.end(), "A.txt");
    const auto b = std::find(names.begin(), names.end(), "a.txt");
    EXPECT_EQ(std::next(a), b);
    EXPECT_LT(std::find(names.begin(), names.end(), "b"),
              std::find(names.begin(), names.end(), "B2"));
    EXPECT_LT(std::find(names.begin(), names.end(), "B2"),
              std::find(names.begin(), names.end(), "Zed"));
}

TEST(NameList, NameAtOutOfRangeRaisesTheListError)
{
    renaming::NameList list;
    for (int i : {0, -1, 7}) {
        try {
            (void)list.NameAt(i);
            ADD_FAILURE() << "no error for " << i;
        } catch (const platform::ToolkitError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "リストのインデックスが範囲を超えています (" + std::to_string(i) + ")");
        }
    }
}

TEST(NameList, SetFolderEntersAndReadsTheNewFolder)
{
    CwdGuard guard;
    ScratchDir d;
    d.mkdir("one");
    d.mkdir("two");
    d.write("one/x");
    d.write("two/y");
    renaming::NameList list;
    list.SetFolder(d.file("one"));
    EXPECT_EQ(list.entries(), std::vector<std::string>{"x"});
    EXPECT_EQ(platform::currentFolder(), realPath(d.file("one")));
    list.SetFolder(d.file("two"));
    EXPECT_EQ(list.entries(), std::vector<std::string>{"y"});
    EXPECT_EQ(list.Folder(), realPath(d.file("two")));
    EXPECT_EQ(platform::currentFolder(), list.Folder());
    list.SetFolder("");  // nothing happens
    EXPECT_EQ(list.Folder(), realPath(d.file("two")));
}

TEST(NameList, SameFolderIsNotReadAgainButACaseTwinIs)
{
    CwdGuard guard;
    ScratchDir d;
    d.mkdir("A");
    d.mkdir("a");
    d.write("A/first");
    d.write("a/lower");
    renaming::NameList list;
    list.SetFolder(d.file("A"));
    d.write("A/later");
    // The same folder, spelt another way: not read again.
    list.SetFolder(d.file("A/../A/"));
    EXPECT_EQ(list.entries(), std::vector<std::string>{"first"});
    // A different folder whose name differs only in case: read.
    list.SetFolder(d.file("a"));
    EXPECT_EQ(list.entries(), std::vector<std::string>{"lower"});
    EXPECT_EQ(platform::currentFolder(), realPath(d.file("a")));
}

TEST(NameList, FolderThatCannotBeEnteredChangesNothing)
{
    CwdGuard guard;
    ScratchDir d;
    d.mkdir("ok");
    d.write("ok/kept");
    renaming::NameList list;
    list.SetFolder(d.file("ok"));
    try {
        list.SetFolder(d.file("missing"));
        ADD_FAILURE() << "no error";
    } catch (const platform::InOutError& e) {
        EXPECT_STREQ(e.what(), "ファイルが見つかりません");
    }
    EXPECT_EQ(list.entries(), std::vector<std::string>{"kept"});
    EXPECT_EQ(list.Folder(), realPath(d.file("ok")));
    EXPECT_EQ(platform::currentFolder(), list.Folder());
}

TEST(NameList, RereadOfARemovedFolderKeepsTheEntries)
{
    CwdGuard guard;
    ScratchDir d;
    d.mkdir("gone");
    d.write("gone/f");
    renaming::NameList list;
    list.SetFolder(d.file("gone"));
    ASSERT_EQ(::chdir(d.path().c_str()), 0);
    ::unlink(d.file("gone/f").c_str());
    ::rmdir(d.file("gone").c_str());
    EXPECT_THROW(list.Reread(), platform::InOutError);
    EXPECT_EQ(list.entries(), std::vector<std::string>{"f"});
}

TEST(NameList, BusyHookFiresOnlyPastOneHundredEntries)
{
    CwdGuard guard;
    ScratchDir d;
    for (int i = 0; i < 100; ++i)
        d.write("f" + std::to_string(i));
    renaming::NameList list;
    int busy = 0;
    list.setBusyHook([&] { ++busy; });
    list.SetFolder(d.path());
    EXPECT_EQ(list.Count(), 100);
    EXPECT_EQ(busy, 0);
    d.write("one-more");
    list.Reread();
    EXPECT_EQ(list.Count(), 101);
    EXPECT_EQ(busy, 1);
}
