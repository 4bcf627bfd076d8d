// The folder browser component driven through its real chooser.
#include "filedialog/folderpath.h"
#include "filedialog/ui/browsefolder.h"
#include "filedialog/unitstate.h"
#include "support/chooser.h"
#include "support/scratch.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::onModal;
using testing_support::press;

namespace {

// A sample tree in a fresh home folder, so that the top of the hierarchy
// is the same on every machine:
//   home/ Desktop/  tree/ a/ b/   c/   file.txt   .hidden/ inner/
class BrowseFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir d(QFile::decodeName(home_.c_str()));
        for (const char* p : {"Desktop", "tree/a/b", "tree/c", "tree/.hidden/inner"})
            ASSERT_TRUE(d.mkpath(QString::fromUtf8(p)));
        dir_.write("tree/file.txt", "");
        tree_ = home_ + "/tree";
        owner_.resize(300, 200);
    }

    // Runs Execute with `act` answering the chooser.
    bool run(TnxBrowseFolder& b, std::function<void(QWidget*)> act)
    {
        onModal(std::move(act));
        return b.Execute();
    }

    testing_support::ScratchDir dir_;
    const std::string home_ = dir_.path();
    testing_support::EnvGuard homeVar_{"HOME", home_.c_str()};
    testing_support::EnvGuard configVar_{"XDG_CONFIG_HOME", nullptr};
    std::string tree_;
    QWidget owner_;
};

TEST_F(BrowseFolderTest, CreateGivesTheStartValues)
{
    nx::unit().BrowseShown = true;
    TnxBrowseFolder b(&owner_);
    EXPECT_FALSE(nx::unit().BrowseShown);
    EXPECT_EQ(b.FormWidth(), 371);
    EXPECT_EQ(b.FormHeight(), 311);
    EXPECT_EQ(b.FormLeft, 0);
    EXPECT_EQ(b.FormTop, 0);
    EXPECT_EQ(b.RootSpecialDir, sfDesktop);
    EXPECT_EQ(b.InitSpecialDir, sfNone);
    EXPECT_EQ(b.Options, TnxBrowseOptions{bifReturnOnlyFSDirs});
    EXPECT_EQ(b.Options.bits(), 0x0001);
    EXPECT_TRUE(b.RootDir.empty() && b.InitDir.empty() && b.Title.empty() &&
                b.Caption.empty() && b.Directory().empty() && b.DisplayName().empty());
    EXPECT_EQ(b.Handle(), nullptr);
    EXPECT_FALSE(b.OnShow);
    EXPECT_FALSE(b.OnSelectionChanged);
    // Stored values depend on the order of the enumerations.
    EXPECT_EQ(int(sfProgrmas), 2);
    EXPECT_EQ(int(sfDesktopDirectory), 12);
    EXPECT_EQ(int(sfPrintHood), 19);
    EXPECT_EQ((TnxBrowseOptions{bifStatusText, bifNonNewFolderButton}.bits()), 0x0140);
}

TEST_F(BrowseFolderTest, SizeSettersKeepTheLowerBounds)
{
    struct Case {
        int32_t value, width, height;
    } cases[] = {{100, 371, 311}, {200, 371, 311}, {340, 371, 340}, {371, 371, 371},
                 {372, 372, 372}, {500, 500, 500}, {-5, 371, 311},  {0, 371, 311}};
    for (const Case& c : cases) {
        TnxBrowseFolder b(&owner_);
        b.SetFormWidth(c.value);
        b.SetFormHeight(c.value);
        EXPECT_EQ(b.FormWidth(), c.width) << c.value;
        EXPECT_EQ(b.FormHeight(), c.height) << c.value;
    }
}

TEST_F(BrowseFolderTest, ChoosingAFolderGivesItsWholePath)
{
    TnxBrowseFolder b(&owner_);
    b.InitDir = tree_ + "/a";
    std::string preselected;
    const bool ok = run(b, [&](QWidget* dlg) {
        preselected = testing_support::selectedPath(dlg);
        EXPECT_TRUE(testing_support::selectPath(dlg, tree_ + "/a/b"));
        press(dlg, "OK");
    });
    EXPECT_EQ(preselected, tree_ + "/a");
    EXPECT_TRUE(ok);
    EXPECT_EQ(b.Directory(), tree_ + "/a/b");
    EXPECT_EQ(b.DisplayName(), "b");
    EXPECT_EQ(b.Handle(), nullptr);
}

