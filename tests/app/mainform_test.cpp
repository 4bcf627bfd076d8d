#include "mainform_fixture.h"

#include "app/aboutbox.h"
#include "app/application.h"
#include "app/mainform.h"
#include "app/radiogroup.h"
#include "platform/error.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "support/geometry.h"
#include "support/modal.h"
#include "support/scratch.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

using testing_support::BoxAnswerer;
using testing_support::CwdGuard;
using testing_support::ScratchDir;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// A main window started in `folder`, shown and laid out.
struct Started {
    CwdGuard guard;
    std::unique_ptr<TMainForm> form;
    explicit Started(const std::string& folder)
    {
        if (::chdir(folder.c_str()) != 0)
            throw std::runtime_error("chdir");
        form = std::make_unique<TMainForm>();
        form->show();
        QApplication::processEvents();
    }
};

QStringList shown(const TMainForm& f)
{
    QStringList out;
    for (int i = 0; i < f.FileListBox->Count(); ++i)
        out << f.FileListBox->model()->index(i, 0).data().toString();
    return out;
}

}  // namespace

TEST(MainForm, StartsListingTheStartFolderWithThePrompt)
{
    ScratchDir d;
    d.write("b.txt");
    d.write("A.txt");
    d.write("c");
    d.write(".hidden");
    d.mkdir("d");
    Started s(d.path());
    TMainForm& f = *s.form;
    EXPECT_EQ(f.windowTitle(), u("つむぎ～"));
    EXPECT_EQ(shown(f), (QStringList{"A.txt", "b.txt", "c"}));
    EXPECT_TRUE(f.EditDir->text().isEmpty());
    EXPECT_TRUE(f.EditDir->isReadOnly());
    EXPECT_EQ(testing_support::statusLine(f),
              u("Renameしたいファイルがあるフォルダを選択して、Renameボタンを押してください"));
    EXPECT_FALSE(f.FileListBox->currentIndex().isValid());
    EXPECT_TRUE(f.FileListBox->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_EQ(f.RadioGroupName->ItemIndex(), 0);
    EXPECT_FALSE(f.CheckBoxOldDel->isChecked());
    EXPECT_TRUE(f.Memo2->toPlainText().isEmpty());
}

TEST(MainForm, ListsANameThatIsNotUtf8)
{
    ScratchDir d;
    d.write("caf\xE9.txt");
    Started s(d.path());
    ASSERT_EQ(s.form->FileListBox->Count(), 1);
    EXPECT_EQ(s.form->FileListBox->NameAt(0), "caf\xE9.txt");  // the bytes, untouched
    EXPECT_FALSE(s.form->FileListBox->model()->index(0, 0).data().toString().isEmpty());
}

TEST(MainForm, MenusAndCaptions)
{
    ScratchDir d;
    Started s(d.path());
    TMainForm& f = *s.form;
    const struct {
        QMenu* menu;
        const char* title;
        std::vector<std::pair<QAction*, const char*>> items;
    } menus[] = {
        // The additions: the import above the exit; the edit menu between
        // the file and option menus, with the preview, the undo of the last
        // run and the tools on the memo's lines; the list's order, the files
        // it shows and the swapping of names.
        {f.File, "ファイル(&F)",
         {{f.FileImportMenu, "名前をファイルから読み込む(&L)..."}, {f.FileExitMenu, "終了(&X)"}}},
        {f.EditMenu, "編集(&E)",
         {{f.EditPreviewMenu, "プレビュー(&P)..."}, {f.EditUndoMenu, "元に戻す(&U)"},
          {f.EditReplaceMenu, "置換(&R)..."}, {f.EditConvertMenu, "文字種の変換(&K)..."}}},
        {f.OptionMenu, "オプション(&O)", {{f.OptionCunfigMenu, "設定(&C)"},
                                          {f.OptionOrderMenu->menuAction(), "並び順(&O)"},
                                          {f.OptionFilterMenu, "表示するファイル(&F)..."},
                                          {f.OptionSwapMenu, "名前の入れ替えを行う(&S)"}}},
        {f.Help, "ヘルプ(&H)", {{f.HelpAboutMenu, "バージョン情報(&A)..."}}},
    };
    QList<QAction*> bar = f.MainMenu->actions();
    ASSERT_EQ(bar.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bar[i]->menu(), menus[i].menu);
        EXPECT_EQ(menus[i].menu->title(), u(menus[i].title));
        QList<QAction*> items;
        for (const auto& [item, text] : menus[i].items) {
            items.push_back(item);
            EXPECT_EQ(item->text(), u(text));
            // Of the designed items only exit has a key, the desktop's usual
            // one to quit; replace takes Ctrl+H.
            const QKeySequence key = item == f.FileExitMenu      ? QKeySequence(QStringLiteral("Ctrl+Q"))
                                     : item == f.EditReplaceMenu ? QKeySequence(Qt::CTRL | Qt::Key_H)
                                                                 : QKeySequence();
            EXPECT_EQ(item->shortcut(), key);
        }
        QList<QAction*> shown = menus[i].menu->actions();
        shown.removeIf([](const QAction* a) { return a->isSeparator(); });
        EXPECT_EQ(shown, items);
    }
    // With no run in the folder there is nothing to take back.
    EXPECT_FALSE(f.EditUndoMenu->isEnabled());
    const struct {
        const char* name;
        const char* text;
    } buttons[] = {{"ButtonDir", "フォルダ指定"},
                   {"ButtonCopy", "ファイル名複写"},
                   {"ButtonTest", "1件テスト"},
                   {"ButtonRename", "リネーム"}};
    for (const auto& b : buttons) {
        auto* w = f.findChild<QPushButton*>(b.name);
        ASSERT_NE(w, nullptr) << b.name;
        EXPECT_EQ(w->text(), u(b.text));
    }
    EXPECT_EQ(f.ButtonRename->toolTip(), u("ボタンを押すとRenameをはじめます"));
    EXPECT_EQ(f.GroupBox1->title(), u("　設定　"));
    EXPECT_EQ(f.GroupBox2->title(), u("　名前変更　"));
    EXPECT_EQ(f.RadioGroupName->title(), u("　新しいファイル名規則　"));
    EXPECT_EQ(f.Label1->text(), u("現在"));
    EXPECT_EQ(f.Label2->text(), u("変更後"));
    EXPECT_EQ(f.CheckBoxOldDel->text(), u("古いファイルを削除する"));
}

