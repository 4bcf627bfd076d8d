// Choosing the working folder and the options dialog, from the main window.
#include "app/mainform.h"
#include "rename/ui/filelistbox.h"
#include "settings/ui/pagesdlg.h"
#include "settings/values.h"
#include "support/chooser.h"
#include "support/scratch.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

using testing_support::onModal;
using testing_support::press;

namespace {

std::string bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

std::string cwd() { return bytes(QDir::currentPath()); }

// A click where a user clicks a radio button or a check box: on its mark.
void clickMark(QWidget* dlg, const char* name)
{
    auto* b = dlg->findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

class MainFormFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* p : {"last", "root", "pick"})
            dir_.mkdir(p);
        for (const char* f : {"pick/b.txt", "pick/a.txt"})
            dir_.write(f, "");
        startDir_ = cwd();
        settings::resetValues();
        form_ = std::make_unique<TMainForm>();
    }
    void TearDown() override
    {
        form_.reset();
        settings::resetValues();
    }

    std::string path(const char* rel) const { return dir_ / rel; }

    testing_support::ScratchDir dir_;
    testing_support::CwdGuard restoreCwd_;  // choosing a folder enters it
    std::string startDir_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormFolderTest, StartFolderFollowsTheSetting)
{
    struct Case {
        int32_t sel;
        std::string lastDir, rootDir;
        std::string expected;  // empty: the top of the hierarchy
    } cases[] = {
        {0, path("last"), path("root"), ""},
        {1, path("last"), path("root"), path("last")},
        {2, path("last"), path("root"), path("root")},
        {3, path("last"), path("root"), ""},
        {-1, path("last"), path("root"), ""},
        {1, "", path("root"), ""},
        {2, path("last"), path("gone"), ""},
    };
    for (const Case& c : cases) {
        auto& v = settings::values();
        v.RootDirSel = c.sel;
        v.LastDir = c.lastDir;
        v.RootDir = c.rootDir;
        std::string selected = "?";
        onModal([&](QWidget* dlg) {
            selected = testing_support::selectedPath(dlg);
            press(dlg, "Cancel");
        });
        QTest::mouseClick(form_->ButtonDir, Qt::LeftButton);
        EXPECT_EQ(selected, c.expected) << "RootDirSel " << c.sel;
        // Choosing a folder never writes the settings.
        EXPECT_EQ(v.RootDirSel, c.sel);
        EXPECT_EQ(v.LastDir, c.lastDir);
        EXPECT_EQ(v.RootDir, c.rootDir);
    }
}

TEST_F(MainFormFolderTest, ChosenFolderIsShownAndListed)
{
    for (int32_t sel : {0, 1, 2, 7}) {
        settings::values().RootDirSel = sel;
        settings::values().LastDir = path("last");
        settings::values().RootDir = path("root");
        onModal([&](QWidget* dlg) {
            EXPECT_TRUE(testing_support::selectPath(dlg, path("pick")));
            press(dlg, "OK");
        });
        form_->ButtonDirClick();
        EXPECT_EQ(bytes(form_->EditDir->text()), path("pick")) << sel;
        EXPECT_EQ(form_->FileListBox->Folder(), path("pick")) << sel;
        ASSERT_EQ(form_->FileListBox->Count(), 2) << sel;
        EXPECT_EQ(form_->FileListBox->NameAt(0), "a.txt");
        EXPECT_EQ(cwd(), path("pick"));
    }
}

// A folder gone between the choice and the listing: the general error
// report, and the window goes on.
TEST_F(MainFormFolderTest, FolderThatCannotBeEnteredIsReported)
{
    dir_.mkdir("gone");
    form_->show();
    const std::string listed = form_->FileListBox->Folder();
    testing_support::BoxAnswerer answer;
    onModal([&](QWidget* dlg) {
        EXPECT_TRUE(testing_support::selectPath(dlg, path("gone")));
        ASSERT_EQ(::rmdir(path("gone").c_str()), 0);
        press(dlg, "OK");
    });
    QTest::mouseClick(form_->ButtonDir, Qt::LeftButton);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].caption, QCoreApplication::applicationName());
    EXPECT_EQ(answer.seen()[0].text, QString::fromUtf8("ファイルが見つかりません."));
    EXPECT_EQ(answer.seen()[0].icon, int(QMessageBox::Critical));
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(form_->FileListBox->Folder(), listed);
    EXPECT_EQ(cwd(), startDir_);
    // The window still answers.
    onModal([&](QWidget* dlg) {
        EXPECT_TRUE(testing_support::selectPath(dlg, path("pick")));
        press(dlg, "OK");
    });
    QTest::mouseClick(form_->ButtonDir, Qt::LeftButton);
    EXPECT_EQ(form_->FileListBox->Folder(), path("pick"));
}

