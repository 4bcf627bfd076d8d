// What the user does to the entries of the file list window: open, save
// with the overwrite question, rename in place, delete, and the owner's
// events that veto or replace each of them.
#include "run_dialog.h"

#include "filedialog/unitstate.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QToolButton>
#include <QTreeView>

#include <sys/stat.h>

using fdtest::Folder;
using fdtest::run;
using fdtest::u;
using testing_support::BoxAnswerer;
using testing_support::ScratchDir;

namespace {

const QString kOverwrite = u("同名のファイルが存在します．上書きしますか．　　　");
const QString kDeleteFailed = u("削除できません．ファイルは読出し専用の可能性があります．    ");
const QString kRenameFailed = u("同名のファイルが存在するか,不正な文字があります.    ");



}  // namespace

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

TEST(SaveWindow, OverwriteQuestionDecidesTheResult)
{
    struct Case {
        const char* typed;
        bool exists;
        const char* answer;
        bool result;
        const char* file;
    } cases[] = {
        {"new", false, "OK", true, "new.txt"},
        {"report", true, "OK", true, "report.txt"},
        {"report", true, "Cancel", false, nullptr},
        // The edit holds the name without extension: one is always added.
        {"report.txt", false, "OK", true, "report.txt.txt"},
        {"  spaced  ", false, "OK", true, "spaced.txt"},
    };
    for (const auto& c : cases) {
        Folder f{"report.txt"};
        f.save.FileExt = "TXT";
        BoxAnswerer boxes(c.answer);
        const bool ok = run(f.save, [&](TListForm& w) {
            w.FileEdit->setText(u(c.typed));
            QTest::mouseClick(w.FileSaveBtn, Qt::LeftButton);
        });
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(ok, c.result);
        EXPECT_EQ(f.save.ModalResult(), c.result ? 1 : 2);
        if (c.exists) {
            ASSERT_EQ(boxes.seen().size(), 1u);
            EXPECT_EQ(boxes.seen()[0].caption, u("ファイルの保存"));
            EXPECT_EQ(boxes.seen()[0].text, kOverwrite);
            EXPECT_EQ(boxes.seen()[0].icon, int(QMessageBox::Information));
        } else {
            EXPECT_TRUE(boxes.seen().empty());
        }
        if (c.file) {
            EXPECT_EQ(f.save.FilePath(), f.d.path() + "/" + c.file);
            EXPECT_EQ(f.save.FileName(), std::string(c.file).substr(0, std::string(c.file).rfind('.')));
        } else {
            EXPECT_EQ(f.save.FilePath(), "");
        }
    }
}

TEST(OwnerEvents, BeforeCloseVetoKeepsTheWindowOpen)
{
    Folder f{"a.txt", "b.txt"};
    for (TnxFileDialogBase* dlg : {static_cast<TnxFileDialogBase*>(&f.open),
                                   static_cast<TnxFileDialogBase*>(&f.save)}) {
        std::vector<std::string> asked;
        bool allow = false;
        dlg->OnBeforeClose = [&](QObject* s, const std::string& path, bool& Action) {
            EXPECT_EQ(s, dlg);
            EXPECT_TRUE(Action);
            asked.push_back(path);
            Action = allow;
        };
        const bool ok = run(*dlg, [&](TListForm& w) {
            QPushButton* button = nx::unit().IsOpenMode ? w.FileOpenBtn : w.FileSaveBtn;
            if (!nx::unit().IsOpenMode)
                w.FileEdit->setText(u("b"));
            QTest::mouseClick(button, Qt::LeftButton);
            QApplication::processEvents();
            EXPECT_TRUE(w.isVisible());
            EXPECT_EQ(dlg->ModalResult(), 0);
            EXPECT_EQ(fdtest::texts(w), (QStringList{"a", "b"}));
            allow = true;
            BoxAnswerer yes;  // b.txt exists: the save window asks
            QTest::mouseClick(button, Qt::LeftButton);
        });
        EXPECT_TRUE(ok);
        EXPECT_EQ(asked, (std::vector<std::string>{f.d.path() + "/b.txt", f.d.path() + "/b.txt"}));
        EXPECT_EQ(dlg->FilePath(), f.d.path() + "/b.txt");
    }
}

