// The file list window itself: where its controls sit, the buttons' states
// as entries are listed and selected, double-click, and the save window's
// name edit.
#include "run_dialog.h"

#include "support/geometry.h"

#include <QLabel>
#include <QToolButton>

using fdtest::run;
using fdtest::u;
using testing_support::ScratchDir;

TEST(FileListWindow, OpenButtonFollowsEntryCountAndSelection)
{
    ScratchDir one;
    one.write("only.txt");
    TnxOpenDialog dlg;
    dlg.Directory = one.path();
    dlg.FileExt = "txt";
    run(dlg, [&](TListForm& f) {
        // A single entry is shown unselected and cannot be opened yet.
        EXPECT_EQ(fdtest::texts(f), QStringList{"only"});
        EXPECT_EQ(fdtest::selectedRow(f), -1);
        EXPECT_FALSE(f.FileOpenBtn->isEnabled());
        fdtest::select(f, 0);
        EXPECT_TRUE(f.FileOpenBtn->isEnabled());
    });

    ScratchDir many;
    for (const char* n : {"b.txt", "c.txt", "a.txt"})
        many.write(n);
    dlg.Directory = many.path();
    const bool opened = run(dlg, [&](TListForm& f) {
        // Two or more: the last entry in sort order is selected and shown.
        EXPECT_EQ(fdtest::texts(f), (QStringList{"a", "b", "c"}));
        EXPECT_EQ(fdtest::selectedRow(f), 2);
        EXPECT_TRUE(f.FileOpenBtn->isEnabled());
        EXPECT_TRUE(f.FileOpenBtn->isVisible());
        EXPECT_FALSE(f.FileSaveBtn->isVisible());
        EXPECT_FALSE(f.FileEdit->isVisible());
        QTest::mouseClick(f.FileOpenBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(dlg.FilePath(), many.path() + "/c.txt");
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
