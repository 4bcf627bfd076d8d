// The main window's rename run, driven as a user drives it: buttons
// clicked, boxes read and answered, files and the list looked at afterwards.
#include "mainform_fixture.h"

#include "app/application.h"
#include "platform/exepath.h"
#include "platform/syscalls.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "settings/values.h"
#include "support/faultsys.h"
#include "support/modal.h"
#include "support/programhome.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace testing_support;

namespace {

struct RunCase {
    const char* name;
    std::vector<std::string> files;
    std::vector<std::string> readOnly;
    const char* memo;
    bool append;
    bool deleteOld;
    const char* summary;
    const char* statusAtSummary;  // nullptr: the prompt
    std::vector<std::string> listedAfter;
    bool undoOffered;  // the run made a file, so the edit menu offers to take it back
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class RenameButton : public WindowTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RenameButton, SummaryStatusListAndLastDir)
{
    const auto& c = GetParam();
    auto form = window(c.files, c.readOnly);
    form->Memo2->setPlainText(u8(c.memo));
    if (c.append)
        click(*form, "RadioGroupNameItem1");
    if (c.deleteOld)
        click(*form, "CheckBoxOldDel");
    // No folder was chosen: the run works in the start-up folder and
    // leaves LastDir empty.
    settings::values().LastDir = "/previous";

    {
        BoxAnswerer answer("OK", [&] { return statusLine(*form); });
        click(*form, "ButtonRename");
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].caption, u8("rename結果"));
        EXPECT_EQ(answer.seen()[0].text, u8(c.summary));
        EXPECT_EQ(answer.seen()[0].statusAtOpen,
                  c.statusAtSummary ? u8(c.statusAtSummary) : kPrompt);
    }
    EXPECT_EQ(statusLine(*form), kPrompt);
    EXPECT_EQ(listed(*form), c.listedAfter);
    EXPECT_EQ(form->EditUndoMenu->isEnabled(), c.undoOffered);
    EXPECT_EQ(settings::values().LastDir, "");
    EXPECT_EQ(form->FileListBox->currentIndex().isValid(), false);
}

