// The tools that make names on the memo's lines, as a user reaches them from
// the menus: each dialog's live table, its one edit of the memo that Ctrl+Z
// takes back whole, and the import of a file of names.
#include "mainform_fixture.h"

#include "lines/ui/columnsdialog.h"
#include "lines/ui/convertdialog.h"
#include "lines/ui/replacedialog.h"
#include "rename/ui/memo.h"
#include "support/modal.h"
#include "support/photo.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <fcntl.h>
#include <sys/stat.h>

using namespace testing_support;
using lines::ui::TConvertDialog;
using lines::ui::TLinesDialog;
using lines::ui::TReplaceDialog;

namespace {

class LinesWindow : public WindowTest {
protected:
    // Opens the dialog of `action` and runs `act` on it while it is shown;
    // a dialog `act` leaves open is cancelled.
    template <class D>
    void withDialog(QAction* action, std::function<void(D&)> act)
    {
        bool seen = false;
        onModal([&](QWidget* w) {
            auto* d = qobject_cast<D*>(w);
            ASSERT_NE(d, nullptr) << w->metaObject()->className();
            seen = true;
            act(*d);
            if (d->isVisible())
                d->reject();
        });
        action->trigger();
        EXPECT_TRUE(seen);
    }

    // Waits for the dialog's table to show the settings shown.
    static void settle(TLinesDialog& d) { EXPECT_TRUE(QTest::qWaitFor([&] { return !d.busy(); }, 10000)); }

    static QStringList column(TLinesDialog& d, int c)
    {
        QStringList out;
        const QAbstractItemModel* m = d.ChangesList->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, c).data().toString();
        return out;
    }

    static void undo(TMainForm& form)
    {
        form.Memo2->setFocus();
        QTest::keyClick(form.Memo2, Qt::Key_Z, Qt::ControlModifier);
    }

    static QString text(TMainForm& form) { return form.Memo2->toPlainText(); }
};

