// The main window's rename run, one-item test and name copy, driven as a
// user drives them: buttons clicked, boxes read and answered, files and the
// list looked at afterwards.
#include "app/application.h"
#include "app/mainform.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using namespace testing_support;

namespace {

const QString kPrompt = QString::fromUtf8(
    "Renameしたいファイルがあるフォルダを選択して、Renameボタンを押してください");

QString u8(const char* s) { return QString::fromUtf8(s); }

class WindowTest : public ProgramInScratch {
protected:
    // A window on the work folder, which holds `files` when it is made.
    std::unique_ptr<TMainForm> window(const std::vector<std::string>& files,
                                      const std::vector<std::string>& readOnly = {})
    {
        for (const auto& f : files)
            writeFile(work / f, "content of " + f);
        for (const auto& f : readOnly)
            ::chmod((work / f).c_str(), 0444);
        auto form = std::make_unique<TMainForm>();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }

    static void click(TMainForm& form, const char* name)
    {
        auto* w = form.findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        QTest::mouseClick(w, Qt::LeftButton);
    }

    static std::vector<std::string> listed(TMainForm& form)
    {
        std::vector<std::string> out;
        for (int i = 0; i < form.FileListBox->Count(); ++i)
            out.push_back(form.FileListBox->NameAt(i));
        return out;
    }

};

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
};

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
        BoxAnswerer answer("OK", [&] { return form->statusText(); });
        click(*form, "ButtonRename");
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].caption, u8("rename結果"));
        EXPECT_EQ(answer.seen()[0].text, u8(c.summary));
        EXPECT_EQ(answer.seen()[0].statusAtOpen,
                  c.statusAtSummary ? u8(c.statusAtSummary) : kPrompt);
    }
    EXPECT_EQ(form->statusText(), kPrompt);
    EXPECT_EQ(listed(*form), c.listedAfter);
    EXPECT_EQ(settings::values().LastDir, "");
    EXPECT_EQ(form->FileListBox->currentIndex().isValid(), false);
}

INSTANTIATE_TEST_SUITE_P(
    Window, RenameButton,
    ::testing::Values(
        RunCase{"EmptyList", {}, {}, "a\nb\n", false, false, "成功：0件　失敗：0件　無視：0件　",
                nullptr, {}},
        RunCase{"EmptyListWithDelete", {}, {}, "", false, true,
                "成功：0件　失敗：0件　無視：0件　削除失敗：0件", nullptr, {}},
        RunCase{"ValidForbiddenMissing",
                {"a.txt", "b.txt", "c.txt"},
                {},
                "x\na?b",
                false,
                false,
                "成功：1件　失敗：1件　無視：1件　",
                "ファイル「x.txt」を作成しました",
                {"a.txt", "b.txt", "c.txt", "x.txt"}},
        RunCase{"ExtraLinesCountNowhere",
                {"a.txt"},
                {},
                "x\ny\nz\n",
                true,
                false,
                "成功：1件　失敗：0件　無視：0件　",
                "ファイル「ax.txt」を作成しました",
                {"a.txt", "ax.txt"}},
        RunCase{"OwnName",
                {"a.txt"},
                {},
                "a",
                false,
                true,
                "成功：0件　失敗：1件　無視：0件　削除失敗：0件",
                "ファイル「a.txt」の作成に失敗しました",
                {"a.txt"}},
        RunCase{"TwoLinesOneName",
                {"a.txt", "b.txt"},
                {},
                "n\n n\n",
                false,
                false,
                "成功：1件　失敗：1件　無視：0件　",
                "ファイル「n.txt」の作成に失敗しました",
                {"a.txt", "b.txt", "n.txt"}},
        RunCase{"ReadOnlyOldFileWithDelete",
                {"a.txt", "b.txt"},
                {"b.txt"},
                "x\ny",
                false,
                true,
                "成功：1件　失敗：0件　無視：0件　削除失敗：1件",
                "ファイル「b.txt」の削除に失敗しました",
                {"b.txt", "x.txt", "y.txt"}},
        RunCase{"DeleteMovesEveryFile",
                {"a.txt", "b.txt", "c"},
                {},
                "x\n\ny",
                false,
                true,
                "成功：2件　失敗：0件　無視：1件　削除失敗：0件",
                "ファイル「c」を削除しました",
                {"b.txt", "x.txt", "y"}}),
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
    EXPECT_EQ(form->statusText(), u8("ファイル「x.txt」の作成に失敗しました"));
    EXPECT_EQ(settings::values().LastDir, "/previous");
    EXPECT_EQ(listed(*form), std::vector<std::string>{"a.txt"});
}

// Slows every file operation down so that the run takes about a second.
class SlowDisk : public FaultSys {
public:
    int renameat2(int od, const char* op, int nd, const char* np, unsigned flags) override
    {
        ::usleep(40000);
        return FaultSys::renameat2(od, op, nd, np, flags);
    }
};

