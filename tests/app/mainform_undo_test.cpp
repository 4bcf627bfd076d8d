// Taking the last run back from the edit menu, the offer of a run that was
// cut short, and the window during a run: driven as a user drives them, on
// real files, with the journals in the test program's own state folder.
#include "mainform_fixture.h"

#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/syscalls.h"
#include "rename/journal.h"
#include "rename/journalstore.h"
#include "rename/ui/memo.h"
#include "support/faultsys.h"
#include "support/modal.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string_view>
#include <thread>

using namespace testing_support;

namespace {

class UndoTest : public WindowTest {
protected:
    // Runs the window's rename with `memo`, answering its summary.
    static QString rename(TMainForm& form, const char* memo, bool deleteOld)
    {
        form.Memo2->setPlainText(u8(memo));
        if (form.CheckBoxOldDel->isChecked() != deleteOld)
            click(form, "CheckBoxOldDel");
        BoxAnswerer answer;
        click(form, "ButtonRename");
        settleUndo(form);
        EXPECT_EQ(answer.seen().size(), 1u);
        return answer.seen().empty() ? QString() : answer.seen()[0].text;
    }
    // The edit menu as a user opens it, then its undo item.
    static std::vector<SeenBox> undo(TMainForm& form)
    {
        emit form.EditMenu->aboutToShow();
        settleUndo(form);
        EXPECT_TRUE(form.EditUndoMenu->isEnabled());
        BoxAnswerer answer;
        form.EditUndoMenu->trigger();
        settleUndo(form);
        return answer.seen();
    }
    static bool undoOffered(TMainForm& form)
    {
        emit form.EditMenu->aboutToShow();
        settleUndo(form);
        return form.EditUndoMenu->isEnabled();
    }
};

TEST_F(UndoTest, TakesBackMovesAndCopiesThenHasNothingLeftToTakeBack)
{
    auto form = window({"a.txt", "b.txt", "c.txt"});
    EXPECT_FALSE(undoOffered(*form));
    // A chain with the box ticked: a -> b's name after b has moved away.
    EXPECT_EQ(rename(*form, "x\nz\n\n", true), u8("成功：2件　失敗：0件　無視：1件　削除失敗：0件"));
    EXPECT_EQ(work.names(), (std::vector<std::string>{"c.txt", "x.txt", "z.txt"}));
    ASSERT_TRUE(undoOffered(*form));

    const auto boxes = undo(*form);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u8("元に戻す結果"));
    EXPECT_EQ(boxes[0].text, u8("元に戻した：2件　そのまま：0件　"));
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(work.read("a.txt"), "content of a.txt");
    EXPECT_EQ(listed(*form), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(statusLine(*form), kPrompt);
    // Taken back once: the journal says so.
    EXPECT_FALSE(undoOffered(*form));

    // Copies, the box unticked: undo removes them and leaves the originals.
    EXPECT_EQ(rename(*form, "a2\nb2\nc2", false), u8("成功：3件　失敗：0件　無視：0件　"));
    ASSERT_EQ(undo(*form).size(), 1u);
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

TEST_F(UndoTest, LeavesAloneWhatChangedSinceTheRunAndSaysWhy)
{
    auto form = window({"a.txt", "b.txt", "c.txt"});
    EXPECT_EQ(rename(*form, "a2\nb2\nc2", false), u8("成功：3件　失敗：0件　無視：0件　"));
    // The user edits one copy (it is no longer the run's copy) and removes
    // the original of another (its copy is all that is left of it).
    writeFile(work / "a2.txt", "edited by the user");
    ::unlink((work / "b.txt").c_str());

    const auto boxes = undo(*form);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u8("元に戻した：1件　そのまま：2件　\n変更されていた：1件　元のファイルがない：1件　"));
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a.txt", "a2.txt", "b2.txt", "c.txt"}));
    EXPECT_EQ(work.read("a2.txt"), "edited by the user");
    EXPECT_EQ(work.read("b2.txt"), "content of b.txt");
}

TEST_F(UndoTest, NeverMovesBackOntoANameTakenMeanwhile)
{
    auto form = window({"a.txt", "b.txt"});
    rename(*form, "a2\nb2", true);
    writeFile(work / "a.txt", "a new file of the user's");

    const auto boxes = undo(*form);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u8("元に戻した：1件　そのまま：1件　\n元の名前が使われていた：1件　"));
    EXPECT_EQ(work.read("a.txt"), "a new file of the user's");
    EXPECT_EQ(work.read("a2.txt"), "content of a.txt");
    EXPECT_EQ(work.read("b.txt"), "content of b.txt");
}