TEST(MainForm, DesignGeometryAndFonts)
{
    ScratchDir d;
    Started s(d.path());
    TMainForm& f = *s.form;
    EXPECT_EQ(f.outerBounds(), QRect(217, 172, 851, 596));
    // The design's area below the menu bar, 843 x 540 (the frame around it
    // is the window manager's).
    f.resize(843, 540 + f.MainMenu->height());
    QApplication::processEvents();
    EXPECT_EQ(f.centralWidget()->width(), 843);
    EXPECT_EQ(f.centralWidget()->height() + f.StatusBar->height(), 540);
    EXPECT_EQ(f.StatusBar->height(), 25);
    EXPECT_EQ(f.PanelTop->height(), 41);
    EXPECT_EQ(f.PanelRight->width(), 346);
    EXPECT_EQ(f.GroupBox2->width(), 497);
    // Half of 497, not the designed 239; the rest less the 2-pixel frames.
    EXPECT_EQ(f.PanelBef->width(), 248);
    EXPECT_EQ(f.PanelAft->width(), 245);
    EXPECT_EQ(f.ButtonDir->geometry(), QRect(8, 8, 121, 26));
    EXPECT_EQ(f.PanelDirEdit->geometry(), QRect(136, 8, 707, 26));
    EXPECT_EQ(f.EditDir->geometry(), QRect(0, 0, 707, 26));
    EXPECT_EQ(f.GroupBox1->geometry(), QRect(9, 0, 329, 369));
    EXPECT_EQ(f.RadioGroupName->geometry(), QRect(8, 24, 313, 81));
    EXPECT_EQ(f.CheckBoxOldDel->geometry(), QRect(16, 124, 209, 17));
    EXPECT_EQ(f.ButtonCopy->geometry(), QRect(9, 376, 161, 41));
    EXPECT_EQ(f.ButtonTest->geometry(), QRect(9, 423, 161, 41));
    EXPECT_EQ(f.ButtonRename->geometry(), QRect(177, 423, 161, 41));

    EXPECT_EQ(f.font().pixelSize(), 12);
    for (QWidget* w : {static_cast<QWidget*>(f.ButtonDir), static_cast<QWidget*>(f.EditDir),
                       static_cast<QWidget*>(f.GroupBox1), static_cast<QWidget*>(f.CheckBoxOldDel),
                       static_cast<QWidget*>(f.FileListBox), static_cast<QWidget*>(f.Memo2),
                       static_cast<QWidget*>(f.Label1), static_cast<QWidget*>(f.ButtonCopy)})
        EXPECT_EQ(w->font().pixelSize(), 16) << qPrintable(w->objectName());
    EXPECT_EQ(f.ButtonTest->font().pixelSize(), 19);
    EXPECT_EQ(f.ButtonRename->font().pixelSize(), 19);
    EXPECT_EQ(QFontInfo(f.ButtonDir->font()).family(), QStringLiteral("IPAPGothic"));
}