TEST(DeleteEntry, LastMiddleAndOnlyEntry)
{
    Folder f{"a.txt", "b.txt", "c.txt"};
    run(f.open, [&](TListForm& w) {
        // The last entry in sort order: nothing is selected afterwards.
        fdtest::select(w, 2);
        w.FileDelete->trigger();
        EXPECT_FALSE(f.d.exists("c.txt"));
        EXPECT_EQ(fdtest::texts(w), (QStringList{"a", "b"}));
        EXPECT_EQ(fdtest::selectedRow(w), -1);
        // A middle entry: the one after it is selected.
        fdtest::select(w, 0);
        w.FileDelete->trigger();
        EXPECT_FALSE(f.d.exists("a.txt"));
        EXPECT_EQ(fdtest::texts(w), QStringList{"b"});
        EXPECT_EQ(fdtest::selectedRow(w), 0);
        EXPECT_TRUE(w.FileOpenBtn->isEnabled());
        // The delete acts on the entry now selected.
        w.FileDelete->trigger();
        EXPECT_FALSE(f.d.exists("b.txt"));
        EXPECT_TRUE(fdtest::texts(w).isEmpty());
        EXPECT_FALSE(w.FileOpenBtn->isEnabled());
    });

    // The save window's button goes off with the last entry, although the
    // edit still holds a name; typing brings it back.
    Folder s{"only.txt"};
    run(s.save, [&](TListForm& w) {
        fdtest::select(w, 0);
        w.FileDelete->trigger();
        EXPECT_FALSE(w.FileSaveBtn->isEnabled());
        EXPECT_EQ(w.FileEdit->text(), u("only"));
        QTest::keyClicks(w.FileEdit, QStringLiteral("2"));
        EXPECT_TRUE(w.FileSaveBtn->isEnabled());
    });
}

TEST(DeleteEntry, FailureAndOwnerEvents)
{
    struct Case {
        bool readOnly, veto, afterHandler;
        bool deleted;
        int boxes;
    } cases[] = {
        {false, false, false, true, 0},
        {true, false, false, false, 1},  // the window says so itself
        {true, false, true, false, 0},   // the owner's handler says so instead
        {false, true, true, false, 0},   // vetoed: nothing happens at all
    };
    for (const auto& c : cases) {
        Folder f{"a.txt", "b.txt"};
        if (c.readOnly)
            ::chmod(f.d.file("a.txt").c_str(), 0444);
        std::vector<std::pair<std::string, bool>> after;
        if (c.veto)
            f.open.OnBeforeDelete = [](QObject*, const std::string&, bool& Action) { Action = false; };
        if (c.afterHandler)
            f.open.OnAfterDelete = [&](QObject*, const std::string& p, bool Flag) {
                after.emplace_back(p, Flag);
            };
        BoxAnswerer boxes;
        run(f.open, [&](TListForm& w) {
            fdtest::select(w, 0);
            w.FileDelete->trigger();
            EXPECT_EQ(fdtest::texts(w), c.deleted ? QStringList{"b"} : (QStringList{"a", "b"}));
        });
        SCOPED_TRACE(testing::Message() << c.readOnly << c.veto << c.afterHandler);
        EXPECT_EQ(f.d.exists("a.txt"), !c.deleted);
        ASSERT_EQ(boxes.seen().size(), size_t(c.boxes));
        if (c.boxes) {
            EXPECT_EQ(boxes.seen()[0].caption, u("ファイルの削除"));
            EXPECT_EQ(boxes.seen()[0].text, kDeleteFailed);
        }
        if (c.afterHandler && !c.veto) {
            ASSERT_EQ(after.size(), 1u);
            EXPECT_EQ(after[0], std::make_pair(f.d.path() + "/a.txt", false));
        } else {
            EXPECT_TRUE(after.empty());
        }
    }
}

TEST(ContextMenu, OffersItemsOnlyForOneSelectedEntry)
{
    Folder f{"a.txt"};
    run(f.open, [&](TListForm& w) {
        w.PopupMenu1Popup();
        EXPECT_FALSE(w.FileRename->isVisible());
        EXPECT_FALSE(w.FileDelete->isVisible());
        fdtest::select(w, 0);
        w.PopupMenu1Popup();
        EXPECT_TRUE(w.FileRename->isVisible());
        EXPECT_TRUE(w.FileDelete->isVisible());
        EXPECT_EQ(w.FileRename->text(), u("ファイル名変更"));
        EXPECT_EQ(w.FileDelete->text(), u("ファイル削除"));
    });
}

