// The options dialog's form: its controls, texts, places, fonts and keys.
#include "settings/ui/pagesdlg.h"
#include "support/geometry.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString text(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return {};
}

TEST(PagesDlgTest, ControlsSitWhereTheFormPutsThem)
{
    TPagesDlg dlg(nullptr);
    struct Case {
        const char* name;
        const char* parent;
        QRect geometry;
        const char* text;
    } cases[] = {
        {"Panel1", "PagesDlg", {0, 0, 427, 265}, ""},
        {"PageControl1", "Panel1", {5, 5, 417, 255}, ""},
        {"GroupBox1", "ConfigTabSheet", {4, 8, 401, 161}, "「フォルダ指定」の初期フォルダ"},
        {"RadioButton1", "GroupBox1", {12, 24, 381, 17}, "前回処理したフォルダ"},
        {"LasrDirEdit", "GroupBox1", {32, 44, 357, 24}, ""},
        {"RadioButton2", "GroupBox1", {12, 76, 381, 17}, "指定したフォルダ"},
        {"RootDirEdit", "GroupBox1", {32, 96, 289, 24}, ""},
        {"DefDirRefBtn", "GroupBox1", {328, 96, 63, 25}, "参照"},
        {"RadioButton0", "GroupBox1", {12, 128, 381, 17}, "デスクトップ（階層の一番上）"},
        {"CheckWinMem", "ConfigTabSheet", {16, 176, 265, 17}, "ウィンドウの位置とサイズを記憶する"},
        {"CheckInitMax", "ConfigTabSheet", {16, 200, 241, 17}, "ウィンドウを最大化して起動する"},
        {"Panel2", "PagesDlg", {0, 265, 427, 34}, ""},
        {"OKBtn", "Panel2", {234, 2, 89, 25}, "OK"},
        {"CancelBtn", "Panel2", {328, 2, 89, 25}, "キャンセル"},
    };
    for (const Case& c : cases) {
        QWidget* w = dlg.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        ASSERT_NE(w->parentWidget(), nullptr) << c.name;
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(c.parent)) << c.name;
        EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        EXPECT_EQ(text(w), QString::fromUtf8(c.text)) << c.name;
        if (*c.text) {
            EXPECT_EQ(w->font().pixelSize(), 16) << c.name;
        }
    }
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("設定"));
    EXPECT_EQ(dlg.PageControl1->count(), 1);
    EXPECT_EQ(dlg.PageControl1->tabText(0), QString::fromUtf8("設定"));
    EXPECT_EQ(dlg.PageControl1->widget(0), dlg.ConfigTabSheet);
    EXPECT_EQ(dlg.PageControl1->font().pixelSize(), 16);
}

// Every named control of the shown dialog, the tab page's included.
TEST(PagesDlgTest, EveryNamedControlStaysWhereTheLayoutPutsIt)
{
    TPagesDlg dlg(nullptr);
    dlg.show();
    QApplication::processEvents();
    testing_support::expectGeometry(&dlg, {
        {"PagesDlg", "", {0, 0, 427, 299}},
        {"Panel1", "PagesDlg", {0, 0, 427, 265}},
        {"PageControl1", "Panel1", {5, 5, 417, 255}},
        {"ConfigTabSheet", "qt_tabwidget_stackedwidget", {0, 0, 413, 224}},
        {"GroupBox1", "ConfigTabSheet", {4, 8, 401, 161}},
        {"RadioButton1", "GroupBox1", {12, 24, 381, 17}},
        {"LasrDirEdit", "GroupBox1", {32, 44, 357, 24}},
        {"RadioButton2", "GroupBox1", {12, 76, 381, 17}},
        {"RootDirEdit", "GroupBox1", {32, 96, 289, 24}},
        {"DefDirRefBtn", "GroupBox1", {328, 96, 63, 25}},
        {"RadioButton0", "GroupBox1", {12, 128, 381, 17}},
        {"CheckWinMem", "ConfigTabSheet", {16, 176, 265, 17}},
        {"CheckInitMax", "ConfigTabSheet", {16, 200, 241, 17}},
        {"Panel2", "PagesDlg", {0, 265, 427, 34}},
        {"OKBtn", "Panel2", {234, 2, 89, 25}},
        {"CancelBtn", "Panel2", {328, 2, 89, 25}},
    }, "options dialog");
}

TEST(PagesDlgTest, EditsOnlyShowAndKeepTheBytes)
{
    TPagesDlg dlg(nullptr);
    for (QLineEdit* e : {dlg.LasrDirEdit, dlg.RootDirEdit}) {
        EXPECT_TRUE(e->isReadOnly());
        EXPECT_NE(e->palette().color(QPalette::Base), QLineEdit().palette().color(QPalette::Base));
    }
    dlg.show();
    dlg.RootDirEdit->setFocus();
    QTest::keyClicks(dlg.RootDirEdit, QStringLiteral("abc"));
    EXPECT_TRUE(dlg.RootDirEdit->text().isEmpty());
    // A name that is no valid text in the display encoding still comes back
    // byte for byte.
    const std::string odd = "/srv/\xff\xfe-dir";
    dlg.setRootDir(odd);
    EXPECT_EQ(dlg.rootDir(), odd);
    dlg.hide();
}

TEST(PagesDlgTest, FixedSizeCentredWithDefaultAndCancelKeys)
{
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        TPagesDlg dlg(nullptr);
        QRect frame;
        QSize client;
        QTimer::singleShot(50, [&] {
            frame = dlg.frameGeometry();
            client = dlg.size();
            QTest::keyClick(&dlg, static_cast<Qt::Key>(key));
        });
        QTimer::singleShot(3000, &dlg, [&] { dlg.done(99); });
        const int r = dlg.exec();
        EXPECT_EQ(r, key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(client, QSize(427, 299));
        EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
        const QRect s = QGuiApplication::primaryScreen()->geometry();
        EXPECT_LE(std::abs(frame.center().x() - s.center().x()), 1);
        EXPECT_LE(std::abs(frame.center().y() - s.center().y()), 1);
    }
}

TEST(PagesDlgTest, TabWalksTheFormInOrder)
{
    for (QRadioButton* TPagesDlg::*checked :
         {&TPagesDlg::RadioButton0, &TPagesDlg::RadioButton1, &TPagesDlg::RadioButton2}) {
        TPagesDlg dlg(nullptr);
        (dlg.*checked)->setChecked(true);
        QStringList seen;
        QTimer::singleShot(50, [&] {
            dlg.PageControl1->tabBar()->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < 10; ++i) {
                QWidget* f = QApplication::focusWidget();
                if (!f)
                    break;
                seen << (f == dlg.PageControl1->tabBar() ? QStringLiteral("tab") : f->objectName());
                QTest::keyClick(f, Qt::Key_Tab);
            }
            dlg.reject();
        });
        dlg.exec();
        const QString radio = (dlg.*checked)->objectName();
        QStringList expected{QStringLiteral("tab")};
        for (const char* n : {"RadioButton1", "LasrDirEdit", "RadioButton2", "RootDirEdit",
                              "RadioButton0", "DefDirRefBtn", "CheckWinMem", "CheckInitMax",
                              "OKBtn", "CancelBtn"}) {
            const QString name = QString::fromLatin1(n);
            if (!name.startsWith(QStringLiteral("RadioButton")) || name == radio)
                expected << name;
        }
        expected << QStringLiteral("tab");  // and round again
        expected = expected.mid(0, 10);
        EXPECT_EQ(seen, expected) << radio.toStdString();
    }
}

}  // namespace