TEST_F(MainFormFolderTest, CancelLeavesFolderFieldAndListAlone)
{
    settings::values().RootDirSel = 1;
    settings::values().LastDir = path("last");
    const QString before = form_->EditDir->text();
    const std::string listed = form_->FileListBox->Folder();
    const int count = form_->FileListBox->Count();
    onModal([&](QWidget* dlg) {
        testing_support::selectPath(dlg, path("pick"));
        press(dlg, "Cancel");
    });
    form_->ButtonDirClick();
    EXPECT_EQ(form_->EditDir->text(), before);
    EXPECT_EQ(form_->FileListBox->Folder(), listed);
    EXPECT_EQ(form_->FileListBox->Count(), count);
    EXPECT_EQ(cwd(), startDir_);
}

// --- the options dialog ---------------------------------------------------

struct Shown {
    bool rb0 = false, rb1 = false, rb2 = false, winMem = false, initMax = false;
    QString lastDir, rootDir;
};

Shown look(QWidget* dlg)
{
    auto* d = static_cast<TPagesDlg*>(dlg);
    return {d->RadioButton0->isChecked(), d->RadioButton1->isChecked(),
            d->RadioButton2->isChecked(), d->CheckWinMem->isChecked(),
            d->CheckInitMax->isChecked(), d->LasrDirEdit->text(), d->RootDirEdit->text()};
}

TEST_F(MainFormFolderTest, OptionsOpenWithTheCurrentValues)
{
    struct Case {
        int32_t sel;
        bool winMem, initMax;
        int checked;          // which radio button
        const char* rootDir;  // what RootDirEdit shows
    } cases[] = {{0, false, false, 0, ""},
                 {1, true, false, 1, ""},
                 {2, false, true, 2, "/srv/写真"},
                 {3, true, true, 0, ""},
                 {-4, false, false, 0, ""}};
    for (const Case& c : cases) {
        auto& v = settings::values();
        v = settings::Values{c.winMem, c.initMax, c.sel, "/home/u/前回", "/srv/写真", 0, ""};
        Shown s;
        onModal([&](QWidget* dlg) {
            s = look(dlg);
            press(dlg, "CancelBtn");
        });
        form_->OptionCunfigMenu->trigger();
        EXPECT_EQ((s.rb0 ? 0 : s.rb1 ? 1 : s.rb2 ? 2 : -1), c.checked) << c.sel;
        EXPECT_EQ(s.rb0 + s.rb1 + s.rb2, 1) << c.sel;
        EXPECT_EQ(s.winMem, c.winMem) << c.sel;
        EXPECT_EQ(s.initMax, c.initMax) << c.sel;
        EXPECT_EQ(s.lastDir, QString::fromUtf8("/home/u/前回")) << c.sel;
        EXPECT_EQ(s.rootDir, QString::fromUtf8(c.rootDir)) << c.sel;
    }
}

TEST_F(MainFormFolderTest, OkTakesTheValuesBack)
{
    struct Case {
        const char* what;
        int32_t sel;
        const char* click;  // radio button to select, or null
        bool toggle;        // flip both check boxes
        int32_t expectedSel;
        std::string expectedRoot;
    } cases[] = {
        {"last folder forgets the root", 1, nullptr, false, 1, ""},
        {"specified keeps the root", 2, nullptr, true, 2, "/srv/root"},
        {"out of range becomes desktop", 9, nullptr, false, 0, ""},
        {"specified without browsing", 0, "RadioButton2", false, 2, ""},
        {"desktop forgets the root", 2, "RadioButton0", true, 0, ""},
        {"last folder chosen", 2, "RadioButton1", false, 1, ""},
    };
    for (const Case& c : cases) {
        auto& v = settings::values();
        v = settings::Values{false, true, c.sel, "/home/u/last", "/srv/root", 0, ""};
        onModal([&](QWidget* dlg) {
            if (c.click)
                clickMark(dlg, c.click);
            if (c.toggle)
                for (const char* n : {"CheckWinMem", "CheckInitMax"})
                    clickMark(dlg, n);
            press(dlg, "OKBtn");
        });
        form_->OptionCunfigMenuClick();
        EXPECT_EQ(v.RootDirSel, c.expectedSel) << c.what;
        EXPECT_EQ(v.RootDir, c.expectedRoot) << c.what;
        EXPECT_EQ(v.WinMem, c.toggle) << c.what;
        EXPECT_EQ(v.InitMax, !c.toggle) << c.what;
        EXPECT_EQ(v.LastDir, "/home/u/last") << c.what;
    }
}