TEST_F(BrowseFolderTest, PathsOfAnyLengthAreKeptWhole)
{
    std::string deep = tree_;
    while (deep.size() < 400)
        deep += "/" + std::string(40, 'x');
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(deep.c_str())));
    TnxBrowseFolder b(&owner_);
    b.InitDir = deep;
    ASSERT_TRUE(run(b, [](QWidget* dlg) { press(dlg, "OK"); }));
    EXPECT_EQ(b.Directory(), deep);
}

TEST_F(BrowseFolderTest, CancelReturnsFalseAndEmptiesTheResult)
{
    TnxBrowseFolder b(&owner_);
    b.InitDir = tree_;
    ASSERT_TRUE(run(b, [](QWidget* dlg) { press(dlg, "OK"); }));
    ASSERT_FALSE(b.Directory().empty());
    EXPECT_FALSE(run(b, [&](QWidget* dlg) {
        testing_support::selectPath(dlg, tree_ + "/c");
        press(dlg, "Cancel");
    }));
    EXPECT_TRUE(b.Directory().empty());
    EXPECT_TRUE(b.DisplayName().empty());
}

TEST_F(BrowseFolderTest, InitialSelectionFollowsTheFolderTarget)
{
    struct Case {
        const char* what;
        std::string initDir;
        TnxBFSpecialDir special;
        std::string expected;  // empty: the top of the hierarchy
    } cases[] = {
        {"a folder", tree_ + "/c", sfNone, tree_ + "/c"},
        {"a trailing slash and dots", tree_ + "/a/./b/../", sfNone, tree_ + "/a"},
        {"a hidden folder", tree_ + "/.hidden/inner", sfNone, tree_ + "/.hidden/inner"},
        {"a lone backslash", "\\", sfNone, ""},
        {"an empty path", "", sfNone, ""},
        {"a file", tree_ + "/file.txt", sfNone, ""},
        {"a missing folder", tree_ + "/gone", sfNone, ""},
        {"a relative path", "tree", sfNone, ""},
        {"a special folder wins", tree_ + "/c", sfDrives, "/"},
        {"the desktop folder", "", sfDesktopDirectory, home_ + "/Desktop"},
        {"the desktop", tree_ + "/c", sfDesktop, ""},
        {"no counterpart", "", sfPritners, ""},
        {"a missing special folder", "", sfTemplates, ""},
    };
    testing_support::CwdGuard inHome(home_);  // "tree" exists relative to here
    for (const Case& c : cases) {
        TnxBrowseFolder b(&owner_);
        b.InitDir = c.initDir;
        b.InitSpecialDir = c.special;
        std::string selected = "?";
        QString name;
        run(b, [&](QWidget* dlg) {
            selected = testing_support::selectedPath(dlg);
            name = testing_support::selectedName(dlg);
            press(dlg, "Cancel");
        });
        EXPECT_EQ(selected, c.expected) << c.what;
        if (c.expected.empty()) {
            EXPECT_EQ(name, QString::fromUtf8("デスクトップ")) << c.what;
        }
    }
}