// Two windows in one folder, each with a run of its own there: each
// window's undo takes back its own run, whichever ran last.
TEST_F(UndoTest, EachOfTwoWindowsInAFolderTakesBackItsOwnRun)
{
    auto first = window({"a.txt", "b.txt"});
    auto second = window({});
    rename(*first, "a2\n", true);
    rename(*second, "\nb2", true);
    ASSERT_EQ(work.names(), (std::vector<std::string>{"a2.txt", "b2.txt"}));

    EXPECT_EQ(undo(*first).at(0).text, u8("元に戻した：1件　そのまま：0件　"));
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a.txt", "b2.txt"}));
    EXPECT_EQ(undo(*second).at(0).text, u8("元に戻した：1件　そのまま：0件　"));
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(undoOffered(*first));
    EXPECT_FALSE(undoOffered(*second));
}

// A journal as a run leaves it when it is killed after its first move.
void cutRunJournal(const platform::FolderHandle& folder, const std::string& from, const std::string& to,
                   const platform::FileId& stamp, const platform::FileId& second = {})
{
    renaming::JournalWriter j = renaming::journals::create().value();
    ASSERT_TRUE(j.valid());
    j.begin({folder.path(), folder.id().device, folder.id().inode}, 1, 2, true);
    j.intent(0, renaming::JournalOp::move, from, to, stamp);
    j.done(0, renaming::JournalOp::move, stamp);
    j.intent(1, renaming::JournalOp::move, "b.txt", "y.txt", second);
}

platform::FileId stampOfPath(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {static_cast<uint64_t>(st.st_size), st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            static_cast<uint64_t>(st.st_ino)};
}

TEST_F(UndoTest, OffersOnceToTakeBackARunThatWasCutShortWhenItsFolderIsChosen)
{
    ScratchDir other;
    writeFile(other / "x.txt", "was a");
    writeFile(other / "b.txt", "b");
    cutRunJournal(platform::FolderHandle::open(other.path()).value(), "a.txt", "x.txt",
                  stampOfPath(other / "x.txt"), stampOfPath(other / "b.txt"));
    auto form = window({});
    {
        BoxAnswerer answer("Yes");
        form->chooseFolder(other.path());
        settleUndo(*form);
        ASSERT_EQ(answer.seen().size(), 2u);
        EXPECT_EQ(answer.seen()[0].caption, u8("前回のリネーム"));
        EXPECT_EQ(answer.seen()[0].text,
                  u8("このフォルダでの前回のリネームは途中で終わっています。\n元に戻しますか？"));
        EXPECT_EQ(answer.seen()[1].text, u8("元に戻した：1件　そのまま：0件　"));
    }
    EXPECT_EQ(other.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(listed(*form), (std::vector<std::string>{"a.txt", "b.txt"}));

    // Declined, the run stays on the menu, and is not asked about again.
    ScratchDir third;
    writeFile(third / "x.txt", "was a");
    cutRunJournal(platform::FolderHandle::open(third.path()).value(), "a.txt", "x.txt", stampOfPath(third / "x.txt"));
    {
        BoxAnswerer answer("No");
        form->chooseFolder(third.path());
        settleUndo(*form);
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].caption, u8("前回のリネーム"));
    }
    EXPECT_TRUE(undoOffered(*form));
    {
        BoxAnswerer answer("No");
        form->chooseFolder(other.path());
        settleUndo(*form);
        form->chooseFolder(third.path());
        settleUndo(*form);
        EXPECT_TRUE(answer.seen().empty());
    }
    EXPECT_EQ(third.names(), std::vector<std::string>{"x.txt"});
}