TEST(RenameEntry, OutcomesOnDiskAndInTheList)
{
    struct Case {
        const char* typed;
        bool renamed;
        const char* entry;  // the entry's text afterwards
        const char* file;   // the file that holds the content afterwards
    } cases[] = {
        {"n", true, "n", "n.txt"},
        // Blanks around the name are not part of the file's name.
        {" n ", true, " n ", "n.txt"},
        // The other file's name: refused, the entry reads as before.
        {"b", false, "a", "a.txt"},
        // Nothing but blanks would leave a name made of the extension alone.
        {"", false, "a", "a.txt"},
        {"   ", false, "a", "a.txt"},
    };
    for (const auto& c : cases) {
        Folder f{"a.txt", "b.txt"};
        f.d.write("a.txt", "content of a");
        BoxAnswerer boxes;
        QStringList texts;
        run(f.open, [&](TListForm& w) {
            fdtest::select(w, 0);
            fdtest::renameTo(w, u(c.typed));
            texts = fdtest::texts(w);
            EXPECT_TRUE(w.FileOpenBtn->isDefault());
        });
        SCOPED_TRACE(std::string("typed '") + c.typed + "'");
        EXPECT_TRUE(texts.contains(u(c.entry))) << texts.join(',').toStdString();
        EXPECT_EQ(f.d.read(c.file), "content of a");
        EXPECT_EQ(f.d.exists("a.txt"), !c.renamed);
        EXPECT_FALSE(f.d.exists(".txt"));
        if (c.renamed) {
            EXPECT_TRUE(boxes.seen().empty());
        } else {
            ASSERT_EQ(boxes.seen().size(), 1u);
            EXPECT_EQ(boxes.seen()[0].caption, u("ファイル名の変更"));
            EXPECT_EQ(boxes.seen()[0].text, kRenameFailed);
        }
    }
}