TEST_F(BrowseFolderTest, TheTopHoldsHomeUserFoldersBookmarksAndTheRoot)
{
    dir_.mkdir("ピクチャ");
    dir_.mkdir(".config");
    dir_.mkdir(".config/gtk-3.0");
    dir_.write(".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/ピクチャ\"\n");
    dir_.write(".config/gtk-3.0/bookmarks", "file://" + tree_ + "/a 作業\nsftp://host/x\n");
    TnxBrowseFolder b(&owner_);
    std::vector<std::pair<std::string, QString>> places;  // path, name
    bool okEnabled = true, statusShown = true;
    run(b, [&](QWidget* dlg) {
        QAbstractItemModel* m = testing_support::chooserTree(dlg)->model();
        EXPECT_EQ(m->rowCount(), 1);
        const QModelIndex top = m->index(0, 0);
        for (int r = 0; r < m->rowCount(top); ++r) {
            const QModelIndex i = m->index(r, 0, top);
            const std::string path = i.data(Qt::UserRole + 1).toByteArray().toStdString();
            // The machine's own removable and network volumes are no part of
            // this test.
            if (path == "/" || path.starts_with(home_))
                places.emplace_back(path, i.data().toString());
            EXPECT_FALSE(i.data(Qt::DecorationRole).value<QIcon>().isNull()) << path;
        }
        okEnabled = testing_support::button(dlg, "OK")->isEnabled();
        statusShown = dlg->findChild<QLabel*>(QStringLiteral("StatusText"))->isVisible();
        press(dlg, "Cancel");
    });
    const auto u = [](const char* s) { return QString::fromUtf8(s); };
    EXPECT_EQ(places, (std::vector<std::pair<std::string, QString>>{
                          {home_, QString::fromLocal8Bit(nx::lastComponent(home_).c_str())},
                          {home_ + "/Desktop", u("Desktop")},
                          {home_ + "/ピクチャ", u("ピクチャ")},
                          {tree_ + "/a", u("作業")},
                          {"/", u("/")}}));
    // Only folders of the file system can be confirmed by default.
    EXPECT_FALSE(okEnabled);
    EXPECT_FALSE(statusShown);  // no status line unless asked for
}

TEST_F(BrowseFolderTest, TheTopCanBeConfirmedWithoutTheFileSystemOption)
{
    TnxBrowseFolder b(&owner_);
    b.Options = {};
    ASSERT_TRUE(run(b, [](QWidget* dlg) { press(dlg, "OK"); }));
    EXPECT_EQ(b.Directory(), "");
    EXPECT_EQ(QString::fromLocal8Bit(b.DisplayName().c_str()), QString::fromUtf8("デスクトップ"));
}

TEST_F(BrowseFolderTest, RootLimitsTheTree)
{
    struct Case {
        const char* what;
        std::string rootDir;
        TnxBFSpecialDir rootSpecial;
        std::string initDir;
        std::string root, selected;
    } cases[] = {
        {"a folder root", tree_, sfNone, tree_ + "/a/b", tree_, tree_ + "/a/b"},
        {"a selection outside the root", tree_ + "/a", sfNone, tree_ + "/c", tree_ + "/a",
         tree_ + "/a"},
        {"a special root ignores the path", tree_, sfDrives, tree_ + "/c", "/", tree_ + "/c"},
        {"a root that is no folder", tree_ + "/file.txt", sfNone, tree_ + "/c", "", tree_ + "/c"},
    };
    for (const Case& c : cases) {
        TnxBrowseFolder b(&owner_);
        b.RootDir = c.rootDir;
        b.RootSpecialDir = c.rootSpecial;
        b.InitDir = c.initDir;
        std::string root = "?", selected = "?";
        run(b, [&](QWidget* dlg) {
            QAbstractItemModel* m = testing_support::chooserTree(dlg)->model();
            root = m->index(0, 0).data(Qt::UserRole + 1).toByteArray().toStdString();
            selected = testing_support::selectedPath(dlg);
            press(dlg, "Cancel");
        });
        EXPECT_EQ(root, c.root) << c.what;
        EXPECT_EQ(selected, c.selected) << c.what;
    }
}

TEST_F(BrowseFolderTest, ListsFilesOnlyWhenAsked)
{
    for (bool files : {false, true}) {
        TnxBrowseFolder b(&owner_);
        if (files)
            b.Options << bifBrowseIncludeFiles;
        b.InitDir = tree_;
        QStringList names;
        run(b, [&](QWidget* dlg) {
            QTreeView* t = testing_support::chooserTree(dlg);
            const QModelIndex at = t->currentIndex();
            t->expand(at);
            QAbstractItemModel* m = t->model();
            if (m->canFetchMore(at))
                m->fetchMore(at);
            for (int r = 0; r < m->rowCount(at); ++r)
                names << m->index(r, 0, at).data().toString();
            press(dlg, "Cancel");
        });
        EXPECT_EQ(names, files ? QStringList({"a", "c", "file.txt"}) : QStringList({"a", "c"}));
    }
}