// The window's thread opens no journal as a folder is chosen, the edit menu
// opens or undo goes: on that thread alone, the fault layer refuses every
// open in the state folder and notes it, so that a journal read there
// would show in the menu and the offer as well.
TEST_F(UndoTest, TheWindowsThreadReadsNoJournal)
{
    ScratchDir other;
    writeFile(other / "x.txt", "was a");
    cutRunJournal(platform::FolderHandle::open(other.path()).value(), "a.txt", "x.txt", stampOfPath(other / "x.txt"));
    auto first = window({"a.txt", "b.txt"});
    rename(*first, "a2\nb2", true);

    const auto windowThread = std::this_thread::get_id();
    const std::string state = renaming::journals::stateFolder();
    std::atomic<int> opened{0};
    FaultSys watch;
    watch.onOpen = [&](int dir, const char* path, int flags, mode_t mode) {
        if (std::this_thread::get_id() == windowThread && std::string_view(path).starts_with(state)) {
            ++opened;
            return refuse(EIO);
        }
        return platform::Sys().openat(dir, path, flags, mode);
    };
    platform::ThreadSys onWindowThread(watch);

    auto form = window({});
    EXPECT_TRUE(undoOffered(*form));
    {
        BoxAnswerer answer("No");
        form->chooseFolder(other.path());
        settleUndo(*form);
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].caption, u8("前回のリネーム"));
    }
    EXPECT_TRUE(undoOffered(*form));
    ASSERT_EQ(undo(*form).size(), 1u);
    EXPECT_EQ(other.names(), std::vector<std::string>{"a.txt"});
    EXPECT_FALSE(undoOffered(*form));
    EXPECT_EQ(opened.load(), 0);
}

// Where the disk refuses undo's renames (a stick's write protection), the
// summary says so and the run stays to be taken back once the disk takes it.
TEST_F(UndoTest, AStepTheDiskRefusedLeavesTheRunToBeTakenBackAgain)
{
    auto form = window({"a.txt", "b.txt"});
    rename(*form, "a2\nb2", true);
    {
        FaultSys refusing;
        refusing.onRenameat2 = [](int, const char*, int, const char*, unsigned) { return refuse(EROFS); };
        refusing.onLinkat = [](int, const char*, int, const char*, int) { return refuse(EROFS); };
        platform::ScopedSys scoped(refusing);
        const auto boxes = undo(*form);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, u8("元に戻した：0件　そのまま：2件　\n失敗：2件　"));
    }
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a2.txt", "b2.txt"}));
    ASSERT_TRUE(undoOffered(*form));
    const auto boxes = undo(*form);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u8("元に戻した：2件　そのまま：0件　"));
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(undoOffered(*form));
}

// A run whose journal could not be made cannot be taken back, and an older
// run of the folder is not taken for it: the files have moved on since.
TEST_F(UndoTest, ARunWithoutAJournalOffersNoUndoNotEvenOfAnOlderRun)
{
    auto form = window({"a.txt", "b.txt"});
    rename(*form, "a2\nb2", true);
    ASSERT_TRUE(undoOffered(*form));
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    writeFile(work / "not-a-folder", "x");
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(work / "not-a-folder"));
    rename(*form, "a3\nb3", true);
    qputenv("XDG_STATE_HOME", state);
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a3.txt", "b3.txt", "not-a-folder"}));
    EXPECT_FALSE(undoOffered(*form));
    // A journalled run there again can be taken back.
    rename(*form, "a4\nb4", true);
    EXPECT_TRUE(undoOffered(*form));
}