TEST_F(LinesWindow, ReplaceIsOneEditThatUndoTakesBack)
{
    auto form = window({"a.jpg", "b.jpg", "c.jpg"});
    form->Memo2->setPlainText(u8("IMG_1\nother\nIMG_2\n"));
    withDialog<TReplaceDialog>(form->EditReplaceMenu, [&](TReplaceDialog& d) {
        EXPECT_EQ(d.windowTitle(), u8("置換"));
        EXPECT_EQ(d.SearchEdit->accessibleName(), u8("検索する文字列"));
        EXPECT_EQ(d.ReplaceEdit->accessibleName(), u8("置換後の文字列"));
        EXPECT_FALSE(d.SelectedLines->isEnabled());
        d.SearchEdit->setText(u8("img_"));
        d.ReplaceEdit->setText(u8("旅行_"));
        settle(d);
        EXPECT_EQ(d.ChangeCount->text(), u8("2 行を変更します"));
        EXPECT_EQ(column(d, 0), (QStringList{"1", "3"}));
        EXPECT_EQ(column(d, 1), (QStringList{"IMG_1", "IMG_2"}));
        EXPECT_EQ(column(d, 2), (QStringList{u8("旅行_1"), u8("旅行_2")}));
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(text(*form), u8("旅行_1\nother\n旅行_2\n"));
    undo(*form);
    EXPECT_EQ(text(*form), u8("IMG_1\nother\nIMG_2\n"));
}

TEST_F(LinesWindow, AFaultyPatternIsShownInRedAndCannotBeApplied)
{
    auto form = window({"a.jpg"});
    form->Memo2->setPlainText(u8("a(b\n"));
    withDialog<TReplaceDialog>(form->EditReplaceMenu, [&](TReplaceDialog& d) {
        d.UseRegex->setChecked(true);
        d.SearchEdit->setText(u8("a("));
        settle(d);
        EXPECT_TRUE(d.Problem->isVisible());
        EXPECT_TRUE(d.Problem->text().startsWith(u8("正規表現の誤り（位置 2）：")));
        EXPECT_EQ(d.Problem->palette().color(QPalette::WindowText), QColor(Qt::red));
        EXPECT_FALSE(d.OkButton->isEnabled());
        QTest::keyClick(d.SearchEdit, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        d.SearchEdit->setText(u8("a\\("));
        settle(d);
        EXPECT_FALSE(d.Problem->isVisible());
        EXPECT_TRUE(d.OkButton->isEnabled());
    });
    EXPECT_EQ(text(*form), u8("a(b\n"));
}

TEST_F(LinesWindow, SelectedLinesAreTheLinesTheSelectionTouches)
{
    auto form = window({"a.jpg"});
    form->Memo2->setPlainText(u8("a\na\na\na\n"));
    // Lines 2 and 3, selected whole: the selection ends where line 4 starts.
    form->Memo2->select(form->Memo2->lineStart(1), form->Memo2->lineStart(3));
    withDialog<TReplaceDialog>(form->EditReplaceMenu, [&](TReplaceDialog& d) {
        ASSERT_TRUE(d.SelectedLines->isEnabled());
        d.SelectedLines->setChecked(true);
        d.SearchEdit->setText(u8("a"));
        d.ReplaceEdit->setText(u8("b${}"));
        d.UseCounter->setChecked(true);
        settle(d);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(text(*form), u8("a\nb0\nb1\na\n"));
}

TEST_F(LinesWindow, DatesComeFromTheFilesTheLinesPairWith)
{
    auto form = window({"a.jpg", "b.jpg"});
    writeFile(work / "a.jpg", jpegTakenAt("2023:12:31 23:59:58"));
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1709590089, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (work / "b.jpg").c_str(), times, 0), 0);
    form->Memo2->setPlainText(u8("x\nx\nx\n"));
    withDialog<TReplaceDialog>(form->EditReplaceMenu, [&](TReplaceDialog& d) {
        d.SearchEdit->setText(u8("x"));
        d.ReplaceEdit->setText(u8("$YYYY"));
        settle(d);
        EXPECT_EQ(d.ChangeCount->text(), u8("2 行を変更します"));
        EXPECT_EQ(d.DateCount->text(), u8("対応するファイルのない行：1 行"));
        EXPECT_EQ(column(d, 2).value(1), u8("2024"));
        d.DateTaken->setChecked(true);
        settle(d);
        EXPECT_EQ(d.ChangeCount->text(), u8("1 行を変更します"));
        EXPECT_EQ(d.DateCount->text(), u8("撮影日時のないファイル：2 件"));
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(text(*form), u8("2023\nx\nx\n"));
}

TEST_F(LinesWindow, ConversionLeavesUndecodableBytesAsTheyWere)
{
    auto form = window({"a.jpg"});
    form->Memo2->Lines.Assign({"\xff\xfe", "らーめん", "abc"});
    withDialog<TConvertDialog>(form->EditConvertMenu, [&](TConvertDialog& d) {
        EXPECT_EQ(d.windowTitle(), u8("文字種の変換"));
        ASSERT_EQ(d.Choices.size(), 10u);
        d.Choices[6]->setChecked(true);  // ひらがなをカタカナに
        settle(d);
        EXPECT_EQ(d.ChangeCount->text(), u8("1 行を変更します"));
        d.Choices[0]->setChecked(true);  // 英字を大文字に
        settle(d);
        EXPECT_EQ(column(d, 2), (QStringList{"ABC"}));
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(form->Memo2->Lines[0], "\xff\xfe");
    EXPECT_EQ(form->Memo2->Lines[2], "ABC");
    undo(*form);
    EXPECT_EQ(form->Memo2->Lines[2], "abc");
}

TEST_F(LinesWindow, MenusOfTheTools)
{
    auto form = window({"a.jpg"});
    const QList<QAction*> edit = form->EditMenu->actions();
    ASSERT_GE(edit.size(), 3);
    EXPECT_TRUE(edit[edit.size() - 3]->isSeparator());
    EXPECT_EQ(edit[edit.size() - 2]->text(), u8("置換(&R)..."));
    EXPECT_EQ(edit[edit.size() - 1]->text(), u8("文字種の変換(&K)..."));
    const QList<QAction*> file = form->File->actions();
    ASSERT_EQ(file.size(), 3);
    EXPECT_EQ(file[0]->text(), u8("名前をファイルから読み込む(&L)..."));
    EXPECT_TRUE(file[1]->isSeparator());
    EXPECT_EQ(file[2], form->FileExitMenu);
    // Ctrl+H opens the replace dialog from the memo.
    bool opened = false;
    onModal([&](QWidget* w) {
        opened = qobject_cast<TReplaceDialog*>(w) != nullptr;
        static_cast<QDialog*>(w)->reject();
    });
    form->activateWindow();
    form->Memo2->setFocus();
    QTest::keyClick(form->Memo2, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened; }, 5000));
}

class ImportWindow : public LinesWindow {
protected:
    // Chooses `name` of the work folder in the file chooser, then runs
    // `columns` on the column dialog when one opens.
    void import(TMainForm& form, const std::string& name,
                std::function<void(lines::ui::TColumnsDialog&)> columns = nullptr)
    {
        const QString path = QString::fromStdString(work / name);
        onModal([&](QWidget* w) {
            auto* chooser = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(chooser, nullptr);
            if (columns)
                onModal([&](QWidget* c) {
                    auto* d = qobject_cast<lines::ui::TColumnsDialog*>(c);
                    ASSERT_NE(d, nullptr) << c->metaObject()->className() << " " << c->windowTitle().toStdString();
                    columns(*d);
                    if (d->isVisible())
                        d->reject();
                }, chooser);
            // The path typed in full, and Enter, as a user may.
            auto* field = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(field, nullptr);
            field->setText(path);
            QTest::keyClick(field, Qt::Key_Return);
        });
        form.FileImportMenu->trigger();
    }
};

TEST_F(ImportWindow, TableOfNamesFromAShiftJisCsv)
{
    auto form = window({"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"});
    form->Memo2->setPlainText(u8("typed\n"));
    // 現在,新しい名前 / IMG_2,旅行 / IMG_1.jpg,"海,山" / IMG_9,x
    writeFile(work / "names.csv", "\x8c\xbb\x8d\xdd,\x90\x56\x82\xb5\x82\xa2\x96\xbc\x91\x4f\r\n"
                                  "IMG_2,\x97\xb7\x8d\x73\r\nIMG_1.jpg,\"\x8a\x43,\x8e\x52\"\r\nIMG_9,x\r\n");
    BoxAnswerer answer;
    import(*form, "names.csv", [](lines::ui::TColumnsDialog& d) {
        EXPECT_EQ(d.EncodingLabel->text(), u8("文字コード：Shift-JIS"));
        d.HeaderRow->setChecked(true);
        EXPECT_EQ(d.CurrentColumn->itemText(0), u8("列 1：現在"));
        d.MappingTable->setChecked(true);
        d.CurrentColumn->setCurrentIndex(0);
        d.NewColumn->setCurrentIndex(1);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(text(*form), u8("海,山\n旅行\n\n"));
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].text, u8("どのファイルの名前でもない行があります（1 行）：\n4 行目：IMG_9"));
    undo(*form);
    EXPECT_EQ(text(*form), u8("typed\n"));
}

TEST_F(ImportWindow, OneColumnOfATsvAndATextFile)
{
    auto form = window({"a.jpg"});
    writeFile(work / "names.tsv", "1\tone\n2\ttwo\n");
    import(*form, "names.tsv", [](lines::ui::TColumnsDialog& d) {
        d.NameColumn->setCurrentIndex(1);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(text(*form), u8("one\ntwo\n"));
    writeFile(work / "names.txt", std::string("\xFF\xFE" "a\0\r\0b\0", 8));
    import(*form, "names.txt");
    EXPECT_EQ(text(*form), u8("a\nb\n"));
}

TEST_F(ImportWindow, AFileThatIsNoTextIsRefusedAndNothingChanges)
{
    auto form = window({"a.jpg"});
    form->Memo2->setPlainText(u8("typed\n"));
    writeFile(work / "photo.txt", std::string("\xFF\xD8\0\0", 4));
    BoxAnswerer answer;
    import(*form, "photo.txt");
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].caption, u8("名前をファイルから読み込む"));
    EXPECT_EQ(answer.seen()[0].text,
              u8("「photo.txt」は NUL 文字を含むため読み込めません（テキストのファイルではないようです）"));
    EXPECT_EQ(text(*form), u8("typed\n"));
}

}  // namespace
