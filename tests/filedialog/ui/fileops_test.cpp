// What the user can do in the file list window: save with the overwrite
// question, rename in place, delete, search, and the owner's events that
// veto or replace each of them.
#include "run_dialog.h"

#include "filedialog/unitstate.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QToolButton>
#include <QTreeView>

#include <sys/stat.h>

using fdtest::run;
using fdtest::u;
using testing_support::BoxAnswerer;
using testing_support::ScratchDir;

namespace {

const QString kOverwrite = u("同名のファイルが存在します．上書きしますか．　　　");
const QString kDeleteFailed = u("削除できません．ファイルは読出し専用の可能性があります．    ");
const QString kRenameFailed = u("同名のファイルが存在するか,不正な文字があります.    ");

// An open dialog on a folder holding `names`, listing ".txt".
struct Folder {
    ScratchDir d;
    TnxOpenDialog open;
    TnxSaveDialog save;
    explicit Folder(std::initializer_list<const char*> names)
    {
        for (const char* n : names)
            d.write(n);
        for (TnxFileDialogBase* dlg : {static_cast<TnxFileDialogBase*>(&open),
                                       static_cast<TnxFileDialogBase*>(&save)}) {
            dlg->Directory = d.path();
            dlg->FileExt = "txt";
        }
    }
};

// Answers the search prompt with `text` (or cancels it when null).
void answerSearch(const char* text, QString* caption = nullptr, QString* prompt = nullptr,
                  QString* preset = nullptr)
{
    testing_support::onModal([=](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>(QStringLiteral("Edit"));
        if (caption)
            *caption = w->windowTitle();
        if (prompt)
            if (auto* l = w->findChild<QLabel*>(QStringLiteral("Prompt")))
                *prompt = l->text();
        if (preset && edit)
            *preset = edit->text();
        if (!text || !edit) {
            if (auto* b = w->findChild<QPushButton*>(QStringLiteral("Cancel")))
                b->click();
            else
                w->close();
            return;
        }
        edit->setText(u(text));
        w->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
}

}  // namespace

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
            EXPECT_EQ(w.entryTexts(), (QStringList{"a", "b"}));
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
        EXPECT_EQ(w.entryTexts(), (QStringList{"a", "b"}));
        EXPECT_EQ(fdtest::selectedRow(w), -1);
        EXPECT_EQ(w.lastIndex(), 1);
        // A middle entry: the one after it is selected.
        fdtest::select(w, 0);
        w.FileDelete->trigger();
        EXPECT_FALSE(f.d.exists("a.txt"));
        EXPECT_EQ(w.entryTexts(), QStringList{"b"});
        EXPECT_EQ(fdtest::selectedRow(w), 0);
        EXPECT_EQ(w.selPath(), f.d.path() + "/b.txt");
        EXPECT_TRUE(w.FileOpenBtn->isEnabled());
        w.FileDelete->trigger();
        EXPECT_TRUE(w.entryTexts().isEmpty());
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
            EXPECT_EQ(w.entryTexts(), c.deleted ? QStringList{"b"} : (QStringList{"a", "b"}));
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
            texts = w.entryTexts();
            EXPECT_FALSE(w.editing());
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
                texts = w.entryTexts();
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
        run(dlg, [&](TListForm& w) { again = w.entryTexts(); });
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
            texts = w.entryTexts();
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
        EXPECT_EQ(w.entryTexts(), (QStringList{"m", "z", "zz"}));
        EXPECT_EQ(fdtest::selectedRow(w), 2);
        EXPECT_EQ(w.selIndex(), 2);
        EXPECT_EQ(w.selPath(), f.d.path() + "/zz.txt");
        // So a delete from the menu removes the file the user sees selected.
        w.FileDelete->trigger();
        EXPECT_EQ(w.entryTexts(), (QStringList{"m", "z"}));
    });
    EXPECT_FALSE(f.d.exists("zz.txt"));
    EXPECT_TRUE(f.d.exists("m.txt"));
    EXPECT_TRUE(f.d.exists("z.txt"));

    // An entry renamed with blanks still names its file.
    Folder g{"a.txt", "b.txt"};
    run(g.open, [&](TListForm& w) {
        fdtest::select(w, 1);
        fdtest::renameTo(w, u(" c "));
        const int row = w.entryTexts().indexOf(u(" c "));
        ASSERT_GE(row, 0);
        fdtest::select(w, 1 - row);
        fdtest::select(w, row);
        EXPECT_EQ(w.selPath(), g.d.path() + "/c.txt");
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
        if (auto* editor = qobject_cast<QLineEdit*>(w.ListView1->editorWidget())) {
            editor->setText(u("z"));
            QTest::keyClick(editor, Qt::Key_Return);
        }
        EXPECT_FALSE(w.editing());
        EXPECT_EQ(w.entryTexts(), (QStringList{"a", "b"}));
        // Committing a name unchanged is neither a rename nor a failure.
        fdtest::select(w, 0);
        fdtest::renameTo(w, u("a"));
        EXPECT_EQ(w.entryTexts(), (QStringList{"a", "b"}));
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
        EXPECT_FALSE(w.editing());
        EXPECT_TRUE(w.FileOpenBtn->isDefault());
        EXPECT_EQ(w.entryTexts(), (QStringList{"a", "b"}));
        EXPECT_TRUE(w.isVisible()) << "Escape in the editor is not the cancel button";
        // A double-click opens again.
        const QRect r = w.ListView1->visualItemRect(w.ListView1->item(0, 0));
        QTest::mouseDClick(w.ListView1->viewport(), Qt::LeftButton, {}, r.center());
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(f.open.FileName(), "a");
    EXPECT_TRUE(f.d.exists("a.txt"));
}

TEST(Search, PromptFiltersAndPrefixesTheCaption)
{
    Folder f{"data1.txt", "Data2.txt", "mydata.txt", "other.txt"};
    f.open.Options = {doFindBtn};
    run(f.open, [&](TListForm& w) {
        QString caption, prompt, preset;
        answerSearch("data", &caption, &prompt, &preset);
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(caption, u("ファイル名部分一致検索"));
        EXPECT_EQ(prompt, u("検索文字列"));
        EXPECT_EQ(preset, QString());
        EXPECT_EQ(w.entryTexts(), (QStringList{"data1", "mydata"}));
        EXPECT_EQ(w.windowTitle(), u("[ data ]を含むファイル一覧"));
        // The last entry is selected again, as after the first listing.
        EXPECT_EQ(fdtest::selectedRow(w), 1);

        // Cancel changes nothing.
        answerSearch(nullptr, nullptr, nullptr, &preset);
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(preset, u("data"));
        EXPECT_EQ(w.entryTexts(), (QStringList{"data1", "mydata"}));

        // An empty text lists everything and still adds its prefix.
        answerSearch("");
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(w.entryTexts().size(), 4);
        EXPECT_EQ(w.windowTitle(), u("[  ]を含む[ data ]を含むファイル一覧"));
    });
    // Each window starts without a search.
    run(f.open, [&](TListForm& w) { EXPECT_EQ(w.entryTexts().size(), 4); });
}

TEST(Search, OwnerHandlerCanReplaceOrPrepareThePrompt)
{
    Folder f{"abc.txt", "xyz.txt"};
    f.open.Options = {doFindBtn};
    std::string seenDir;
    bool proceed = false;
    f.open.OnFindBtnClick = [&](QObject*, const std::string& dir, bool& DefautEvent,
                                std::string& AndFindText) {
        EXPECT_FALSE(DefautEvent);
        seenDir = dir;
        AndFindText = "xy";
        DefautEvent = proceed;
    };
    run(f.open, [&](TListForm& w) {
        // Left False: no prompt and no new listing.
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(QApplication::activeModalWidget(), &w);
        EXPECT_EQ(w.entryTexts().size(), 2);
        EXPECT_EQ(seenDir, f.d.path() + "/");
        // Set True: the prompt follows, starting from the handler's text.
        proceed = true;
        QString preset;
        answerSearch("xyz", nullptr, nullptr, &preset);
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(preset, u("xy"));
        EXPECT_EQ(w.entryTexts(), QStringList{"xyz"});
    });
}

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
        EXPECT_EQ(f.entryTexts(), QStringList{"x"});
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
            EXPECT_EQ(f.entryTexts(), QStringList{"x"});

            tree->setCurrentIndex(sibling(tree, u("two")));
            EXPECT_EQ(f.entryTexts(), (QStringList{"y", "z"}));
            EXPECT_EQ(dlg.Directory, d.path() + "/two");
            EXPECT_EQ(f.DirNamePanel->text(), u("  ") + QString::fromLocal8Bit((d.path() + "/two").c_str()));
            tree->setCurrentIndex(sibling(tree, u("one")));
            EXPECT_EQ(f.entryTexts(), QStringList{"x"});
            tree->setCurrentIndex(sibling(tree, u("two")));
            close->click();
        });
        QTest::mouseClick(f.FolderBtn, Qt::LeftButton);
        EXPECT_TRUE(browsed);
        EXPECT_EQ(f.entryTexts(), (QStringList{"y", "z"}));
        // Re-listed with nothing chosen before: the last entry is selected.
        EXPECT_EQ(fdtest::selectedRow(f), 1);
        EXPECT_EQ(f.curDir(), d.path() + "/two/");
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