// Placement of the chooser: centred on the primary screen when both
// coordinates are 0, else where the caller says.
TEST_F(BrowseFolderTest, PlacementCentresOrUsesTheGivenPlace)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int sw = screen.width(), sh = screen.height();
    struct Case {
        const char* what;
        int left, top, width, height;
        QRect expected;
    } cases[] = {
        {"centred", 0, 0, 371, 311, QRect((sw - 371) / 2, (sh - 311) / 2, 371, 311)},
        {"a given place", 40, 50, 420, 330, QRect(40, 50, 420, 330)},
        {"only top given", 0, 120, 371, 311, QRect(0, 120, 371, 311)},
        {"only left given", 70, 0, 371, 311, QRect(70, 0, 371, 311)},
        // Truncation toward zero: half of an odd negative difference rounds up.
        {"wider than the screen", 0, 0, sw + 301, 311,
         QRect(-(301 / 2), (sh - 311) / 2, sw + 301, 311)},
    };
    for (const Case& c : cases) {
        TnxBrowseFolder b(&owner_);
        b.FormLeft = c.left;
        b.FormTop = c.top;
        b.SetFormWidth(c.width);
        b.SetFormHeight(c.height);
        QRect seen, given;
        run(b, [&](QWidget* dlg) {
            seen = dlg->frameGeometry();
            given = dlg->property("placedRect").toRect();
            press(dlg, "Cancel");
        });
        EXPECT_EQ(given, c.expected) << c.what;
        // The offscreen window system nudges windows that start left of the
        // screen; on the screen the window is exactly where it was put.
        if (c.expected.x() >= 0) {
            EXPECT_EQ(seen, c.expected) << c.what;
        } else {
            EXPECT_EQ(seen.size(), c.expected.size()) << c.what;
        }
    }
}

TEST_F(BrowseFolderTest, RemembersThePlaceAfterOkAndAfterCancel)
{
    for (const char* button : {"OK", "Cancel"}) {
        TnxBrowseFolder b(&owner_);
        b.InitDir = tree_;
        b.SetFormWidth(400);
        run(b, [&](QWidget* dlg) {
            dlg->move(33, 44);
            press(dlg, button);
        });
        EXPECT_EQ(QRect(b.FormLeft, b.FormTop, b.FormWidth(), b.FormHeight()),
                  QRect(33, 44, 400, 311))
            << button;
        // The same object opens the chooser where it was closed.
        QRect again;
        run(b, [&](QWidget* dlg) {
            again = dlg->frameGeometry();
            press(dlg, "Cancel");
        });
        EXPECT_EQ(again, QRect(33, 44, 400, 311)) << button;
    }
}

TEST_F(BrowseFolderTest, NaturalSizeBecomesTheLowerBound)
{
    TnxBrowseFolder b(&owner_);
    b.Title = "フォルダを選んでください";
    QSize natural;
    run(b, [&](QWidget* dlg) {
        natural = dlg->sizeHint();
        press(dlg, "Cancel");
    });
    ASSERT_TRUE(natural.isValid());
    b.SetFormWidth(1);
    b.SetFormHeight(1);
    EXPECT_EQ(b.FormWidth(), natural.width());
    EXPECT_EQ(b.FormHeight(), natural.height());
}

