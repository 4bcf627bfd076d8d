// Stopping a run or an undo from the window, as a user does: the button
// beside the progress bar or Esc, while the job goes; what the status line
// and the summary then say, and what was done.
#include "mainform_fixture.h"

#include "platform/syscalls.h"
#include "rename/ui/memo.h"
#include "support/modal.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

using namespace testing_support;

namespace {

struct StopCase {
    const char* name;
    bool undo;  // the undo of a run is stopped, not the run
    bool esc;   // by the Esc key, not by the button
    const char* summary;
    std::vector<std::string> namesAfter;
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class StopButton : public WindowTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopButton, StopsBeforeTheNextFileAndTheSummarySaysHowManyAreLeft)
{
    const StopCase& c = GetParam();
    auto form = window({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"});
    form->Memo2->setPlainText(u8("v\nw\nx\ny\nz"));
    click(*form, "CheckBoxOldDel");
    if (c.undo) {
        BoxAnswerer answer;
        click(*form, "ButtonRename");
    }
    auto* stop = form->findChild<QPushButton*>(QStringLiteral("ButtonStop"));
    ASSERT_NE(stop, nullptr);
    EXPECT_FALSE(stop->isVisible());
    // Pressed while the first file's rename waits.
    HeldDisk disk(form.get(), [&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return stop->isVisible(); }));
        EXPECT_EQ(stop->text(), u8("中止"));
        if (c.esc)
            QTest::keyClick(form->Memo2, Qt::Key_Escape);
        else
            QTest::mouseClick(stop, Qt::LeftButton);
    });
    platform::ScopedSys scoped(disk);
    {
        BoxAnswerer answer("OK", [&] { return statusLine(*form); });
        if (c.undo)
            form->EditUndoMenu->trigger();
        else
            click(*form, "ButtonRename");
        settleUndo(*form);
        EXPECT_TRUE(disk.delivered());
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].text, u8(c.summary));
        EXPECT_EQ(answer.seen()[0].statusAtOpen, u8("中止しました"));
    }
    EXPECT_FALSE(stop->isVisible());
    EXPECT_EQ(statusLine(*form), kPrompt);
    EXPECT_EQ(work.names(), c.namesAfter);
    // What was done can be taken back; what an undo did not come to, too.
    emit form->EditMenu->aboutToShow();
    EXPECT_TRUE(form->EditUndoMenu->isEnabled());
    settleUndo(*form);
    EXPECT_TRUE(form->EditUndoMenu->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Window, StopButton,
    ::testing::Values(
        StopCase{"RunByTheButton", false, false,
                 "成功：1件　失敗：0件　無視：0件　削除失敗：0件\n中止しました（残り 4 件は処理していません）",
                 {"b.txt", "c.txt", "d.txt", "e.txt", "v.txt"}},
        StopCase{"RunByEsc", false, true,
                 "成功：1件　失敗：0件　無視：0件　削除失敗：0件\n中止しました（残り 4 件は処理していません）",
                 {"b.txt", "c.txt", "d.txt", "e.txt", "v.txt"}},
        StopCase{"UndoByTheButton", true, false, "元に戻した：1件　そのまま：0件　\n中止しました（残り 4 件は処理していません）",
                 {"e.txt", "v.txt", "w.txt", "x.txt", "y.txt"}},
        StopCase{"UndoByEsc", true, true, "元に戻した：1件　そのまま：0件　\n中止しました（残り 4 件は処理していません）",
                 {"e.txt", "v.txt", "w.txt", "x.txt", "y.txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The summary tells of the run as it was asked for: a box changed while the
// run goes (by an accessibility tool, say) changes nothing of it.
TEST_F(WindowTest, TheSummaryWordsTheDeleteBoxAsTheRunWasAsked)
{
    auto form = window({"a.txt", "b.txt"});
    form->Memo2->setPlainText(u8("x\ny"));
    click(*form, "CheckBoxOldDel");
    HeldDisk disk(form.get(), [&] { form->CheckBoxOldDel->setChecked(false); });
    platform::ScopedSys scoped(disk);
    BoxAnswerer answer;
    click(*form, "ButtonRename");
    settleUndo(*form);
    EXPECT_TRUE(disk.delivered());
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].text, u8("成功：2件　失敗：0件　無視：0件　削除失敗：0件"));
    EXPECT_EQ(work.names(), (std::vector<std::string>{"x.txt", "y.txt"}));
}

}  // namespace