TEST(MainForm, ResizeRuleKeepsTheRightColumnFixed)
{
    ScratchDir d;
    Started s(d.path());
    TMainForm& f = *s.form;
    const struct {
        int clientWidth;
        int bef, aft;
    } sizes[] = {{843 + 103, 300, 296}, {843, 248, 245}, {700, 177, 173}};
    for (const auto& c : sizes) {
        f.resize(c.clientWidth, f.height());
        QApplication::processEvents();
        EXPECT_EQ(f.GroupBox2->width(), c.clientWidth - 346);
        EXPECT_EQ(f.PanelBef->width(), c.bef) << c.clientWidth;
        EXPECT_EQ(f.PanelAft->width(), c.aft) << c.clientWidth;
        EXPECT_EQ(f.ButtonRename->pos(), QPoint(177, 423));
        EXPECT_EQ(f.PanelRight->width(), 346);
        EXPECT_EQ(f.EditDir->width(), c.clientWidth - 136);
    }
    f.resize(f.width(), 300);  // shorter: the buttons may be cut off, not moved
    QApplication::processEvents();
    EXPECT_EQ(f.ButtonRename->pos(), QPoint(177, 423));

    // No minimum size: not even a long file name in the status line widens it.
    f.setStatusText(u("ファイル「") + QString(300, QLatin1Char('x')) + u("」を作成しました"));
    QApplication::processEvents();
    f.resize(400, 300);
    QApplication::processEvents();
    EXPECT_EQ(f.size(), QSize(400, 300));
}

