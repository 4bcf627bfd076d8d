// The folder button of the file list window: the browser it opens, the list
// following the folders the user walks to, and the owner's handler.
#include "run_dialog.h"

#include <QLabel>
#include <QToolButton>
#include <QTreeView>

using fdtest::run;
using fdtest::u;
using testing_support::ScratchDir;

namespace {
// The entry of the browser's tree named `name` among the siblings of the
// current one.
QModelIndex sibling(QTreeView* tree, const QString& name)
{
    const QModelIndex parent = tree->currentIndex().parent();
    QAbstractItemModel* m = tree->model();
    for (int r = 0; r < m->rowCount(parent); ++r)
        if (m->index(r, 0, parent).data().toString() == name)
            return m->index(r, 0, parent);
    return {};
}
}  // namespace

TEST(FolderButton, ListFollowsTheBrowserWhileTheUserWalks)
{
    ScratchDir d;
    d.mkdir("one");
    d.mkdir("two");
    d.write("one/x.txt");
    d.write("two/y.txt");
    d.write("two/z.txt");
    d.write("two/skip.doc");
    TnxOpenDialog dlg;
    dlg.Directory = d.path() + "/one";
    dlg.FileExt = "txt";
    dlg.RootDir = d.path();
    dlg.BrowseTitle = "表示するフォルダ";
    dlg.DisplayDirectory = true;
    dlg.Options = {doFolderBtn};
    dlg.FormLeft = 50;
    dlg.FormTop = 60;
    dlg.FormWidth = 500;
    run(dlg, [&](TListForm& f) {
        EXPECT_EQ(fdtest::texts(f), QStringList{"x"});
        bool browsed = false;
        testing_support::onModal([&](QWidget* b) {
            auto* tree = b->findChild<QTreeView*>(QStringLiteral("FolderTree"));
            auto* ok = b->findChild<QPushButton*>(QStringLiteral("OK"));
            auto* close = b->findChild<QPushButton*>(QStringLiteral("Cancel"));
            auto* title = b->findChild<QLabel*>(QStringLiteral("TitleLabel"));
            if (!tree || !ok || !close || !title) {
                ADD_FAILURE() << "not the folder browser";
                b->close();
                return;
            }
            browsed = true;
            EXPECT_FALSE(ok->isVisible());
            EXPECT_EQ(close->text(), u("閉じる"));
            EXPECT_EQ(title->text(), u("表示するフォルダ"));
            // Opened on the listed folder, its right edge 100 pixels right
            // of the list window's, 30 pixels below its top.
            EXPECT_EQ(tree->currentIndex().data().toString(), u("one"));
            const QRect placed = b->property("placedRect").toRect();
            EXPECT_EQ(placed.top(), 60 + 30);
            EXPECT_EQ(placed.right() + 1, 50 + 500 + 100);
            // The initial selection did not list again.
            EXPECT_EQ(fdtest::texts(f), QStringList{"x"});

            tree->setCurrentIndex(sibling(tree, u("two")));
            EXPECT_EQ(fdtest::texts(f), (QStringList{"y", "z"}));
            EXPECT_EQ(dlg.Directory, d.path() + "/two");
            EXPECT_EQ(f.DirNamePanel->text(), u("  ") + QString::fromLocal8Bit((d.path() + "/two").c_str()));
            tree->setCurrentIndex(sibling(tree, u("one")));
            EXPECT_EQ(fdtest::texts(f), QStringList{"x"});
            tree->setCurrentIndex(sibling(tree, u("two")));
            close->click();
        });
        QTest::mouseClick(f.FolderBtn, Qt::LeftButton);
        EXPECT_TRUE(browsed);
        EXPECT_EQ(fdtest::texts(f), (QStringList{"y", "z"}));
        // Re-listed with nothing chosen before: the last entry is selected.
        EXPECT_EQ(fdtest::selectedRow(f), 1);
    });
    // The list window was cancelled; the folder walked to stays.
    EXPECT_EQ(dlg.ModalResult(), 2);
    EXPECT_EQ(dlg.Directory, d.path() + "/two");
}

TEST(FolderButton, OwnerHandlerDecidesWhetherTheBrowserOpens)
{
    ScratchDir d;
    d.write("a.txt");
    TnxOpenDialog dlg;
    dlg.Directory = d.path();
    dlg.FileExt = "txt";
    dlg.Options = {doFolderBtn};
    std::vector<std::string> asked;
    dlg.OnFolderBtnClick = [&](QObject* s, const std::string& dir, bool& DefautEvent) {
        EXPECT_EQ(s, &dlg);
        EXPECT_FALSE(DefautEvent);
        asked.push_back(dir);
        DefautEvent = asked.size() == 2;
    };
    run(dlg, [&](TListForm& f) {
        QTest::mouseClick(f.FolderBtn, Qt::LeftButton);
        EXPECT_EQ(QApplication::activeModalWidget(), &f) << "no browser without DefautEvent";
        QString seen;
        testing_support::onModal([&](QWidget* b) {
            seen = b->objectName();
            if (auto* c = b->findChild<QPushButton*>(QStringLiteral("Cancel")))
                c->click();
            else
                b->close();
        });
        QTest::mouseClick(f.FolderBtn, Qt::LeftButton);
        EXPECT_EQ(seen, u("BrowseDialog"));
    });
    EXPECT_EQ(asked, (std::vector<std::string>{d.path() + "/", d.path() + "/"}));
}
