// The preview as a user reaches it from the edit menu, and the pairing aid:
// what the preview predicts is what the run then reports, a double-clicked
// pair takes the caret to its line, and the caret's line shows its entry.
#include "mainform_fixture.h"

#include "app/previewform.h"
#include "rename/ui/memo.h"
#include "support/modal.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>

using namespace testing_support;

namespace {

class PreviewWindow : public WindowTest {
protected:
    // Opens the preview from the menu and runs `act` on it.
    void preview(TMainForm& form, std::function<void(TPreviewForm&)> act)
    {
        bool seen = false;
        onModal([&](QWidget* w) {
            auto* p = qobject_cast<TPreviewForm*>(w);
            ASSERT_NE(p, nullptr);
            seen = true;
            act(*p);
            if (p->isVisible())
                p->reject();
        });
        form.EditPreviewMenu->trigger();
        EXPECT_TRUE(seen);
    }

    static int selectedEntry(TMainForm& form)
    {
        const auto rows = form.FileListBox->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.front().row() : -1;
    }
};

TEST_F(PreviewWindow, PredictsWhatTheRunThenReportsAndChangesNothing)
{
    auto form = window({"a.txt", "b.txt", "c.txt", "d.txt"}, {"d.txt"});
    writeFile(work / "taken.txt", "someone else's");
    form->Memo2->setPlainText(u8("x\nx\na?b\ntaken\nextra\n"));
    form->CheckBoxOldDel->setChecked(true);
    // The list was read before taken.txt was made: it has four entries.
    const auto before = snapshot(work.path());

    QString counts;
    QStringList outcomes;
    preview(*form, [&](TPreviewForm& p) {
        counts = p.PreviewCounts->text();
        QAbstractItemModel* m = p.PreviewList->model();
        for (int r = 0; r < m->rowCount(); ++r)
            outcomes << m->index(r, 3).data().toString();
        EXPECT_EQ(p.PreviewUnpaired->text(), u8("1 行の名前に対応するファイルがありません"));
    });
    EXPECT_EQ(snapshot(work.path()), before);
    EXPECT_EQ(outcomes, (QStringList{u8("成功：作成して古いファイルを削除"),
                                     u8("失敗：1 番が先にこの名前を作ります"),
                                     u8("失敗：使えない文字があります"),
                                     u8("失敗：同じ名前のファイルがあります")}));

    BoxAnswerer answer;
    click(*form, "ButtonRename");
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].text, counts);
}

TEST_F(PreviewWindow, ADoubleClickedPairPutsTheCaretOnItsLine)
{
    auto form = window({"a.txt", "b.txt", "c.txt"});
    form->Memo2->setPlainText(u8("one\n\nthree"));
    preview(*form, [&](TPreviewForm& p) {
        QTableView* list = p.PreviewList;
        const QRect r = list->visualRect(list->model()->index(2, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    });
    EXPECT_EQ(form->Memo2->caretLine(), 2);
    EXPECT_EQ(form->Memo2->caretColumn(), 0);
    EXPECT_EQ(form->focusWidget(), form->Memo2);
}

TEST_F(PreviewWindow, ThePairingAidShowsTheEntryOfTheCaretsLine)
{
    auto form = window({"a.txt", "b.txt", "c.txt"});
    EXPECT_EQ(selectedEntry(*form), -1);
    form->Memo2->setPlainText(u8("x\ny\nz\nw\n"));
    for (int line : {1, 2, 0}) {
        form->Memo2->setCaret(form->Memo2->lineStart(line));
        EXPECT_EQ(selectedEntry(*form), line);
    }
    // A line with no entry shows none.
    form->Memo2->setCaret(form->Memo2->lineStart(3));
    EXPECT_EQ(selectedEntry(*form), -1);

    // The selection changes no operation: the test still takes entry 0.
    form->Memo2->setCaret(form->Memo2->lineStart(2));
    BoxAnswerer answer;
    click(*form, "ButtonTest");
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].text, u8("新しいファイル名は「x.txt」になります"));

    // A re-read after a run leaves nothing selected until the caret moves.
    click(*form, "ButtonRename");
    EXPECT_EQ(selectedEntry(*form), -1);
    QTest::keyClick(form->Memo2, Qt::Key_Up);
    EXPECT_EQ(selectedEntry(*form), 1);
}

// Where names are swapped, the preview lists the steps in the run's order:
// a chain from its free end, a cycle with its two temporary steps.
TEST_F(PreviewWindow, ShowsTheOrderAndTheTemporaryStepsOfASwap)
{
    auto form = window({"a.txt", "b.txt", "f1.txt", "f2.txt"});
    form->Memo2->setPlainText(u8("b\na\nf2\nf3"));
    form->CheckBoxOldDel->setChecked(true);
    form->OptionSwapMenu->setChecked(true);
    QStringList rows;
    preview(*form, [&](TPreviewForm& p) {
        QAbstractItemModel* m = p.PreviewList->model();
        for (int r = 0; r < m->rowCount(); ++r)
            rows << QStringList{m->index(r, 0).data().toString(), m->index(r, 1).data().toString(),
                                m->index(r, 2).data().toString(), m->index(r, 3).data().toString()}
                        .join(QLatin1Char('|'));
        EXPECT_EQ(p.PreviewCounts->text().left(6), u8("成功：4件　"));
    });
    EXPECT_EQ(rows, (QStringList{
                        u8("1|a.txt|（一時的な名前）|一時的な名前へ移します"),
                        u8("2|b.txt|a.txt|成功：作成して古いファイルを削除（1 番が空ける名前）"),
                        u8("1|（一時的な名前）|b.txt|成功：作成して古いファイルを削除（2 番が空ける名前）"),
                        u8("4|f2.txt|f3.txt|成功：作成して古いファイルを削除"),
                        u8("3|f1.txt|f2.txt|成功：作成して古いファイルを削除（4 番が空ける名前）"),
                    }));
}

}  // namespace