TEST_F(BrowseFolderTest, OnShowSeesTheChooserAndPlacesIt)
{
    TnxBrowseFolder b(&owner_);
    b.Caption = "移動先";
    int shows = 0;
    QWidget* handle = nullptr;
    b.OnShow = [&](QObject* sender) {
        ++shows;
        EXPECT_EQ(sender, &b);
        handle = b.Handle();
        b.FormLeft = 15;
        b.FormTop = 25;
        b.SetFormWidth(600);  // too late: the size is fixed by now
        testing_support::button(handle, "OK")->hide();
        testing_support::button(handle, "Cancel")->setText(QString::fromUtf8("閉じる"));
    };
    QRect seen;
    QString caption, cancelText;
    bool okVisible = true;
    const bool result = run(b, [&](QWidget* dlg) {
        EXPECT_EQ(dlg, handle);
        seen = dlg->frameGeometry();
        caption = dlg->windowTitle();
        okVisible = testing_support::button(dlg, "OK")->isVisible();
        cancelText = testing_support::button(dlg, "Cancel")->text();
        press(dlg, "Cancel");
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(seen, QRect(15, 25, 371, 311));
    EXPECT_EQ(caption, QString::fromUtf8("移動先"));
    EXPECT_FALSE(okVisible);
    EXPECT_EQ(cancelText, QString::fromUtf8("閉じる"));
}

TEST_F(BrowseFolderTest, SelectionChangesSetStatusAndOk)
{
    TnxBrowseFolder b(&owner_);
    b.Options << bifStatusText;
    b.InitDir = tree_;
    std::vector<std::string> seenDirs;
    b.OnSelectionChanged = [&](QObject* sender, QWidget* wnd, const std::string& dir,
                               std::string& status, bool& ok) {
        EXPECT_EQ(sender, &b);
        EXPECT_EQ(wnd, b.Handle());
        EXPECT_TRUE(status.empty());
        seenDirs.push_back(dir);
        b.SetFormHeight(900);  // ignored while the chooser is open
        if (dir == tree_ + "/c")
            ok = false;
        else if (dir != tree_)
            status = "選択中: " + nx::lastComponent(dir);
    };
    struct Step {
        QString status;
        bool ok;
    };
    std::vector<Step> steps;
    auto look = [&](QWidget* dlg) {
        steps.push_back({dlg->findChild<QLabel*>(QStringLiteral("StatusText"))->text(),
                         testing_support::button(dlg, "OK")->isEnabled()});
    };
    const bool result = run(b, [&](QWidget* dlg) {
        EXPECT_TRUE(dlg->findChild<QLabel*>(QStringLiteral("StatusText"))->isVisible());
        look(dlg);
        testing_support::selectPath(dlg, tree_ + "/a");
        look(dlg);
        testing_support::selectPath(dlg, tree_ + "/c");
        look(dlg);
        testing_support::selectPath(dlg, tree_);
        look(dlg);
        press(dlg, "OK");
    });
    EXPECT_TRUE(result);
    EXPECT_EQ(b.FormHeight(), 311);
    EXPECT_EQ(seenDirs, (std::vector<std::string>{tree_, tree_ + "/a", tree_ + "/c", tree_}));
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].status, "");
    EXPECT_TRUE(steps[0].ok);
    EXPECT_EQ(steps[1].status, QString::fromUtf8("選択中: a"));
    EXPECT_TRUE(steps[1].ok);
    EXPECT_EQ(steps[2].status, "");  // an empty status clears the line
    EXPECT_FALSE(steps[2].ok);
    EXPECT_EQ(steps[3].status, "");
    EXPECT_TRUE(steps[3].ok);
}

// Whatever goes wrong inside Execute comes back as false, never as an
// exception, and leaves no chooser open.
TEST_F(BrowseFolderTest, FailuresInsideExecuteReturnFalse)
{
    struct Case {
        const char* what;
        std::function<void(TnxBrowseFolder&)> arrange;
        std::function<void(QWidget*)> act;  // null: no chooser is expected to stay
    } cases[] = {
        {"OnShow raises",
         [](TnxBrowseFolder& b) {
             b.OnShow = [](QObject*) { throw std::runtime_error("show"); };
         },
         nullptr},
        {"the initial selection handler raises",
         [](TnxBrowseFolder& b) {
             b.OnSelectionChanged = [](QObject*, QWidget*, const std::string&, std::string&,
                                       bool&) { throw 42; };
         },
         nullptr},
        {"a later selection handler raises",
         [this](TnxBrowseFolder& b) {
             b.InitDir = tree_;
             b.OnSelectionChanged = [this](QObject*, QWidget*, const std::string& d,
                                           std::string&, bool&) {
                 if (d != tree_)
                     throw std::runtime_error("select");
             };
         },
         [this](QWidget* dlg) {
             testing_support::selectPath(dlg, tree_ + "/a");
             // Still open? Then the failure was not noticed; confirm anyway.
             if (dlg->isVisible())
                 press(dlg, "OK");
         }},
    };
    for (const Case& c : cases) {
        TnxBrowseFolder b(&owner_);
        c.arrange(b);
        if (c.act)
            onModal(c.act);
        bool result = true;
        EXPECT_NO_THROW(result = b.Execute()) << c.what;
        EXPECT_FALSE(result) << c.what;
        EXPECT_TRUE(b.Directory().empty()) << c.what;
        EXPECT_EQ(b.Handle(), nullptr) << c.what;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << c.what;
    }
}