// The state folder's disk fills up mid-run: the summary says from which
// entry on the run could not be recorded, the next start does not take the
// run for one cut short, and undo says how many it could not take back.
TEST_F(UndoTest, AStateDiskThatFillsUpMidRunIsToldOfAndNotTakenForACutRun)
{
    // More intents than the room takes, whether each goes alone or a batch
    // of them in one write.
    constexpr int n = 200;
    std::vector<std::string> files;
    QString memo;
    for (int i = 0; i < n; ++i) {
        files.push_back("f" + std::to_string(100 + i) + ".txt");
        memo += QStringLiteral("g%1\n").arg(100 + i);
    }
    auto form = window(files);
    QString summary;
    {
        FaultSys disk;
        diskRoomFor(disk, 4096);
        platform::ScopedSys scoped(disk);
        summary = rename(*form, memo.toUtf8().constData(), true);
    }
    const QStringList lines = summary.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << summary.toStdString();
    EXPECT_EQ(lines[0], u8("成功：%1件　失敗：0件　無視：0件　削除失敗：0件").arg(n));
    const QRegularExpression said(u8("^(\\d+) 番から後は記録できませんでした（元に戻せません）$"));
    const auto match = said.match(lines[1]);
    ASSERT_TRUE(match.hasMatch()) << lines[1].toStdString();
    const int from = match.captured(1).toInt();
    EXPECT_GT(from, 1);
    EXPECT_LE(from, n);

    auto next = window({});
    {
        BoxAnswerer answer("No");
        next->chooseFolder(work.path());
        settleUndo(*next);
        EXPECT_TRUE(answer.seen().empty()) << "taken for a run cut short";
    }
    const auto boxes = undo(*form);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u8("元に戻した：%1件　そのまま：0件　\n記録がないため %2 件は元に戻せませんでした")
                                 .arg(from - 1)
                                 .arg(n + 1 - from));
}

// Journals beyond the last ten go after a run's summary; the run's own is
// kept and can be taken back.
TEST_F(UndoTest, ARunLeavesTheLastTenJournalsItsOwnAmongThem)
{
    ScratchDir state;
    const EnvGuard env("XDG_STATE_HOME", state.path().c_str());
    for (int i = 0; i < renaming::journals::kKept + 2; ++i)
        renaming::journals::create().value().end();
    auto form = window({"a.txt", "b.txt"});
    rename(*form, "a2\nb2", true);
    int journals = 0;
    platform::listPlainFiles(renaming::journals::stateFolder(), [&](const char*, size_t) { ++journals; });
    EXPECT_EQ(journals, renaming::journals::kKept);
    EXPECT_TRUE(undoOffered(*form));
    undo(*form);
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(UndoTest, WindowTakesNoInputWhileARunGoes)
{
    auto form = window({"a.txt", "b.txt"});
    form->Memo2->setPlainText(u8("a2\nb2"));
    click(*form, "CheckBoxOldDel");
    form->Memo2->setFocus();
    auto* button = form->findChild<QPushButton*>(QStringLiteral("ButtonRename"));
    // Done on the window's thread while the run waits: keys for the memo,
    // clicks on the button and the memo, a close of the window.
    HeldDisk disk(form.get(), [&] {
        QTest::keyClicks(form->Memo2, "xyz");
        QTest::keyClick(form->Memo2, Qt::Key_Return);
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(form->Memo2->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
        // As an accessibility tool presses buttons: no event at all.
        button->click();
        form->findChild<QPushButton*>(QStringLiteral("ButtonCopy"))->click();
        form->close();
    });
    platform::ScopedSys scoped(disk);
    BoxAnswerer answer;
    click(*form, "ButtonRename");
    settleUndo(*form);
    EXPECT_TRUE(disk.delivered());
    // One run, one summary; the memo as it was; the window still open.
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].caption, u8("rename結果"));
    EXPECT_EQ(form->Memo2->toPlainText(), u8("a2\nb2"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(work.names(), (std::vector<std::string>{"a2.txt", "b2.txt"}));
    // And input reaches the window again afterwards.
    QTest::keyClick(form->Memo2, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form->Memo2, "!");
    EXPECT_EQ(form->Memo2->toPlainText(), u8("a2\nb2!"));
}

TEST(CopyProgressText, SaysBytesOfAllAndTheTimeLeft)
{
    const uint64_t GiB = uint64_t{1} << 30, MiB = uint64_t{1} << 20;
    EXPECT_EQ(TMainForm::copyProgressText(GiB, 4 * GiB, 10), u8("1.0 GiB / 4.0 GiB　残り約 30 秒"));
    EXPECT_EQ(TMainForm::copyProgressText(512 * MiB, 4 * GiB, 30), u8("512.0 MiB / 4.0 GiB　残り約 4 分"));
    // Nothing yet, or all done: no guess at the time.
    EXPECT_EQ(TMainForm::copyProgressText(0, 2 * GiB, 5), u8("0.0 MiB / 2.0 GiB"));
    EXPECT_EQ(TMainForm::copyProgressText(2 * GiB, 2 * GiB, 5), u8("2.0 GiB / 2.0 GiB"));
}

}  // namespace