// Where every named control of the window sits, at the design size, wider
// and narrower than it: the folder field, the lists and the status line
// stretch, the right-hand column stays where it is.
TEST(MainForm, EveryControlStaysWhereTheLayoutPutsIt)
{
    ScratchDir d;
    Started s(d.path());
    TMainForm& f = *s.form;
    const int menu = f.MainMenu->height();
    const struct {
        QSize size;
        std::vector<testing_support::Placed> table;
    } sizes[] = {
        {{843, 540 + menu}, {
            {"MainForm", "", {0, 0, 843, 559}},
            {"MainMenu", "MainForm", {0, 0, 843, 19}},
            {"ClientArea", "MainForm", {0, 19, 843, 515}},
            {"PanelTop", "ClientArea", {0, 0, 843, 41}},
            {"PanelDir", "PanelTop", {0, 0, 136, 41}},
            {"ButtonDir", "PanelDir", {8, 8, 121, 26}},
            {"PanelDirEdit", "PanelTop", {136, 8, 707, 26}},
            {"EditDir", "PanelDirEdit", {0, 0, 707, 26}},
            {"PanelBottom", "ClientArea", {0, 41, 843, 474}},
            {"PanelRight", "PanelBottom", {497, 0, 346, 474}},
            {"GroupBox1", "PanelRight", {9, 0, 329, 369}},
            {"RadioGroupName", "GroupBox1", {8, 24, 313, 81}},
            {"RadioGroupNameItem0", "RadioGroupName", {8, 21, 297, 24}},
            {"RadioGroupNameItem1", "RadioGroupName", {8, 50, 297, 24}},
            {"CheckBoxOldDel", "GroupBox1", {16, 124, 209, 17}},
            {"ButtonCopy", "PanelRight", {9, 376, 161, 41}},
            {"ButtonTest", "PanelRight", {9, 423, 161, 41}},
            {"ButtonRename", "PanelRight", {177, 423, 161, 41}},
            {"PanelLeft", "PanelBottom", {0, 0, 497, 474}},
            {"GroupBox2", "PanelLeft", {0, 0, 497, 474}},
            {"PanelBef", "GroupBox2", {2, 19, 248, 453}},
            {"PanelLabel1", "PanelBef", {0, 0, 248, 28}},
            {"Label1", "PanelLabel1", {7, 8, 32, 18}},
            {"PanelFileList", "PanelBef", {0, 28, 248, 425}},
            {"FileListBox", "PanelFileList", {0, 0, 248, 425}},
            {"PanelAft", "GroupBox2", {250, 19, 245, 453}},
            {"PanelLabel2", "PanelAft", {0, 0, 245, 28}},
            {"Label2", "PanelLabel2", {7, 8, 48, 18}},
            {"PanelMemo", "PanelAft", {0, 28, 245, 425}},
            {"Memo2", "PanelMemo", {0, 0, 245, 425}},
            {"StatusBar", "MainForm", {0, 534, 843, 25}},
            {"SimpleText", "StatusBar", {2, 3, 684, 20}},
            {"Progress", "StatusBar", {0, 0, 160, 16}, true},
            {"CopyProgress", "StatusBar", {0, 0, 100, 30}, true},
            {"ButtonStop", "StatusBar", {0, 0, 100, 20}, true},
            {"LineGuard", "StatusBar", {692, 3, 127, 20}},
        }},
        {{1200, 760}, {
            {"MainForm", "", {0, 0, 1200, 760}},
            {"MainMenu", "MainForm", {0, 0, 1200, 19}},
            {"ClientArea", "MainForm", {0, 19, 1200, 716}},
            {"PanelTop", "ClientArea", {0, 0, 1200, 41}},
            {"PanelDir", "PanelTop", {0, 0, 136, 41}},
            {"ButtonDir", "PanelDir", {8, 8, 121, 26}},
            {"PanelDirEdit", "PanelTop", {136, 8, 1064, 26}},
            {"EditDir", "PanelDirEdit", {0, 0, 1064, 26}},
            {"PanelBottom", "ClientArea", {0, 41, 1200, 675}},
            {"PanelRight", "PanelBottom", {854, 0, 346, 675}},
            {"GroupBox1", "PanelRight", {9, 0, 329, 369}},
            {"RadioGroupName", "GroupBox1", {8, 24, 313, 81}},
            {"RadioGroupNameItem0", "RadioGroupName", {8, 21, 297, 24}},
            {"RadioGroupNameItem1", "RadioGroupName", {8, 50, 297, 24}},
            {"CheckBoxOldDel", "GroupBox1", {16, 124, 209, 17}},
            {"ButtonCopy", "PanelRight", {9, 376, 161, 41}},
            {"ButtonTest", "PanelRight", {9, 423, 161, 41}},
            {"ButtonRename", "PanelRight", {177, 423, 161, 41}},
            {"PanelLeft", "PanelBottom", {0, 0, 854, 675}},
            {"GroupBox2", "PanelLeft", {0, 0, 854, 675}},
            {"PanelBef", "GroupBox2", {2, 19, 427, 654}},
            {"PanelLabel1", "PanelBef", {0, 0, 427, 28}},
            {"Label1", "PanelLabel1", {7, 8, 32, 18}},
            {"PanelFileList", "PanelBef", {0, 28, 427, 626}},
            {"FileListBox", "PanelFileList", {0, 0, 427, 626}},
            {"PanelAft", "GroupBox2", {429, 19, 423, 654}},
            {"PanelLabel2", "PanelAft", {0, 0, 423, 28}},
            {"Label2", "PanelLabel2", {7, 8, 48, 18}},
            {"PanelMemo", "PanelAft", {0, 28, 423, 626}},
            {"Memo2", "PanelMemo", {0, 0, 423, 626}},
            {"StatusBar", "MainForm", {0, 735, 1200, 25}},
            {"SimpleText", "StatusBar", {2, 3, 1041, 20}},
            {"Progress", "StatusBar", {0, 0, 160, 16}, true},
            {"CopyProgress", "StatusBar", {0, 0, 100, 30}, true},
            {"ButtonStop", "StatusBar", {0, 0, 100, 20}, true},
            {"LineGuard", "StatusBar", {1049, 3, 127, 20}},
        }},
        {{300, 200}, {
            {"MainForm", "", {0, 0, 300, 200}},
            {"MainMenu", "MainForm", {0, 0, 300, 19}},
            {"ClientArea", "MainForm", {0, 19, 300, 156}},
            {"PanelTop", "ClientArea", {0, 0, 300, 41}},
            {"PanelDir", "PanelTop", {0, 0, 136, 41}},
            {"ButtonDir", "PanelDir", {8, 8, 121, 26}},
            {"PanelDirEdit", "PanelTop", {136, 8, 164, 26}},
            {"EditDir", "PanelDirEdit", {0, 0, 164, 26}},
            {"PanelBottom", "ClientArea", {0, 41, 300, 115}},
            {"PanelRight", "PanelBottom", {-46, 0, 346, 115}},
            {"GroupBox1", "PanelRight", {9, 0, 329, 369}},
            {"RadioGroupName", "GroupBox1", {8, 24, 313, 81}},
            {"RadioGroupNameItem0", "RadioGroupName", {8, 21, 297, 24}},
            {"RadioGroupNameItem1", "RadioGroupName", {8, 50, 297, 24}},
            {"CheckBoxOldDel", "GroupBox1", {16, 124, 209, 17}},
            {"ButtonCopy", "PanelRight", {9, 376, 161, 41}},
            {"ButtonTest", "PanelRight", {9, 423, 161, 41}},
            {"ButtonRename", "PanelRight", {177, 423, 161, 41}},
            {"PanelLeft", "PanelBottom", {0, 0, -46, 115}},
            {"GroupBox2", "PanelLeft", {0, 0, -46, 115}},
            {"PanelBef", "GroupBox2", {2, 19, -23, 94}},
            {"PanelLabel1", "PanelBef", {0, 0, -23, 28}},
            {"Label1", "PanelLabel1", {7, 8, 32, 18}},
            {"PanelFileList", "PanelBef", {0, 28, -23, 66}},
            {"FileListBox", "PanelFileList", {0, 0, -23, 66}},
            {"PanelAft", "GroupBox2", {-21, 19, -27, 94}},
            {"PanelLabel2", "PanelAft", {0, 0, -27, 28}},
            {"Label2", "PanelLabel2", {7, 8, 48, 18}},
            {"PanelMemo", "PanelAft", {0, 28, -27, 66}},
            {"Memo2", "PanelMemo", {0, 0, -27, 66}},
            {"StatusBar", "MainForm", {0, 175, 300, 25}},
            {"SimpleText", "StatusBar", {2, 3, 141, 20}},
            {"Progress", "StatusBar", {0, 0, 160, 16}, true},
            {"CopyProgress", "StatusBar", {0, 0, 100, 30}, true},
            {"ButtonStop", "StatusBar", {0, 0, 100, 20}, true},
            {"LineGuard", "StatusBar", {149, 3, 127, 20}},
        }},
    };
    for (const auto& c : sizes) {
        f.resize(c.size);
        QApplication::processEvents();
        testing_support::expectGeometry(&f, c.table,
                                        "main window " + std::to_string(c.size.width()) + "x" +
                                            std::to_string(c.size.height()));
    }
}