TEST_F(BrowseFolderTest, ExecuteIsNotReenteredFromItsHandlers)
{
    TnxBrowseFolder b(&owner_);
    b.InitDir = tree_;
    bool inner = true;
    b.OnShow = [&](QObject*) { inner = b.Execute(); };
    EXPECT_TRUE(run(b, [](QWidget* dlg) { press(dlg, "OK"); }));
    EXPECT_FALSE(inner);
    EXPECT_EQ(b.Directory(), tree_);
}

TEST_F(BrowseFolderTest, NewStyleKeepsItsOwnPlaceAndMakesFolders)
{
    TnxBrowseFolder b(&owner_);
    b.Options << bifNewDialogStyle;
    b.InitDir = tree_ + "/c";
    b.FormLeft = 5;
    b.FormTop = 6;
    b.SetFormWidth(700);
    bool shown = false;
    b.OnShow = [&](QObject*) { shown = true; };
    QRect seen;
    // Each new folder is offered for naming: keep the offered name, give a
    // free one, give one that is taken.
    const QString typed[] = {QString(), QStringLiteral("写真"), QStringLiteral("写真")};
    std::vector<std::string> made;
    QString refusal;
    ASSERT_TRUE(run(b, [&](QWidget* dlg) {
        seen = dlg->frameGeometry();
        ASSERT_NE(testing_support::button(dlg, "NewFolder"), nullptr);
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
        for (const QString& name : typed) {
            testing_support::selectPath(dlg, tree_ + "/c");
            press(dlg, "NewFolder");
            // The name editor has the keyboard at once.
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            ASSERT_NE(editor, nullptr);
            ASSERT_TRUE(testing_support::chooserTree(dlg)->isAncestorOf(editor));
            if (name.isEmpty()) {
                QTest::keyClick(editor, Qt::Key_Escape);
            } else {
                editor->setText(name);
                if (&name == &typed[2])
                    onModal(
                        [&](QWidget* box) {
                            if (auto* mb = qobject_cast<QMessageBox*>(box))
                                refusal = mb->text();
                            press(box, "OK");
                        },
                        dlg);
                QPointer<QLineEdit> open(editor);
                QTest::keyClick(editor, Qt::Key_Return);
                // The list takes the name once the key has been handled, and
                // a refusal is answered, before the editor closes.
                EXPECT_TRUE(QTest::qWaitFor([&] { return !open || !open->isVisible(); }))
                    << "the name was never taken";
            }
            made.push_back(testing_support::selectedPath(dlg));
        }
        press(dlg, "OK");
    }));
    EXPECT_TRUE(shown);
    EXPECT_NE(seen.topLeft(), QPoint(5, 6));
    EXPECT_NE(seen.width(), 700);
    const std::string base = tree_ + "/c/" + std::string("新しいフォルダ");
    const std::vector<std::string> expected{base, tree_ + "/c/写真", base + " (2)"};
    EXPECT_EQ(made, expected);
    EXPECT_EQ(refusal, QString::fromUtf8("「写真」という名前は既にあります。別の名前を指定してください"));
    for (const auto& m : expected)
        EXPECT_TRUE(QFileInfo(QFile::decodeName(m.c_str())).isDir()) << m;
    EXPECT_EQ(QDir(QFile::decodeName((tree_ + "/c").c_str())).count(), 2u + 3u);
    EXPECT_EQ(b.Directory(), base + " (2)");
}

TEST_F(BrowseFolderTest, NewFolderButtonOnlyInTheNewStyle)
{
    struct Case {
        TnxBrowseOptions options;
        bool button;
    } cases[] = {{{bifReturnOnlyFSDirs}, false},
                 {{bifNewDialogStyle}, true},
                 {{bifNewDialogStyle, bifNonNewFolderButton}, false}};
    for (const Case& c : cases) {
        TnxBrowseFolder b(&owner_);
        b.Options = c.options;
        bool has = !c.button;
        run(b, [&](QWidget* dlg) {
            has = testing_support::button(dlg, "NewFolder") != nullptr;
            press(dlg, "Cancel");
        });
        EXPECT_EQ(has, c.button) << c.options.bits();
    }
}

}  // namespace
