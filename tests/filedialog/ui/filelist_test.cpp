// The dialog components and the file list window: what is listed and shown,
// the buttons' states, the folder line and the window's remembered place.
#include "run_dialog.h"

#include "filedialog/unitstate.h"
#include "support/geometry.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

using fdtest::run;
using fdtest::u;
using testing_support::ScratchDir;

namespace {

// A folder with files of several extensions, hidden and system entries.
struct Sample {
    ScratchDir d;
    Sample()
    {
        for (const char* n : {"a.txt", "B.TXT", "c.text", "d", "a.doc", "readme", "data1.txt",
                              "data2.txt", "mydata.txt", ".hidden.txt"})
            d.write(n);
        d.mkdir("sub.txt");
        ::mkfifo(d.file("pipe.txt").c_str(), 0644);
        if (::symlink("nowhere", d.file("dead.txt").c_str()) != 0)
            ADD_FAILURE() << "symlink";
    }
};

QStringList listed(TnxFileDialogBase& dlg)
{
    QStringList out;
    run(dlg, [&](TListForm& f) { out = f.entryTexts(); });
    return out;
}

}  // namespace

TEST(FileListWindow, ListsByExtensionFilterAndNamePattern)
{
    Sample s;
    struct Case {
        const char* ext;
        const char* find;
        QStringList want;
    } cases[] = {
        {"txt", "", {"a", "B", "data1", "data2", "mydata"}},
        {"TXT", "", {"a", "B", "data1", "data2", "mydata"}},
        {"*", "", {"a", "a", "B", "c", "d", "data1", "data2", "mydata", "readme"}},
        {"", "", {}},
        {".txt", "", {}},
        {"txt", "data*", {"data1", "data2"}},
        {"txt", "data1", {"data1"}},
    };
    for (const auto& c : cases) {
        TnxOpenDialog dlg;
        dlg.Directory = s.d.path();
        dlg.FileExt = c.ext;
        dlg.FindText = c.find;
        QStringList got = listed(dlg);
        EXPECT_EQ(got, c.want) << "FileExt '" << c.ext << "' FindText '" << c.find << "'";
    }
}

TEST(FileListWindow, EmptyOrMissingFolderGivesEmptyListWithoutMessage)
{
    ScratchDir d;
    d.mkdir("only-a-folder");
    d.write(".only-hidden");
    for (const std::string& dir : {d.path(), d.path() + "/missing"}) {
        testing_support::BoxAnswerer boxes;
        TnxOpenDialog dlg;
        dlg.Directory = dir;
        dlg.FileExt = "*";
        run(dlg, [&](TListForm& f) {
            EXPECT_EQ(f.ListView1->rowCount(), 0);
            EXPECT_FALSE(f.FileOpenBtn->isEnabled());
            EXPECT_EQ(f.lastIndex(), -1);
        });
        EXPECT_TRUE(boxes.seen().empty()) << dir;
    }
}

TEST(FileListWindow, OpenButtonFollowsEntryCountAndSelection)
{
    ScratchDir one;
    one.write("only.txt");
    TnxOpenDialog dlg;
    dlg.Directory = one.path();
    dlg.FileExt = "txt";
    run(dlg, [&](TListForm& f) {
        // A single entry is shown unselected and cannot be opened yet.
        EXPECT_EQ(f.entryTexts(), QStringList{"only"});
        EXPECT_EQ(fdtest::selectedRow(f), -1);
        EXPECT_FALSE(f.FileOpenBtn->isEnabled());
        fdtest::select(f, 0);
        EXPECT_TRUE(f.FileOpenBtn->isEnabled());
    });

    ScratchDir many;
    for (const char* n : {"b.txt", "c.txt", "a.txt"})
        many.write(n);
    dlg.Directory = many.path();
    run(dlg, [&](TListForm& f) {
        // Two or more: the last entry in sort order is selected and shown.
        EXPECT_EQ(f.entryTexts(), (QStringList{"a", "b", "c"}));
        EXPECT_EQ(fdtest::selectedRow(f), 2);
        EXPECT_TRUE(f.FileOpenBtn->isEnabled());
        EXPECT_EQ(f.selPath(), many.path() + "/c.txt");
        EXPECT_TRUE(f.FileOpenBtn->isVisible());
        EXPECT_FALSE(f.FileSaveBtn->isVisible());
        EXPECT_FALSE(f.FileEdit->isVisible());
    });
}

