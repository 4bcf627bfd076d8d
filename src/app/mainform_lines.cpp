// Names made, not typed: replace, conversion and import on the memo's lines.
// Each applies its result as one edit of the memo; the files are untouched.
#include "app/mainform.h"

#include "lines/filedates.h"
#include "lines/ui/convertdialog.h"
#include "lines/ui/importnames.h"
#include "lines/ui/replacedialog.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"

void TMainForm::EditReplaceMenuClick()
{
    // Line i takes its dates from entry i of the list, in the folder the
    // list holds open.
    const renaming::NameList& list = FileListBox->list();
    lines::FileDates dates(list.folder().fd(), list.entries());
    lines::ui::TReplaceDialog dialog(lines::ui::snapshotOf(*Memo2), &dates, this);
    if (dialog.exec() == QDialog::Accepted)
        lines::ui::applyChanges(*Memo2, dialog.changes());
}

void TMainForm::EditConvertMenuClick()
{
    lines::ui::TConvertDialog dialog(lines::ui::snapshotOf(*Memo2), this);
    if (dialog.exec() == QDialog::Accepted)
        lines::ui::applyChanges(*Memo2, dialog.changes());
}

void TMainForm::FileImportMenuClick() { lines::ui::importNames(this, *Memo2, FileListBox->list()); }