INSTANTIATE_TEST_SUITE_P(
    Window, RenameButton,
    ::testing::Values(
        RunCase{"EmptyList", {}, {}, "a\nb\n", false, false, "成功：0件　失敗：0件　無視：0件　",
                nullptr, {}, false},
        RunCase{"EmptyListWithDelete", {}, {}, "", false, true,
                "成功：0件　失敗：0件　無視：0件　削除失敗：0件", nullptr, {}, false},
        RunCase{"ValidForbiddenMissing",
                {"a.txt", "b.txt", "c.txt"},
                {},
                "x\na?b",
                false,
                false,
                "成功：1件　失敗：1件　無視：1件　",
                "ファイル「x.txt」を作成しました",
                {"a.txt", "b.txt", "c.txt", "x.txt"},
                true},
        RunCase{"ExtraLinesCountNowhere",
                {"a.txt"},
                {},
                "x\ny\nz\n",
                true,
                false,
                "成功：1件　失敗：0件　無視：0件　",
                "ファイル「ax.txt」を作成しました",
                {"a.txt", "ax.txt"},
                true},
        RunCase{"OwnName",
                {"a.txt"},
                {},
                "a",
                false,
                true,
                "成功：0件　失敗：1件　無視：0件　削除失敗：0件",
                "ファイル「a.txt」の作成に失敗しました",
                {"a.txt"},
                false},
        RunCase{"TwoLinesOneName",
                {"a.txt", "b.txt"},
                {},
                "n\n n\n",
                false,
                false,
                "成功：1件　失敗：1件　無視：0件　",
                "ファイル「n.txt」の作成に失敗しました",
                {"a.txt", "b.txt", "n.txt"},
                true},
        RunCase{"ReadOnlyOldFileWithDelete",
                {"a.txt", "b.txt"},
                {"b.txt"},
                "x\ny",
                false,
                true,
                "成功：1件　失敗：0件　無視：0件　削除失敗：1件",
                "ファイル「b.txt」の削除に失敗しました",
                {"b.txt", "x.txt", "y.txt"},
                true},
        RunCase{"DeleteMovesEveryFile",
                {"a.txt", "b.txt", "c"},
                {},
                "x\n\ny",
                false,
                true,
                "成功：2件　失敗：0件　無視：1件　削除失敗：0件",
                "ファイル「c」を削除しました",
                {"b.txt", "x.txt", "y"},
                true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, RenameKeepsContentUnderTheNewNames)
{
    auto form = window({"a.txt", "b.txt"});
    form->Memo2->setPlainText(u8("写真1\n写真2\n"));
    click(*form, "CheckBoxOldDel");
    BoxAnswerer answer;
    click(*form, "ButtonRename");
    EXPECT_EQ(snapshot(work.path()),
              (std::map<std::string, std::string>{{"写真1.txt", "content of a.txt"},
                                                  {"写真2.txt", "content of b.txt"}}));
}

// The run taken back from the edit menu: the files have their old names and
// content again, undo's own box tells how many came back, and the menu has
// nothing more to offer.
TEST_F(WindowTest, UndoFromTheEditMenuPutsTheOldNamesBack)
{
    auto form = window({"a.txt", "b.txt"});
    const auto before = snapshot(work.path());
    form->Memo2->setPlainText(u8("x\ny\n"));
    click(*form, "CheckBoxOldDel");
    {
        BoxAnswerer answer;
        click(*form, "ButtonRename");
    }
    EXPECT_EQ(listed(*form), (std::vector<std::string>{"x.txt", "y.txt"}));
    ASSERT_TRUE(form->EditUndoMenu->isEnabled());
    {
        BoxAnswerer answer;
        form->EditUndoMenu->trigger();
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].caption, u8("元に戻す結果"));
        EXPECT_EQ(answer.seen()[0].text, u8("元に戻した：2件　そのまま：0件　"));
    }
    EXPECT_EQ(snapshot(work.path()), before);
    EXPECT_EQ(listed(*form), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(form->EditUndoMenu->isEnabled());
}

TEST_F(WindowTest, FolderGoneBeforeTheRereadKeepsTheLastMessageAndLastDir)
{
    auto form = window({"a.txt"});
    form->Memo2->setPlainText(u8("x"));
    settings::values().LastDir = "/previous";
    ::unlink((work / "a.txt").c_str());
    ASSERT_EQ(::rmdir(work.path().c_str()), 0);

    BoxAnswerer answer;
    click(*form, "ButtonRename");
    ASSERT_EQ(answer.seen().size(), 2u);
    EXPECT_EQ(answer.seen()[0].text, u8("成功：0件　失敗：1件　無視：0件　"));
    // Then the general error report for the folder that cannot be entered.
    EXPECT_EQ(answer.seen()[1].caption, static_cast<TApplication*>(qApp)->title());
    EXPECT_EQ(answer.seen()[1].text, u8("ファイルが見つかりません."));
    EXPECT_EQ(statusLine(*form), u8("ファイル「x.txt」の作成に失敗しました"));
    EXPECT_EQ(settings::values().LastDir, "/previous");
    EXPECT_EQ(listed(*form), std::vector<std::string>{"a.txt"});
}

// Counts the paints and shows of a widget, and knows when it was last painted.
class PaintCounter : public QObject {
public:
    // Read by the run's thread too.
    std::atomic<int> paints = 0;
    int shows = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        if (e->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

// A slow disk: each rename waits until the status line has been painted
// since the rename before it, for up to a second. A window that paints as
// the run goes shows every file's step; one that does not is waited for a
// second a file.
class SlowDisk : public FaultSys {
public:
    explicit SlowDisk(const PaintCounter& label) : label_(label) {}
    int renameat2(int od, const char* op, int nd, const char* np, unsigned flags) override
    {
        QElapsedTimer waited;
        waited.start();
        while (label_.paints.load() <= seen_ && waited.elapsed() < 1000)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const int r = FaultSys::renameat2(od, op, nd, np, flags);
        seen_ = label_.paints.load();
        return r;
    }

private:
    const PaintCounter& label_;
    int seen_ = -1;
};

TEST_F(WindowTest, LongRunRepaintsTheStatusLineAndShowsProgress)
{
    std::vector<std::string> files;
    QString memo;
    for (int i = 0; i < 25; ++i) {
        files.push_back("f" + std::to_string(100 + i));
        memo += QString::fromLatin1("g%1\n").arg(100 + i);
    }
    auto form = window(files);
    form->Memo2->setPlainText(memo);
    click(*form, "CheckBoxOldDel");
    auto* label = form->findChild<QLabel*>(QStringLiteral("SimpleText"));
    auto* bar = form->findChild<QProgressBar*>(QStringLiteral("Progress"));
    ASSERT_TRUE(label && bar);
    EXPECT_FALSE(bar->isVisible());

    PaintCounter labelPaints, barEvents;
    label->installEventFilter(&labelPaints);
    bar->installEventFilter(&barEvents);
    SlowDisk disk(labelPaints);
    platform::ScopedSys scoped(disk);
    int paintsBeforeBox = -1;
    bool barVisibleAtBox = true;
    BoxAnswerer answer("OK", [&] {
        paintsBeforeBox = labelPaints.paints;
        barVisibleAtBox = bar->isVisible();
        return QString();
    });
    click(*form, "ButtonRename");
    settleUndo(*form);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].text, u8("成功：25件　失敗：0件　無視：0件　削除失敗：0件"));
    // Each of the 25 files' steps was on the screen while the run went on,
    // and the run, longer than half a second, showed its progress.
    EXPECT_GE(paintsBeforeBox, 25);
    EXPECT_GE(barEvents.shows, 1);
    EXPECT_GE(barEvents.paints, 1);
    EXPECT_EQ(bar->maximum(), 25);
    EXPECT_EQ(bar->text(), QStringLiteral("25 / 25"));
    EXPECT_FALSE(barVisibleAtBox);
}

TEST_F(WindowTest, ShortRunShowsNoProgress)
{
    auto form = window({"a.txt"});
    form->Memo2->setPlainText(u8("b"));
    auto* bar = form->findChild<QProgressBar*>(QStringLiteral("Progress"));
    PaintCounter barEvents;
    bar->installEventFilter(&barEvents);
    BoxAnswerer answer;
    click(*form, "ButtonRename");
    EXPECT_EQ(barEvents.shows, 0);
}

TEST_F(WindowTest, CopyThenRenameUnchanged)
{
    auto form = window({"a.txt", " b.txt"});
    click(*form, "ButtonCopy");
    {
        // Every name comes back as it is, but the one whose leading blank
        // the trim removes.
        BoxAnswerer answer;
        click(*form, "ButtonRename");
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].text, u8("成功：1件　失敗：1件　無視：0件　"));
    }
    EXPECT_EQ(listed(*form), (std::vector<std::string>{" b.txt", "a.txt", "b.txt"}));

    click(*form, "RadioGroupNameItem1");
    click(*form, "ButtonCopy");
    {
        BoxAnswerer answer;
        click(*form, "ButtonRename");
    }
    EXPECT_TRUE(exists(work / "aa.txt"));
    EXPECT_TRUE(exists(work / "bb.txt"));
}

// Checked in the option menu, with the old files deleted, names are
// swapped and shifted whatever the list order; undo takes it back.
TEST_F(WindowTest, SwapsAndShiftsNamesWhenAskedAndUndoTakesThemBack)
{
    auto form = window({"a.txt", "b.txt", "f1.txt", "f2.txt"});
    const auto before = snapshot(work.path());
    form->Memo2->setPlainText(u8("b\na\nf2\nf3"));
    click(*form, "CheckBoxOldDel");
    form->OptionSwapMenu->trigger();
    {
        BoxAnswerer answer;
        click(*form, "ButtonRename");
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].text, u8("成功：4件　失敗：0件　無視：0件　削除失敗：0件"));
    }
    EXPECT_EQ(snapshot(work.path()), (std::map<std::string, std::string>{{"a.txt", "content of b.txt"},
                                                                         {"b.txt", "content of a.txt"},
                                                                         {"f2.txt", "content of f1.txt"},
                                                                         {"f3.txt", "content of f2.txt"}}));
    {
        BoxAnswerer answer;
        form->EditUndoMenu->trigger();
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].text, u8("元に戻した：4件　そのまま：0件　"));
    }
    EXPECT_EQ(snapshot(work.path()), before);
}

}  // namespace