// Half the group box for the current names, whatever the width.
TEST(MainForm, ResizeRuleHoldsAtEveryWidth)
{
    ScratchDir d;
    Started s(d.path());
    TMainForm& f = *s.form;
    for (int width = 346 + 4; width <= 1600; ++width) {
        f.resize(width, f.height());
        const int box = f.GroupBox2->width();
        ASSERT_EQ(box, width - 346) << width;
        ASSERT_EQ(f.PanelBef->width(), box / 2) << width;
        ASSERT_EQ(f.PanelAft->width(), box - 4 - box / 2) << width;
        ASSERT_EQ(f.PanelAft->x(), 2 + box / 2) << width;
        ASSERT_EQ(f.FileListBox->width(), box / 2) << width;
        ASSERT_EQ(f.Memo2->width(), box - 4 - box / 2) << width;
    }
}

TEST(MainForm, TabReachesTheSelectedRuleItemOnly)
{
    ScratchDir d;
    Started s(d.path());
    TMainForm& f = *s.form;
    for (int selected : {0, 1}) {
        f.RadioGroupName->setItemIndex(selected);
        f.EditDir->setFocus();
        QTest::keyClick(&f, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), f.RadioGroupName->button(selected)) << selected;
        QTest::keyClick(&f, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), f.CheckBoxOldDel) << selected;
        EXPECT_EQ(f.RadioGroupName->ItemIndex(), selected);
    }
}