// A name that would move the file into another folder, or hide it from
// every listing, is refused as a failed rename: the entry keeps its text and
// the file stays where the list shows it.
TEST(RenameEntry, NamesThatLeaveTheFolderOrHideTheFileAreRefused)
{
    const struct {
        const char* typed;
        const char* wouldBe;  // where the file would have gone, from the outer folder
    } cases[] = {
        {"sub/x", "list/sub/x.txt"},
        {"../x", "x.txt"},
        {"x/", "list/x/.txt"},
        {".x", "list/.x.txt"},
        {" .x", "list/.x.txt"},
        {"..", "list/...txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("typed '") + c.typed + "'");
        ScratchDir outer;
        outer.mkdir("list");
        outer.mkdir("list/sub");
        outer.mkdir("list/x");
        outer.write("list/a.txt", "content of a");
        outer.write("list/b.txt");
        TnxOpenDialog dlg;
        dlg.Directory = outer / "list";
        dlg.FileExt = "txt";
        std::vector<bool> flags;
        for (bool afterHandler : {false, true}) {
            if (afterHandler)
                dlg.OnAfterRename = [&](QObject*, const std::string&, const std::string&,
                                        bool Flag) { flags.push_back(Flag); };
            BoxAnswerer boxes;
            QStringList texts;
            run(dlg, [&](TListForm& w) {
                fdtest::select(w, 0);
                fdtest::renameTo(w, u(c.typed));
                texts = fdtest::texts(w);
                EXPECT_EQ(fdtest::selectedRow(w), 0);
            });
            EXPECT_EQ(texts, (QStringList{"a", "b"}));
            EXPECT_EQ(outer.read("list/a.txt"), "content of a");
            EXPECT_FALSE(outer.exists(c.wouldBe));
            if (afterHandler) {
                EXPECT_TRUE(boxes.seen().empty());
            } else {
                ASSERT_EQ(boxes.seen().size(), 1u);
                EXPECT_EQ(boxes.seen()[0].caption, u("ファイル名の変更"));
                EXPECT_EQ(boxes.seen()[0].text, kRenameFailed);
            }
        }
        EXPECT_EQ(flags, std::vector<bool>{false}) << "the owner's handler hears of the failure";
        // Listed again, the file is still there under its old name.
        QStringList again;
        run(dlg, [&](TListForm& w) { again = fdtest::texts(w); });
        EXPECT_EQ(again, (QStringList{"a", "b"}));
    }
}

TEST(RenameEntry, OwnerEventsSeeBothPathsAndCanVeto)
{
    for (bool veto : {false, true}) {
        Folder f{"a.txt", "b.txt"};
        std::vector<std::string> before;
        std::vector<std::tuple<std::string, std::string, bool>> after;
        f.open.OnBeforeRename = [&](QObject*, const std::string& o, const std::string& n,
                                    bool& Action) {
            before = {o, n};
            Action = !veto;
        };
        f.open.OnAfterRename = [&](QObject*, const std::string& o, const std::string& n,
                                   bool Flag) { after.emplace_back(o, n, Flag); };
        BoxAnswerer boxes;
        QStringList texts;
        run(f.open, [&](TListForm& w) {
            fdtest::select(w, 0);
            fdtest::renameTo(w, u("c"));
            texts = fdtest::texts(w);
            // Renaming onto the other file is reported to the handler only.
            if (!veto) {
                fdtest::select(w, 0);
                fdtest::renameTo(w, u("c"));
            }
        });
        EXPECT_EQ(before, (std::vector<std::string>{f.d.path() + "/" + (veto ? "a" : "b") + ".txt",
                                                    f.d.path() + "/c.txt"}));
        EXPECT_TRUE(boxes.seen().empty());
        if (veto) {
            EXPECT_TRUE(after.empty());
            EXPECT_EQ(texts, (QStringList{"a", "b"}));
            EXPECT_TRUE(f.d.exists("a.txt"));
        } else {
            ASSERT_EQ(after.size(), 2u);
            EXPECT_EQ(after[0], std::make_tuple(f.d.path() + "/a.txt", f.d.path() + "/c.txt", true));
            EXPECT_EQ(after[1], std::make_tuple(f.d.path() + "/b.txt", f.d.path() + "/c.txt", false));
            EXPECT_EQ(texts, (QStringList{"b", "c"}));
        }
    }
}

TEST(RenameEntry, SelectionFollowsTheRenamedEntryAfterTheSort)
{
    Folder f{"a.txt", "m.txt", "z.txt"};
    run(f.open, [&](TListForm& w) {
        fdtest::select(w, 0);
        fdtest::renameTo(w, u("zz"));
        // "a" became "zz" and moved to the end; the selection went with it.
        EXPECT_EQ(fdtest::texts(w), (QStringList{"m", "z", "zz"}));
        EXPECT_EQ(fdtest::selectedRow(w), 2);
        // So a delete from the menu removes the file the user sees selected.
        w.FileDelete->trigger();
        EXPECT_EQ(fdtest::texts(w), (QStringList{"m", "z"}));
    });
    EXPECT_FALSE(f.d.exists("zz.txt"));
    EXPECT_TRUE(f.d.exists("m.txt"));
    EXPECT_TRUE(f.d.exists("z.txt"));

    // An entry renamed with blanks still names its file.
    Folder g{"a.txt", "b.txt"};
    run(g.open, [&](TListForm& w) {
        fdtest::select(w, 1);
        fdtest::renameTo(w, u(" c "));
        const int row = fdtest::texts(w).indexOf(u(" c "));
        ASSERT_GE(row, 0);
        fdtest::select(w, 1 - row);
        fdtest::select(w, row);
        w.FileDelete->trigger();
    });
    EXPECT_FALSE(g.d.exists("c.txt"));
    EXPECT_TRUE(g.d.exists("a.txt"));
}

TEST(RenameEntry, OnlyTheSelectedEntryCanBeEdited)
{
    Folder f{"a.txt", "b.txt"};
    BoxAnswerer boxes;
    run(f.open, [&](TListForm& w) {
        fdtest::select(w, 0);
        // The keyboard makes "b" current without selecting it; F2 there must
        // not rename "a" (whose path the window holds) to the typed name.
        const QModelIndex b = w.ListView1->model()->index(1, 0);
        w.ListView1->selectionModel()->setCurrentIndex(b, QItemSelectionModel::NoUpdate);
        w.ListView1->setFocus();
        QTest::keyClick(w.ListView1, Qt::Key_F2);
        if (QLineEdit* editor = fdtest::editor(w)) {
            editor->setText(u("z"));
            QTest::keyClick(editor, Qt::Key_Return);
            EXPECT_TRUE(QTest::qWaitFor([&] { return fdtest::editor(w) == nullptr; }));
        }
        EXPECT_TRUE(w.FileOpenBtn->isDefault());
        EXPECT_EQ(fdtest::texts(w), (QStringList{"a", "b"}));
        // Committing a name unchanged is neither a rename nor a failure.
        fdtest::select(w, 0);
        fdtest::renameTo(w, u("a"));
        EXPECT_EQ(fdtest::texts(w), (QStringList{"a", "b"}));
    });
    EXPECT_TRUE(f.d.exists("a.txt"));
    EXPECT_TRUE(f.d.exists("b.txt"));
    EXPECT_FALSE(f.d.exists("z.txt"));
    EXPECT_TRUE(boxes.seen().empty());
}

TEST(RenameEntry, AbandonedEditEndsTheEditingState)
{
    Folder f{"a.txt", "b.txt"};
    const bool ok = run(f.open, [&](TListForm& w) {
        fdtest::select(w, 0);
        fdtest::renameTo(w, u("changed"), false);
        EXPECT_TRUE(w.FileOpenBtn->isDefault());
        EXPECT_EQ(fdtest::texts(w), (QStringList{"a", "b"}));
        EXPECT_TRUE(w.isVisible()) << "Escape in the editor is not the cancel button";
        // A double-click opens again.
        const QRect r = w.ListView1->visualItemRect(w.ListView1->item(0, 0));
        QTest::mouseDClick(w.ListView1->viewport(), Qt::LeftButton, {}, r.center());
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(f.open.FileName(), "a");
    EXPECT_TRUE(f.d.exists("a.txt"));
}