class PaintCounter : public QObject {
public:
    int paints = 0;
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
    SlowDisk disk;
    platform::ScopedSys scoped(disk);
    int paintsBeforeBox = -1;
    bool barVisibleAtBox = true;
    BoxAnswerer answer("OK", [&] {
        paintsBeforeBox = labelPaints.paints;
        barVisibleAtBox = bar->isVisible();
        return QString();
    });
    click(*form, "ButtonRename");
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].text, u8("成功：25件　失敗：0件　無視：0件　削除失敗：0件"));
    // About a second of work: at least one paint per 100 ms after the first.
    EXPECT_GE(paintsBeforeBox, 7);
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

// --- one-item test and name copy --------------------------------------

struct TestCase {
    const char* name;
    std::vector<std::string> files;
    const char* memo;
    bool append;
    bool errorReport;  // the general error report instead of the test's box
    const char* text;
};

class TestButton : public WindowTest, public ::testing::WithParamInterface<TestCase> {};

TEST_P(TestButton, ShowsWhatTheFirstFileWouldBeCalled)
{
    const auto& c = GetParam();
    auto form = window(c.files);
    form->Memo2->setPlainText(u8(c.memo));
    if (c.append)
        click(*form, "RadioGroupNameItem1");
    // The selected entry plays no part.
    if (form->FileListBox->Count() > 1)
        form->FileListBox->setCurrentIndex(form->FileListBox->model()->index(1, 0));
    const auto before = snapshot(work.path());

    BoxAnswerer answer;
    click(*form, "ButtonTest");
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].caption, c.errorReport ? static_cast<TApplication*>(qApp)->title()
                                                     : u8("renameテスト"));
    EXPECT_EQ(answer.seen()[0].text, u8(c.text));
    EXPECT_EQ(snapshot(work.path()), before);
    EXPECT_EQ(form->statusText(), kPrompt);
}

INSTANTIATE_TEST_SUITE_P(
    Window, TestButton,
    ::testing::Values(
        TestCase{"EmptyMemo", {"a.txt"}, "", false, false, "ファイル名が入力されていません"},
        TestCase{"BlankLine", {"a.txt"}, " \t\nx", false, false, "ファイル名が入力されていません"},
        TestCase{"Replace", {"b.txt", "a.txt"}, "x\ny", false, false,
                 "新しいファイル名は「x.txt」になります"},
        TestCase{"Append", {"a.txt"}, "x", true, false, "新しいファイル名は「ax.txt」になります"},
        TestCase{"Invalid", {"a.txt"}, "a|b", false, false, "ファイル名に不正な文字があります"},
        TestCase{"InvalidOnEmptyList", {}, "a|b", false, false,
                 "ファイル名に不正な文字があります"},
        TestCase{"EmptyList", {}, "x", false, true, "リストのインデックスが範囲を超えています (0)"},
        TestCase{"ExistingNameIsNotChecked", {"a.txt", "x.txt"}, "x", false, false,
                 "新しいファイル名は「x.txt」になります"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, CopyFillsTheMemoWithTheBases)
{
    auto form = window({"c", "b.txt", "a.tar.gz"});
    form->Memo2->setPlainText(u8("old text\nmore"));
    click(*form, "ButtonCopy");
    EXPECT_EQ(form->Memo2->toPlainText(), u8("a.tar\nb\nc\n"));
    EXPECT_EQ(form->Memo2->Lines.Count(), 3);
    EXPECT_EQ(form->Memo2->Lines[2], "c");
    EXPECT_EQ(form->Memo2->Lines[3], "");
}

TEST_F(WindowTest, CopyOnAnEmptyListEmptiesTheMemo)
{
    auto form = window({});
    form->Memo2->setPlainText(u8("x"));
    click(*form, "ButtonCopy");
    EXPECT_EQ(form->Memo2->toPlainText(), QString());
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

}  // namespace

namespace {

TEST_F(WindowTest, NamesThatWouldSplitAMemoLineAreNotListed)
{
    // The memo takes these characters for line ends: a name holding one
    // would shift every later line onto the wrong file.
    auto form = window({"a\xE2\x80\xA9z.txt", "b\xEF\xB7\x90.txt", "c\xEF\xB7\x91.txt",
                        "d\xE2\x80\xA8.txt", "e.txt"});
    click(*form, "ButtonCopy");
    EXPECT_EQ(form->Memo2->Lines.Count(), form->FileListBox->Count());
    for (int i = 0; i < form->FileListBox->Count(); ++i) {
        const std::string& name = form->FileListBox->NameAt(i);
        EXPECT_EQ(form->Memo2->Lines[i], name.substr(0, name.rfind('.'))) << i;
    }
}

}  // namespace
