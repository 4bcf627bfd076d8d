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
    auto* editor = qobject_cast<QLineEdit*>(f.ListView1->editorWidget());
    ASSERT_NE(editor, nullptr) << "no in-place editor";
    editor->setText(text);
    QTest::keyClick(editor, commit ? Qt::Key_Return : Qt::Key_Escape);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    // Enter and Escape end the edit, never the window.
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.ListView1->editorWidget(), nullptr);
}

}  // namespace fdtest
