// The current-names list: what it lists, in which order, and how its folder,
// the process's current folder and a run stay together whatever happens to
// the folders on the way.
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/syscalls.h"
#include "rename/namelist.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ostream>

using testing_support::CwdGuard;
using testing_support::FaultSys;
using testing_support::ScratchDir;

namespace {

std::string realPath(const std::string& p)
{
    char buf[4096];
    return ::realpath(p.c_str(), buf) ? buf : "";
}

// The folder the process is in, by identity: a removed one has no path.
platform::FileId here()
{
    struct stat st {};
    ::stat(".", &st);
    return {.inode = st.st_ino, .device = st.st_dev};
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
    CwdGuard guard;
    ScratchDir d;
    for (const char* n : {"b", "a.txt", "B2", "A.txt", "_x", "a.txt2", "Zed", "10"})
        d.write(n);
    renaming::NameList list;
    list.SetFolder(d.path());
    const std::vector<std::string>& names = list.entries();
    ASSERT_EQ(names.size(), 8u);
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
    EXPECT_EQ(platform::currentFolder().value(), realPath(d.file("one")));
    list.SetFolder(d.file("two"));
    EXPECT_EQ(list.entries(), std::vector<std::string>{"y"});
    EXPECT_EQ(list.Folder(), realPath(d.file("two")));
    EXPECT_EQ(platform::currentFolder().value(), list.Folder());
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
    EXPECT_EQ(platform::currentFolder().value(), realPath(d.file("a")));
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
    EXPECT_EQ(platform::currentFolder().value(), list.Folder());
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

namespace {

// What became of the list's folder before the user chose another one.
enum class OldFolder { kept, renamed, removed };

void PrintTo(OldFolder f, std::ostream* os)
{
    *os << (f == OldFolder::kept ? "kept" : f == OldFolder::renamed ? "renamed" : "removed");
}

class FailedFolderChange : public ::testing::TestWithParam<OldFolder> {};

// The new folder can be entered but not read. The list keeps its entries,
// the process goes back into the folder they are in (by its handle: its
// path may name nothing, or another folder, by now), and a run then acts
// there or nowhere, never on a file of the new folder that was never shown.
TEST_P(FailedFolderChange, ListCurrentFolderAndRunStayTogether)
{
    CwdGuard guard;
    ScratchDir d;
    d.mkdir("old");
    d.write("old/x.txt", "old folder's");
    d.mkdir("new");
    d.write("new/x.txt", "new folder's");
    renaming::NameList list;
    list.SetFolder(d.file("old"));
    ASSERT_EQ(list.entries(), std::vector<std::string>{"x.txt"});
    const platform::FileId shown = list.folder().id();
    const std::string shownPath = list.Folder();
    switch (GetParam()) {
    case OldFolder::kept:
        break;
    case OldFolder::renamed:
        ASSERT_EQ(::rename(d.file("old").c_str(), d.file("elsewhere").c_str()), 0);
        break;
    case OldFolder::removed:
        ASSERT_EQ(::unlink(d.file("old/x.txt").c_str()), 0);
        ASSERT_EQ(::rmdir(d.file("old").c_str()), 0);
        break;
    }

    FaultSys fs;
    fs.failNthOf(FaultSys::kDirRead, 1, EACCES);
    {
        platform::ScopedSys use(fs);
        try {
            list.SetFolder(d.file("new"));
            ADD_FAILURE() << "an unreadable folder was read";
        } catch (const platform::InOutError& e) {
            EXPECT_EQ(e.code(), EACCES);
            EXPECT_STREQ(e.what(), "ファイルへのアクセスが拒否されました");
        }
    }
    EXPECT_EQ(fs.faults(), 1);
    EXPECT_EQ(list.entries(), std::vector<std::string>{"x.txt"});
    EXPECT_EQ(list.Folder(), shownPath);
    EXPECT_EQ(here(), shown) << "the process is not in the folder the list shows";

    // "リネーム" as the window runs it, with the box ticked.
    renaming::RunRequest rq;
    rq.folder = list.folder().duplicate().value();
    rq.entries = list.entries();
    rq.lines = {"y"};
    rq.deleteOld = true;
    std::vector<std::string> steps;
    rq.onStep = [&](renaming::RunStep s, const std::string& n) {
        steps.push_back(renaming::stepText(s, n));
    };
    const renaming::RunCounts c = renaming::runRename(rq);
    EXPECT_EQ(testing_support::snapshot(d.file("new")),
              (std::map<std::string, std::string>{{"x.txt", "new folder's"}}));
    switch (GetParam()) {
    case OldFolder::kept:
    case OldFolder::renamed: {
        const std::string at = GetParam() == OldFolder::kept ? "old" : "elsewhere";
        EXPECT_EQ(c, (renaming::RunCounts{1, 0, 0, 0}));
        EXPECT_EQ(testing_support::snapshot(d.file(at)),
                  (std::map<std::string, std::string>{{"y.txt", "old folder's"}}));
        break;
    }
    case OldFolder::removed:
        EXPECT_EQ(c, (renaming::RunCounts{0, 1, 0, 0}));
        EXPECT_EQ(steps, std::vector<std::string>{"ファイル「y.txt」の作成に失敗しました"});
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(NameList, FailedFolderChange,
                         ::testing::Values(OldFolder::kept, OldFolder::renamed,
                                           OldFolder::removed),
                         [](const auto& info) {
                             return info.param == OldFolder::kept      ? "OldFolderKept"
                                    : info.param == OldFolder::renamed ? "OldFolderRenamed"
                                                                       : "OldFolderRemoved";
                         });

// Every step of a folder change failing in turn: the change either happens
// whole, or not at all, and then the process is back in the list's folder.
TEST(NameList, FolderChangeFailingAtAnyStepChangesNothing)
{
    CwdGuard guard;
    ScratchDir d;
    d.mkdir("old");
    d.write("old/a");
    d.mkdir("new");
    d.write("new/b");
    long failures = 0;
    for (long k = 1;; ++k) {
        SCOPED_TRACE("k=" + std::to_string(k));
        renaming::NameList list;
        list.SetFolder(d.file("old"));
        list.Reread();  // the process may have stayed there from the last round
        const platform::FileId old = list.folder().id();
        FaultSys fs;
        fs.failNth(k, EIO);
        bool changed = false;
        {
            platform::ScopedSys use(fs);
            try {
                list.SetFolder(d.file("new"));
                changed = true;
            } catch (const platform::InOutError& e) {
                EXPECT_EQ(e.code(), EIO);
                ++failures;
            }
        }
        if (changed) {
            EXPECT_EQ(list.entries(), std::vector<std::string>{"b"});
            EXPECT_EQ(list.Folder(), realPath(d.file("new")));
            EXPECT_EQ(here(), list.folder().id());
        } else {
            EXPECT_EQ(list.entries(), std::vector<std::string>{"a"});
            EXPECT_EQ(list.Folder(), realPath(d.file("old")));
            EXPECT_EQ(list.folder().id(), old);
            EXPECT_EQ(here(), old);
        }
        if (fs.faults() == 0 || HasFailure())
            break;
    }
    EXPECT_GT(failures, 2);
}

// The list's folder is the folder, not its path: renamed, it is read again
// where it is now.
TEST(NameList, RenamedFolderIsReadAgainWhereItIsNow)
{
    CwdGuard guard;
    ScratchDir d;
    d.mkdir("work");
    d.write("work/a");
    renaming::NameList list;
    list.SetFolder(d.file("work"));
    ASSERT_EQ(::rename(d.file("work").c_str(), d.file("moved").c_str()), 0);
    d.mkdir("work");
    d.write("work/other");
    d.write("moved/b");
    list.Reread();
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(platform::currentFolder().value(), realPath(d.file("moved")));
}

}  // namespace