TEST(FileListWindow, OpenReturnsThePathBuiltFromFolderEntryAndFilter)
{
    ScratchDir d;
    for (const char* n : {"x.txt", "Y.TXT"})
        d.write(n);
    struct Case {
        const char* ext;
        int row;
        std::string path, name;
    } cases[] = {
        {"txt", 0, d.path() + "/x.txt", "x"},
        // The filter is lower-cased and always part of the path.
        {"TXT", 1, d.path() + "/Y.txt", "Y"},
        {"*", 0, d.path() + "/x.*", "x"},
    };
    for (const auto& c : cases) {
        TnxOpenDialog dlg;
        dlg.Directory = d.path();
        dlg.FileExt = c.ext;
        const bool ok = run(dlg, [&](TListForm& f) {
            fdtest::select(f, c.row);
            QTest::mouseClick(f.FileOpenBtn, Qt::LeftButton);
        });
        EXPECT_TRUE(ok) << c.ext;
        EXPECT_EQ(dlg.ModalResult(), 1);
        EXPECT_EQ(dlg.FilePath(), c.path);
        EXPECT_EQ(dlg.FileName(), c.name);
    }
}

TEST(FileListWindow, CancelAndEmptyDoubleClickKeepThePreviousResult)
{
    ScratchDir d;
    d.write("one.txt");
    d.write("two.txt");
    TnxOpenDialog dlg;
    dlg.Directory = d.path();
    dlg.FileExt = "txt";
    ASSERT_TRUE(run(dlg, [](TListForm& f) { QTest::mouseClick(f.FileOpenBtn, Qt::LeftButton); }));
    EXPECT_EQ(dlg.FilePath(), d.path() + "/two.txt");

    // Cancel button, close box, and a double-click with nothing selected.
    const std::function<void(TListForm&)> ways[] = {
        [](TListForm& f) { QTest::mouseClick(f.CloseBtn, Qt::LeftButton); },
        [](TListForm& f) { f.close(); },
        [](TListForm& f) {
            f.ListView1->clearSelection();
            const QPoint below(5, f.ListView1->viewport()->height() - 3);
            QTest::mouseDClick(f.ListView1->viewport(), Qt::LeftButton, {}, below);
        },
    };
    for (const auto& way : ways) {
        EXPECT_FALSE(run(dlg, way));
        EXPECT_EQ(dlg.ModalResult(), 2);
        EXPECT_EQ(dlg.FilePath(), d.path() + "/two.txt");
        EXPECT_EQ(dlg.FileName(), "two");
    }
}