// Runs "参照" inside the open options dialog, choosing `folder` (or
// cancelling when it is empty); returns where the browser started.
std::string browseIn(QWidget* options, const std::string& folder)
{
    std::string started = "?";
    onModal(
        [&](QWidget* chooser) {
            started = testing_support::selectedPath(chooser);
            if (folder.empty()) {
                press(chooser, "Cancel");
            } else {
                EXPECT_TRUE(testing_support::selectPath(chooser, folder));
                press(chooser, "OK");
            }
        },
        options);
    press(options, "DefDirRefBtn");
    return started;
}

TEST_F(MainFormFolderTest, BrowseThenOkSpecifiesTheFolderAtOnce)
{
    auto& v = settings::values();
    v.RootDirSel = 2;
    v.RootDir = path("root");
    std::string started;
    Shown after;
    onModal([&](QWidget* dlg) {
        started = browseIn(dlg, path("pick"));
        after = look(dlg);
        press(dlg, "OKBtn");
    });
    form_->OptionCunfigMenuClick();
    EXPECT_EQ(started, "");  // the top, not the folder shown
    EXPECT_TRUE(after.rb2);
    EXPECT_EQ(bytes(after.rootDir), path("pick"));
    EXPECT_EQ(v.RootDirSel, 2);
    EXPECT_EQ(v.RootDir, path("pick"));

    // The next "フォルダ指定" starts there.
    std::string selected;
    onModal([&](QWidget* dlg) {
        selected = testing_support::selectedPath(dlg);
        press(dlg, "Cancel");
    });
    form_->ButtonDirClick();
    EXPECT_EQ(selected, path("pick"));
}

TEST_F(MainFormFolderTest, CancelledBrowseChangesNothingInTheDialog)
{
    settings::values().RootDirSel = 1;
    Shown before, after;
    onModal([&](QWidget* dlg) {
        before = look(dlg);
        browseIn(dlg, "");
        after = look(dlg);
        press(dlg, "OKBtn");
    });
    form_->OptionCunfigMenuClick();
    EXPECT_TRUE(after.rb1);
    EXPECT_EQ(after.rootDir, before.rootDir);
    EXPECT_EQ(settings::values().RootDirSel, 1);
}

// Cancel, Esc and the close box discard every change, a browsed folder too.
TEST_F(MainFormFolderTest, EveryWayOfCancellingDiscardsTheChanges)
{
    const std::function<void(QWidget*)> closers[] = {
        [](QWidget* dlg) { press(dlg, "CancelBtn"); },
        [](QWidget* dlg) { QTest::keyClick(dlg, Qt::Key_Escape); },
        [](QWidget* dlg) { dlg->close(); },
    };
    const settings::Values start{true, false, 1, path("last"), "", 0, ""};
    for (const auto& closeIt : closers) {
        settings::values() = start;
        onModal([&](QWidget* dlg) {
            browseIn(dlg, path("pick"));
            clickMark(dlg, "RadioButton0");
            clickMark(dlg, "CheckWinMem");
            clickMark(dlg, "CheckInitMax");
            closeIt(dlg);
        });
        form_->OptionCunfigMenuClick();
        const auto& v = settings::values();
        EXPECT_EQ(v.WinMem, start.WinMem);
        EXPECT_EQ(v.InitMax, start.InitMax);
        EXPECT_EQ(v.RootDirSel, start.RootDirSel);
        EXPECT_EQ(v.RootDir, start.RootDir);
        EXPECT_EQ(v.LastDir, start.LastDir);
    }
}

}  // namespace
