// The open and save dialog components as a host program uses them: Execute,
// the results, and what becomes of an exception thrown by a handler the host
// assigned.
#include "run_dialog.h"

#include "filedialog/ui/browsefolder.h"
#include "filedialog/unitstate.h"

#include <QPointer>
#include <QToolButton>
#include <QTimer>

#include <stdexcept>

using fdtest::run;
using fdtest::u;
using testing_support::BoxAnswerer;
using testing_support::ScratchDir;

namespace {

struct HostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Every file list window that still exists.
int listWindows()
{
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        n += qobject_cast<TListForm*>(w) != nullptr;
    return n;
}

// Commits `text` in the in-place editor of the selected entry.
void typeNewName(TListForm& f, const char* text)
{
    f.FileRename->trigger();
    QLineEdit* editor = fdtest::editor(f);
    ASSERT_NE(editor, nullptr);
    editor->setText(u(text));
    QTest::keyClick(editor, Qt::Key_Return);
}

struct Throwing {
    const char* kind;
    bool save;
    TnxDialogOptions options;
    std::function<void(TnxFileDialogBase&)> assign;
    std::function<void(TListForm&)> act;  // null: raised while the window is shown
};

void PrintTo(const Throwing& t, std::ostream* os) { *os << t.kind; }

class ThrowingHandler : public ::testing::TestWithParam<Throwing> {};

// Whatever kind of handler throws, and wherever the window raises it, the
// exception reaches the caller of Execute: the window is gone, ModalResult
// is still 0, and the same component can be executed again.
TEST_P(ThrowingHandler, ReachesTheCallerOfExecuteWithTheWindowGone)
{
    const Throwing& t = GetParam();
    ScratchDir d;
    d.write("a.txt");
    d.write("b.txt");
    TnxOpenDialog open;
    TnxSaveDialog save;
    TnxFileDialogBase& dlg = t.save ? static_cast<TnxFileDialogBase&>(save) : open;
    dlg.Directory = d.path();
    dlg.FileExt = "txt";
    dlg.Options = t.options;
    t.assign(dlg);

    bool acted = false;
    if (t.act) {
        testing_support::onModal([&](QWidget* w) {
            auto* form = qobject_cast<TListForm*>(w);
            ASSERT_NE(form, nullptr);
            acted = true;
            t.act(*form);
        });
    }
    // Should the window stay, it is closed so that the test ends.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (auto* f = qobject_cast<TListForm*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "the window stayed open";
            f->done(TListForm::kResultCancel);
        }
    });
    watchdog.start(5000);

    BoxAnswerer boxes;
    std::string caught;
    try {
        dlg.Execute();
        ADD_FAILURE() << "Execute returned";
    } catch (const HostError& e) {
        caught = e.what();
    }
    watchdog.stop();
    EXPECT_EQ(caught, t.kind);
    EXPECT_TRUE(!t.act || acted);
    EXPECT_EQ(dlg.ModalResult(), 0);
    EXPECT_EQ(dlg.Handle(), nullptr);
    EXPECT_EQ(listWindows(), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(boxes.seen().empty()) << "no report of the window's own";

    // Executed again, the component works as before.
    dlg.OnShow = nullptr;
    dlg.OnBeforeClose = nullptr;
    EXPECT_TRUE(run(dlg, [](TListForm& f) {
        fdtest::select(f, 0);
        if (!nx::unit().IsOpenMode)
            f.FileEdit->setText(u("new"));
        QTest::mouseClick(nx::unit().IsOpenMode ? f.FileOpenBtn : f.FileSaveBtn, Qt::LeftButton);
    }));
    EXPECT_EQ(dlg.ModalResult(), 1);
    EXPECT_EQ(dlg.FilePath(), d.path() + (t.save ? "/new.txt" : "/a.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, ThrowingHandler,
    ::testing::Values(
        Throwing{"OnShow", false, {},
                 [](TnxFileDialogBase& o) { o.OnShow = [](QObject*) { throw HostError("OnShow"); }; },
                 nullptr},
        Throwing{"OnShowOfASaveWindow", true, {},
                 [](TnxFileDialogBase& o) {
                     o.OnShow = [](QObject*) { throw HostError("OnShowOfASaveWindow"); };
                 },
                 nullptr},
        Throwing{"OnBeforeCloseOnOpen", false, {},
                 [](TnxFileDialogBase& o) {
                     o.OnBeforeClose = [](QObject*, const std::string&, bool&) {
                         throw HostError("OnBeforeCloseOnOpen");
                     };
                 },
                 [](TListForm& f) { QTest::mouseClick(f.FileOpenBtn, Qt::LeftButton); }},
        Throwing{"OnBeforeCloseOnDoubleClick", false, {},
                 [](TnxFileDialogBase& o) {
                     o.OnBeforeClose = [](QObject*, const std::string&, bool&) {
                         throw HostError("OnBeforeCloseOnDoubleClick");
                     };
                 },
                 [](TListForm& f) {
                     const QRect r = f.ListView1->visualItemRect(f.ListView1->item(0, 0));
                     QTest::mouseDClick(f.ListView1->viewport(), Qt::LeftButton, {}, r.center());
                 }},
        Throwing{"OnBeforeCloseOnSave", true, {},
                 [](TnxFileDialogBase& o) {
                     o.OnBeforeClose = [](QObject*, const std::string&, bool&) {
                         throw HostError("OnBeforeCloseOnSave");
                     };
                 },
                 [](TListForm& f) {
                     f.FileEdit->setText(u("new"));
                     QTest::mouseClick(f.FileSaveBtn, Qt::LeftButton);
                 }},
        Throwing{"OnBeforeDelete", false, {},
                 [](TnxFileDialogBase& o) {
                     o.OnBeforeDelete = [](QObject*, const std::string&, bool&) {
                         throw HostError("OnBeforeDelete");
                     };
                 },
                 [](TListForm& f) {
                     fdtest::select(f, 1);
                     f.FileDelete->trigger();
                 }},
        Throwing{"OnAfterDelete", false, {},
                 [](TnxFileDialogBase& o) {
                     o.OnAfterDelete = [](QObject*, const std::string&, bool) {
                         throw HostError("OnAfterDelete");
                     };
                 },
                 [](TListForm& f) {
                     fdtest::select(f, 1);
                     f.FileDelete->trigger();
                 }},
        Throwing{"OnBeforeRename", false, {},
                 [](TnxFileDialogBase& o) {
                     o.OnBeforeRename = [](QObject*, const std::string&, const std::string&,
                                           bool&) { throw HostError("OnBeforeRename"); };
                 },
                 [](TListForm& f) {
                     fdtest::select(f, 1);
                     typeNewName(f, "c");
                 }},
        Throwing{"OnAfterRename", true, {},
                 [](TnxFileDialogBase& o) {
                     o.OnAfterRename = [](QObject*, const std::string&, const std::string&,
                                          bool) { throw HostError("OnAfterRename"); };
                 },
                 [](TListForm& f) {
                     fdtest::select(f, 1);
                     typeNewName(f, "c");
                 }},
        Throwing{"OnFindBtnClick", false, {doFindBtn},
                 [](TnxFileDialogBase& o) {
                     o.OnFindBtnClick = [](QObject*, const std::string&, bool&, std::string&) {
                         throw HostError("OnFindBtnClick");
                     };
                 },
                 [](TListForm& f) { QTest::mouseClick(f.FindBtn, Qt::LeftButton); }},
        Throwing{"OnFolderBtnClick", false, {doFolderBtn},
                 [](TnxFileDialogBase& o) {
                     o.OnFolderBtnClick = [](QObject*, const std::string&, bool&) {
                         throw HostError("OnFolderBtnClick");
                     };
                 },
                 [](TListForm& f) { QTest::mouseClick(f.FolderBtn, Qt::LeftButton); }}),
    [](const auto& info) { return std::string(info.param.kind); });

// A folder browser that a host's handler runs while the file list window is
// up keeps the browser's own rule: whatever its handlers throw, its Execute
// returns false, and the file list window goes on.
TEST(OpenDialog, FailingBrowserHandlersInsideAHostsHandlerLeaveTheWindowUp)
{
    ScratchDir d;
    d.write("a.txt");
    d.write("b.txt");
    TnxOpenDialog dlg;
    dlg.Directory = d.path();
    dlg.FileExt = "txt";
    dlg.Options = {doFolderBtn};
    std::vector<bool> results;
    dlg.OnFolderBtnClick = [&](QObject*, const std::string& dir, bool&) {
        for (int kind = 0; kind < 2; ++kind) {
            TnxBrowseFolder b(dlg.Handle());
            b.InitDir = dir;
            if (kind == 0)
                b.OnShow = [](QObject*) { throw HostError("browser OnShow"); };
            else
                b.OnSelectionChanged = [](QObject*, QWidget*, const std::string&, std::string&,
                                          bool&) { throw HostError("browser selection"); };
            results.push_back(b.Execute());
        }
    };
    const bool ok = run(dlg, [&](TListForm& f) {
        QTest::mouseClick(f.FolderBtn, Qt::LeftButton);
        EXPECT_EQ(QApplication::activeModalWidget(), &f);
        fdtest::select(f, 0);
        QTest::mouseClick(f.FileOpenBtn, Qt::LeftButton);
    });
    EXPECT_EQ(results, (std::vector<bool>{false, false}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(dlg.ModalResult(), 1);
    EXPECT_EQ(dlg.FilePath(), d.path() + "/a.txt");
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
    EXPECT_EQ(dlg.Handle(), nullptr);
    dlg.Directory = a.path();
    dlg.FileExt = "txt";
    const bool opened = run(dlg, [&](TListForm& f) {
        EXPECT_EQ(fdtest::texts(f), QStringList{"in-a"});
        dlg.Directory = b.path();
        dlg.FindText = "in*";
        EXPECT_EQ(fdtest::texts(f), QStringList{"in-a"}) << "not before GetFilesList";
        dlg.GetFilesList();
        EXPECT_EQ(fdtest::texts(f), QStringList{"in-b"});
        // Opened, the entry's path is built from the folder listed now.
        fdtest::select(f, 0);
        QTest::mouseClick(f.FileOpenBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(dlg.FilePath(), b.path() + "/in-b.txt");
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
        seen = fdtest::texts(*qobject_cast<TListForm*>(dlg.Handle()));
        EXPECT_NE(dlg.Handle(), nullptr);
    };
    run(dlg, [](TListForm&) {});
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, QStringList{"a"});
}

}  // namespace