TEST(FileListWindow, DoubleClickOnAnEntryOpensIt)
{
    ScratchDir d;
    d.write("one.txt");
    d.write("two.txt");
    TnxOpenDialog dlg;
    dlg.Directory = d.path();
    dlg.FileExt = "txt";
    EXPECT_TRUE(run(dlg, [](TListForm& f) {
        const QRect r = f.ListView1->visualItemRect(f.ListView1->item(0, 0));
        QTest::mouseClick(f.ListView1->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(f.ListView1->viewport(), Qt::LeftButton, {}, r.center());
    }));
    EXPECT_EQ(dlg.FileName(), "one");
}

TEST(FileListWindow, SaveWindowStartsWithTheOwnersNameAndFollowsTheEdit)
{
    ScratchDir d;
    d.write("old.txt");
    TnxSaveDialog dlg;
    dlg.Directory = d.path();
    dlg.FileExt = "txt";
    dlg.SetFileName("/somewhere/else/report.txt");
    run(dlg, [&](TListForm& f) {
        EXPECT_EQ(f.windowTitle(), u("保存ファイル名の指定"));
        EXPECT_TRUE(f.FileEdit->isVisible());
        EXPECT_TRUE(f.FileSaveBtn->isVisible());
        EXPECT_FALSE(f.FileOpenBtn->isVisible());
        EXPECT_EQ(f.FileEdit->text(), u("report"));
        EXPECT_EQ(fdtest::selectedRow(f), -1);
        EXPECT_TRUE(f.FileSaveBtn->isEnabled());
        f.FileEdit->clear();
        EXPECT_FALSE(f.FileSaveBtn->isEnabled());
        QTest::keyClicks(f.FileEdit, QStringLiteral(" "));
        EXPECT_TRUE(f.FileSaveBtn->isEnabled()) << "a blank is a character";
        // Choosing an entry puts its text into the edit.
        fdtest::select(f, 0);
        EXPECT_EQ(f.FileEdit->text(), u("old"));
        // A later listing puts the owner's name back.
        dlg.GetFilesList();
        EXPECT_EQ(f.FileEdit->text(), u("report"));
    });
}

TEST(FileListWindow, HeaderLineShowsFolderAndToolButtons)
{
    ScratchDir d;
    d.write("f.txt");
    struct Case {
        bool dirLine;
        TnxDialogOptions options;
        bool panel, find, folder;
    } cases[] = {
        {false, {}, false, false, false},
        {true, {}, true, false, false},
        {false, {doFindBtn}, true, true, false},
        {false, {doFolderBtn}, true, false, true},
        {true, {doFindBtn, doFolderBtn}, true, true, true},
    };
    for (const auto& c : cases) {
        TnxOpenDialog dlg;
        dlg.Directory = d.path();
        dlg.FileExt = "txt";
        dlg.DisplayDirectory = c.dirLine;
        dlg.Options = c.options;
        dlg.FormWidth = 600;
        run(dlg, [&](TListForm& f) {
            SCOPED_TRACE(testing::Message() << "line " << c.dirLine << " options "
                                            << int(c.options.bits()));
            EXPECT_EQ(f.DirNamePanel->isVisible(), c.panel);
            EXPECT_EQ(f.FindBtn->isVisible(), c.find);
            EXPECT_EQ(f.FolderBtn->isVisible(), c.folder);
            EXPECT_EQ(f.DirNamePanel->text(),
                      c.dirLine ? u("  ") + QString::fromLocal8Bit(d.path().c_str()) : QString());
            if (c.find) {
                // The search button sits at the right end when it is alone.
                const int right = f.DirNamePanel->width() - (f.FindBtn->x() + f.FindBtn->width());
                EXPECT_EQ(right, c.folder ? 32 : 8);
            }
            if (c.panel)
                EXPECT_EQ(f.Panel1->y(), f.DirNamePanel->height());
            else
                EXPECT_EQ(f.Panel1->y(), 0);
        });
    }
}

// Every named control of the window, with both tool buttons and without,
// at the design size and at a larger and a smaller one: the list and the
// edit stretch, the buttons keep to the right-hand edge.
TEST(FileListWindow, EveryControlStaysWhereTheLayoutPutsIt)
{
    ScratchDir d;
    d.write("a.txt");
    d.write("b.txt");
    const struct {
        bool save;
        TnxDialogOptions options;
        std::vector<std::pair<QSize, std::vector<testing_support::Placed>>> sizes;
    } cases[] = {
        {false, {doFindBtn, doFolderBtn}, {
            {{423, 416}, {
                {"ListForm", "", {0, 0, 419, 412}},
                {"DirNamePanel", "ListForm", {0, 0, 419, 25}},
                {"FindBtn", "DirNamePanel", {364, 2, 23, 22}},
                {"FolderBtn", "DirNamePanel", {388, 2, 23, 22}},
                {"Panel1", "ListForm", {0, 25, 419, 355}},
                {"ListView1", "Panel1", {8, 8, 402, 334}},
                {"Panel2", "ListForm", {0, 380, 419, 32}},
                {"FileEdit", "Panel2", {8, 5, 293, 21}, true},
                {"FileOpenBtn", "Panel2", {307, 4, 52, 25}},
                {"FileSaveBtn", "Panel2", {307, 4, 52, 25}, true},
                {"CloseBtn", "Panel2", {360, 4, 52, 25}},
            }},
            {{640, 480}, {
                {"ListForm", "", {0, 0, 636, 476}},
                {"DirNamePanel", "ListForm", {0, 0, 636, 25}},
                {"FindBtn", "DirNamePanel", {581, 2, 23, 22}},
                {"FolderBtn", "DirNamePanel", {605, 2, 23, 22}},
                {"Panel1", "ListForm", {0, 25, 636, 419}},
                {"ListView1", "Panel1", {8, 8, 619, 398}},
                {"Panel2", "ListForm", {0, 444, 636, 32}},
                {"FileEdit", "Panel2", {8, 5, 510, 21}, true},
                {"FileOpenBtn", "Panel2", {524, 4, 52, 25}},
                {"FileSaveBtn", "Panel2", {524, 4, 52, 25}, true},
                {"CloseBtn", "Panel2", {577, 4, 52, 25}},
            }},
            {{200, 120}, {
                {"ListForm", "", {0, 0, 196, 116}},
                {"DirNamePanel", "ListForm", {0, 0, 196, 25}},
                {"FindBtn", "DirNamePanel", {141, 2, 23, 22}},
                {"FolderBtn", "DirNamePanel", {165, 2, 23, 22}},
                {"Panel1", "ListForm", {0, 25, 196, 59}},
                {"ListView1", "Panel1", {8, 8, 179, 38}},
                {"Panel2", "ListForm", {0, 84, 196, 32}},
                {"FileEdit", "Panel2", {8, 5, 70, 21}, true},
                {"FileOpenBtn", "Panel2", {84, 4, 52, 25}},
                {"FileSaveBtn", "Panel2", {84, 4, 52, 25}, true},
                {"CloseBtn", "Panel2", {137, 4, 52, 25}},
            }},
        }},
        {true, {doFindBtn}, {
            {{423, 416}, {
                {"ListForm", "", {0, 0, 419, 412}},
                {"DirNamePanel", "ListForm", {0, 0, 419, 25}},
                {"FindBtn", "DirNamePanel", {388, 2, 23, 22}},
                {"FolderBtn", "DirNamePanel", {388, 2, 23, 22}, true},
                {"Panel1", "ListForm", {0, 25, 419, 355}},
                {"ListView1", "Panel1", {8, 8, 402, 334}},
                {"Panel2", "ListForm", {0, 380, 419, 32}},
                {"FileEdit", "Panel2", {8, 5, 293, 21}},
                {"FileOpenBtn", "Panel2", {307, 4, 52, 25}, true},
                {"FileSaveBtn", "Panel2", {307, 4, 52, 25}},
                {"CloseBtn", "Panel2", {360, 4, 52, 25}},
            }},
            {{700, 300}, {
                {"ListForm", "", {0, 0, 696, 296}},
                {"DirNamePanel", "ListForm", {0, 0, 696, 25}},
                {"FindBtn", "DirNamePanel", {665, 2, 23, 22}},
                {"FolderBtn", "DirNamePanel", {665, 2, 23, 22}, true},
                {"Panel1", "ListForm", {0, 25, 696, 239}},
                {"ListView1", "Panel1", {8, 8, 679, 218}},
                {"Panel2", "ListForm", {0, 264, 696, 32}},
                {"FileEdit", "Panel2", {8, 5, 570, 21}},
                {"FileOpenBtn", "Panel2", {584, 4, 52, 25}, true},
                {"FileSaveBtn", "Panel2", {584, 4, 52, 25}},
                {"CloseBtn", "Panel2", {637, 4, 52, 25}},
            }},
        }},
    };
    for (const auto& c : cases) {
        TnxOpenDialog open;
        TnxSaveDialog save;
        TnxFileDialogBase& dlg = c.save ? static_cast<TnxFileDialogBase&>(save) : open;
        dlg.Directory = d.path();
        dlg.FileExt = "txt";
        dlg.DisplayDirectory = true;
        dlg.Options = c.options;
        dlg.FormWidth = 423;
        dlg.FormHeight = 416;
        run(dlg, [&](TListForm& f) {
            for (const auto& [outer, table] : c.sizes) {
                f.setOuterBounds(QRect(QPoint(0, 0), outer));
                QApplication::processEvents();
                testing_support::expectGeometry(
                    &f, table,
                    std::string(c.save ? "save" : "open") + " window " +
                        std::to_string(outer.width()) + "x" + std::to_string(outer.height()));
            }
        });
    }
}

TEST(FileListWindow, FolderLineIsShortenedToItsRoom)
{
    ScratchDir d;
    const std::string deep = d.path() + "/aaaaaaaaaaaa/bbbbbbbbbbbb/cccccccccccc/dddddddddddd";
    std::string p = d.path();
    for (const char* part : {"/aaaaaaaaaaaa", "/bbbbbbbbbbbb", "/cccccccccccc", "/dddddddddddd"}) {
        p += part;
        ::mkdir(p.c_str(), 0755);
    }
    TnxOpenDialog dlg;
    dlg.Directory = deep;
    dlg.DisplayDirectory = true;
    dlg.Options = {doFindBtn, doFolderBtn};
    dlg.FormWidth = 200;
    run(dlg, [&](TListForm& f) {
        const QString line = f.DirNamePanel->text();
        const QFontMetrics fm(f.font());
        const int room = f.DirNamePanel->width() - 10 - 60;
        EXPECT_TRUE(line.startsWith(u("  /.../")) || line.startsWith(u("  .../")) ||
                    line == u("  dddddddddddd"))
            << line.toStdString();
        EXPECT_TRUE(line.endsWith(u("/dddddddddddd")) || line == u("  dddddddddddd"));
        EXPECT_LE(fm.horizontalAdvance(line.mid(2)), room) << line.toStdString();
        // Widening the window gives the full path back.
        f.resize(1400, f.height());
        QApplication::processEvents();
        EXPECT_EQ(f.DirNamePanel->text(), u("  ") + QString::fromLocal8Bit(deep.c_str()));
    });
}

TEST(FileListWindow, IconsOnlyWhenAsked)
{
    ScratchDir d;
    d.write("pic.png");
    d.write("doc.txt");
    for (bool icons : {false, true}) {
        TnxOpenDialog dlg;
        dlg.Directory = d.path();
        dlg.FileExt = "*";
        dlg.DisplayIcon = icons;
        run(dlg, [&](TListForm& f) {
            ASSERT_EQ(f.ListView1->rowCount(), 2);
            for (int i = 0; i < 2; ++i)
                EXPECT_EQ(!f.ListView1->item(i, 0)->icon().isNull(), icons) << i;
        });
    }
}

TEST(OpenDialog, DefaultsAndRememberedBounds)
{
    const QRect desk = QGuiApplication::primaryScreen()->virtualGeometry();
    TnxOpenDialog open;
    TnxSaveDialog save;
    EXPECT_EQ(open.Title, "ファイル一覧");
    EXPECT_EQ(save.Title, "保存ファイル名の指定");
    for (TnxFileDialogBase* dlg : {static_cast<TnxFileDialogBase*>(&open),
                                   static_cast<TnxFileDialogBase*>(&save)}) {
        EXPECT_EQ(dlg->FormWidth, desk.width() * 2 / 5);
        EXPECT_EQ(dlg->FormHeight, desk.height() / 2);
        EXPECT_EQ(dlg->FormLeft, 0);
        EXPECT_EQ(dlg->FormTop, 0);
        EXPECT_EQ(dlg->ImeMode(), imDisable);
        EXPECT_EQ(dlg->Options.bits(), 0);
        EXPECT_FALSE(dlg->DisplayIcon);
        EXPECT_FALSE(dlg->DisplayDirectory);
        EXPECT_EQ(dlg->ModalResult(), 0);
        EXPECT_EQ(dlg->Handle(), nullptr);
    }

    ScratchDir d;
    open.Directory = d.path();
    QRect first;
    run(open, [&](TListForm& f) {
        first = f.outerBounds();
        EXPECT_EQ(f.windowTitle(), u("ファイル一覧"));
        EXPECT_EQ(open.Handle(), &f);
        EXPECT_EQ(open.ModalResult(), 0);
        f.setOuterBounds(QRect(40, 50, 500, 420));
    });
    EXPECT_EQ(first, QRect(0, 0, desk.width() * 2 / 5, desk.height() / 2));
    EXPECT_EQ(open.Handle(), nullptr);
    EXPECT_EQ(QRect(open.FormLeft, open.FormTop, open.FormWidth, open.FormHeight),
              QRect(40, 50, 500, 420));
    run(open, [&](TListForm& f) { EXPECT_EQ(f.outerBounds(), QRect(40, 50, 500, 420)); });
}

TEST(OpenDialog, GetFilesListListsAgainOnlyWhileOpen)
{
    ScratchDir a, b;
    a.write("in-a.txt");
    b.write("in-b.txt");
    b.write("other.txt");
    TnxOpenDialog dlg;
    dlg.GetFilesList();  // idle: nothing to do, nothing raised
    EXPECT_EQ(dlg.listForm(), nullptr);
    dlg.Directory = a.path();
    dlg.FileExt = "txt";
    run(dlg, [&](TListForm& f) {
        EXPECT_EQ(f.entryTexts(), QStringList{"in-a"});
        dlg.Directory = b.path();
        dlg.FindText = "in*";
        EXPECT_EQ(f.entryTexts(), QStringList{"in-a"}) << "not before GetFilesList";
        dlg.GetFilesList();
        EXPECT_EQ(f.entryTexts(), QStringList{"in-b"});
        EXPECT_EQ(f.curDir(), b.path() + "/");
    });
}

TEST(OpenDialog, OnShowRunsOnceTheListIsFilled)
{
    ScratchDir d;
    d.write("a.txt");
    TnxOpenDialog dlg;
    dlg.Directory = d.path();
    dlg.FileExt = "txt";
    int calls = 0;
    QStringList seen;
    dlg.OnShow = [&](QObject* sender) {
        ++calls;
        EXPECT_EQ(sender, &dlg);
        seen = dlg.listForm()->entryTexts();
        EXPECT_NE(dlg.Handle(), nullptr);
    };
    run(dlg, [](TListForm&) {});
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, QStringList{"a"});
}
