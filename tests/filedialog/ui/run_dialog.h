// Running an open or save dialog in a test: Execute as the host does, and
// act on the file list window once it is shown, the way a user would.
#pragma once

#include "filedialog/ui/listform.h"
#include "filedialog/ui/opendialog.h"
#include "support/modal.h"
#include "support/scratch.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace fdtest {

inline QString u(const char* s) { return QString::fromUtf8(s); }

// Runs `dlg.Execute()` and `act` on its window; a window that `act` leaves
// open is cancelled so that a failing test never hangs.
inline bool run(TnxFileDialogBase& dlg, const std::function<void(TListForm&)>& act)
{
    bool acted = false;
    testing_support::onModal([&](QWidget* w) {
        auto* form = qobject_cast<TListForm*>(w);
        if (form) {
            acted = true;
            act(*form);
        }
        if (form && form->isVisible())
            form->done(TListForm::kResultCancel);
        else if (!form)
            w->close();
    });
    const bool r = dlg.Execute();
    EXPECT_TRUE(acted) << "the file list window never showed";
    return r;
}

// An open and a save dialog on a scratch folder holding `names`, listing
// ".txt".
struct Folder {
    testing_support::ScratchDir d;
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

// The entries' texts, top to bottom, as the list shows them.
inline QStringList texts(const TListForm& f)
{
    QStringList out;
    for (int i = 0; i < f.ListView1->rowCount(); ++i)
        out << f.ListView1->item(i, 0)->text();
    return out;
}

// The in-place editor while an entry is being edited, else null.
inline QLineEdit* editor(const TListForm& f)
{
    for (QLineEdit* e : f.ListView1->findChildren<QLineEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

// Selects the entry at `row` as a click would.
inline void select(TListForm& f, int row)
{
    f.ListView1->setCurrentCell(row, 0);
}

inline int selectedRow(const TListForm& f)
{
    const auto rows = f.ListView1->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
}

// Edits the selected entry in place through the menu and commits `text`
// with Enter (or abandons it with Escape).
inline void renameTo(TListForm& f, const QString& text, bool commit = true)
{
    f.FileRename->trigger();
    QLineEdit* edit = editor(f);
    ASSERT_NE(edit, nullptr) << "no in-place editor";
    edit->setText(text);
    QTest::keyClick(edit, commit ? Qt::Key_Return : Qt::Key_Escape);
    // The list ends the edit once the key has been handled.
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor(f) == nullptr; })) << "the edit never ended";
    // Enter and Escape end the edit, never the window.
    EXPECT_TRUE(f.isVisible());
}

}  // namespace fdtest
