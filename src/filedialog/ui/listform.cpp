// What the user does to the entries of the file list window: open, save
// with the overwrite question, the context menu, rename in place, delete.
#include "filedialog/ui/listform.h"

#include "filedialog/listing.h"
#include "filedialog/ui/messages.h"
#include "filedialog/ui/opendialog.h"
#include "filedialog/unitstate.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/fs.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

// The name without folder and without its last extension.
std::string TListForm::nameOnly(const std::string& path)
{
    const auto cp = platform::systemCodePage();
    const size_t sep = platform::findLastChar(path, "/", cp);
    const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    return nx::splitName(name, cp).base;
}

// --- open and save -------------------------------------------------------------

void TListForm::FileOpenBtnClick()
{
    TnxFileDialogBase* o = owner();
    bool Action = true;
    if (o->OnBeforeClose)
        o->OnBeforeClose(o, std::string(SelPath), Action);
    if (!Action) {
        setResult(kResultNone);
        return;
    }
    FileOpenBtn->setEnabled(false);
    int result = kResultCancel;
    if (selectedCount() == 1) {
        result = kResultOk;
        o->FilePath_ = SelPath;
        o->FileName_ = nameOnly(SelPath);
    }
    FileOpenBtn->setEnabled(true);
    done(result);
}

void TListForm::FileSaveBtnClick()
{
    TnxFileDialogBase* o = owner();
    bool Action = true;
    auto typedPath = [this] { return CurDir + nx::trimBlanks(widgets::toBytes(FileEdit->text())) + ExtFilter; };
    SelPath = typedPath();
    if (o->OnBeforeClose)
        o->OnBeforeClose(o, std::string(SelPath), Action);
    if (!Action) {
        setResult(kResultNone);
        return;
    }
    hide();
    SelPath = typedPath();
    int result = kResultOk;
    if (platform::fileExists(SelPath) &&
        widgets::messageBox(widgets::fromUtf8(nx::msg::kOverwriteText), widgets::fromUtf8(nx::msg::kSaveCaption),
                       widgets::kMbOkCancel | widgets::kMbIconInformation) != widgets::kIdOk)
        result = kResultCancel;
    if (result == kResultOk) {
        o->FilePath_ = SelPath;
        o->FileName_ = nameOnly(SelPath);
    }
    done(result);
}

// --- context menu, rename, delete ----------------------------------------------

void TListForm::PopupMenu1Popup()
{
    const bool one = selectedCount() == 1;
    for (QAction* a : PopupMenu1->actions())
        a->setVisible(one);
}

void TListForm::setDefaultButtons(bool on)
{
    // A window has one default button: the one of the two that is shown.
    const bool open = nx::unit().IsOpenMode;
    FileOpenBtn->setDefault(on && open);
    FileSaveBtn->setDefault(on && !open);
}

void TListForm::FileRenameClick()
{
    if (selectedCount() != 1)
        return;
    FileOpenBtn->setDefault(false);
    Editing = true;
    selectRow(SelIndex);
    ListView1->editEntry(SelIndex);
}

void TListForm::ListView1Editing(int row, bool& AllowEdit)
{
    // Only the selected entry is edited: the rename acts on its path, so an
    // edit of another row (the current one, made so by the keyboard) would
    // rename a file the user never chose.
    if (selectedCount() != 1 || selectedRow() != row) {
        AllowEdit = false;
        return;
    }
    // Enter then ends the edit instead of pressing a button.
    setDefaultButtons(false);
    Editing = true;
    AllowEdit = true;
}

void TListForm::ListView1Edited(int row, QString& S)
{
    TnxFileDialogBase* o = owner();
    bool Action = true;
    bool Ok = true;
    const std::string OldPath = SelPath;
    const QString OldText = ListView1->item(row, 0)->text();
    const std::string typed = nx::trimBlanks(widgets::toBytes(S));
    SelPath = CurDir + typed + ExtFilter;
    // Refused like an empty name: a "/" would move the file out of the
    // listed folder, a leading "." would hide it from every listing.
    const std::string name = nx::keepsTheFileListed(typed) ? typed : std::string();
    if (o->OnBeforeRename)
        o->OnBeforeRename(o, OldPath, std::string(SelPath), Action);
    if (Action) {
        // A name of blanks alone would leave the extension as the whole
        // name, a hidden file that no listing shows: that is no rename.
        // The name committed unchanged is no rename and no failure.
        Ok = !name.empty() &&
             (SelPath == OldPath || platform::renameNoReplace(OldPath, SelPath));
        if (o->OnAfterRename)
            o->OnAfterRename(o, OldPath, std::string(SelPath), Ok);
        else if (!Ok)
            widgets::messageBox(widgets::fromUtf8(nx::msg::kRenameFailed), widgets::fromUtf8(nx::msg::kRenameCaption),
                           widgets::kMbOk | widgets::kMbIconInformation);
    }
    if (!(Action && Ok)) {
        selectRow(SelIndex);
        SelPath = OldPath;
        S = OldText;
    }
    setDefaultButtons(true);
    if (!nx::unit().IsOpenMode)
        FileEdit->setText(S);
    Editing = false;
}

void TListForm::commitEdit(int row, const QString& text)
{
    QTableWidgetItem* it = ListView1->item(row, 0);
    if (!it)
        return;
    QString S = text;
    const std::string before = SelPath;
    const std::string name = nx::trimBlanks(widgets::toBytes(text));
    ListView1Edited(row, S);
    // After a rename the entry names the new file; after a failure or a
    // veto, still the old one. Its text is what the handler left.
    if (SelPath != before)
        nx::ListView::setEntryBytes(it, name);
    it->setText(S);  // the list sorts itself again here
    // The selection follows the entry to its new place, so that the next
    // rename or delete acts on the file the user sees selected.
    const int now = ListView1->row(it);
    if (now >= 0 && it->isSelected()) {
        SelIndex = now;
        SelPath = CurDir + ListView1->entryBytes(now) + ExtFilter;
    }
}

void TListForm::ListView1EditAbandoned()
{
    setDefaultButtons(true);
    Editing = false;
}

void TListForm::FileDeleteClick()
{
    TnxFileDialogBase* o = owner();
    const int Idx = SelIndex;
    const std::string Path = SelPath;
    bool Action = true;
    bool Ok = true;
    if (selectedCount() != 1)
        return;
    if (o->OnBeforeDelete)
        o->OnBeforeDelete(o, std::string(SelPath), Action);
    if (!Action)
        return;
    if (platform::deleteFile(SelPath)) {
        // Without a current entry the list picks no neighbour by itself.
        ListView1->selectionModel()->clear();
        ListView1->removeRow(Idx);
        --LastIndex;
        if (Idx <= LastIndex) {
            selectRow(Idx);
            ListView1->setFocus();
        }
    } else {
        Ok = false;
    }
    if (ListView1->rowCount() == 0) {
        if (nx::unit().IsOpenMode)
            FileOpenBtn->setEnabled(false);
        else
            FileSaveBtn->setEnabled(false);
    }
    if (o->OnAfterDelete)
        o->OnAfterDelete(o, Path, Ok);
    else if (!Ok)
        widgets::messageBox(widgets::fromUtf8(nx::msg::kDeleteFailed), widgets::fromUtf8(nx::msg::kDeleteCaption),
                       widgets::kMbOk | widgets::kMbIconInformation);
}