TEST(MainForm, FocusOrder)
{
    ScratchDir d;
    Started s(d.path());
    TMainForm& f = *s.form;
    QApplication::setActiveWindow(&f);
    QWidget* expected[] = {f.ButtonDir,    f.EditDir,    f.RadioGroupName->button(0),
                           f.CheckBoxOldDel, f.ButtonTest, f.ButtonRename,
                           f.ButtonCopy,   f.Memo2,      f.FileListBox, f.ButtonDir};
    f.ButtonDir->setFocus();
    for (size_t i = 1; i < std::size(expected); ++i) {
        // Tab leaves the memo too: a name list is typed line by line.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[i])
            << i << " " << qPrintable(QApplication::focusWidget()->objectName());
    }
    EXPECT_FALSE(f.Memo2->toPlainText().contains(QLatin1Char('\t')));
}

TEST(MainForm, AboutBoxIsBuiltFreshAndGone)
{
    ScratchDir d;
    Started s(d.path());
    int opened = 0;
    for (int round = 0; round < 2; ++round) {
        testing_support::onModal([&](QWidget* w) {
            auto* box = qobject_cast<TAboutBox*>(w);
            ASSERT_NE(box, nullptr);
            ++opened;
            EXPECT_EQ(box->windowTitle(), u("バージョン情報"));
            EXPECT_EQ(box->ProductName->text(), u("ファイル名一括変更ソフト"));
            EXPECT_EQ(box->Version->text(), u("「つむぎ～」　ver. 1.30"));
            EXPECT_EQ(box->size(), QSize(286, 129));
            EXPECT_EQ(box->OKButton->geometry(), QRect(104, 96, 75, 25));
            // Esc does nothing: there is no cancel button.
            QTest::keyClick(box, Qt::Key_Escape);
            EXPECT_TRUE(box->isVisible());
            box->OKButton->click();
        });
        s.form->HelpAboutMenu->trigger();
        EXPECT_TRUE(s.form->findChildren<TAboutBox*>().isEmpty());
    }
    EXPECT_EQ(opened, 2);
}

TEST(MainForm, ExitMenuClosesThroughTheClosePath)
{
    ScratchDir d;
    Started s(d.path());
    s.form->FileExitMenu->trigger();
    EXPECT_FALSE(s.form->isVisible());
}

TEST(MainForm, MemoLines)
{
    ScratchDir d;
    Started s(d.path());
    renaming::TMemo& m = *s.form->Memo2;
    EXPECT_EQ(m.Lines[0], "");
    m.setPlainText(u("one\n二\nthree"));
    EXPECT_EQ(m.Lines.Count(), 3);
    EXPECT_EQ(m.Lines[1], "二");
    EXPECT_EQ(m.Lines[5], "");
    EXPECT_EQ(m.Lines[-1], "");
    m.Lines.Add("four");  // a new line, not the end of "three"
    EXPECT_EQ(m.Lines[2], "three");
    EXPECT_EQ(m.Lines[3], "four");
    m.Lines.Clear();
    m.Lines.Add("a");
    m.Lines.Add("");
    m.Lines.Add("c");
    EXPECT_EQ(m.toPlainText(), u("a\n\nc\n"));
    EXPECT_EQ(m.Lines.Count(), 3);
    // A long line gives its first 4,096 bytes, never half a character.
    m.setPlainText(QString(4095, QLatin1Char('x')) + u("表表"));
    const std::string line = m.Lines[0];
    EXPECT_EQ(line.size(), 4095u);
    m.setPlainText(QString(5000, QLatin1Char('y')));
    EXPECT_EQ(m.Lines[0].size(), 4096u);
}

TEST(MainForm, BusyCursorIsPutBackAfterALargeRead)
{
    ScratchDir d;
    for (int i = 0; i < 150; ++i)
        d.write("f" + std::to_string(i));
    Started s(d.path());
    EXPECT_EQ(s.form->FileListBox->Count(), 150);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    s.form->FileListBox->Reread();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
