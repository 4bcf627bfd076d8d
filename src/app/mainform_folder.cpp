// Choosing the working folder, and the options dialog.
#include "app/mainform.h"

#include "filedialog/ui/browsefolder.h"
#include "rename/ui/filelistbox.h"
#include "settings/ui/pagesdlg.h"
#include "settings/values.h"
#include "widgets/text.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

void TMainForm::ButtonDirClick()
{
    const settings::Values& v = settings::values();
    TnxBrowseFolder browser(this);
    browser.InitSpecialDir = sfNone;
    switch (v.RootDirSel) {
    case 0:
        browser.InitDir.assign(1, '\\');  // no folder: the top of the hierarchy
        break;
    case 1:
        browser.InitDir = v.LastDir;
        break;
    case 2:
        browser.InitDir = v.RootDir;
        break;
    default:
        break;
    }
    if (!browser.Execute())
        return;
    chooseFolder(browser.Directory());
}

void TMainForm::chooseFolder(const std::string& dir)
{
    EditDir->setText(widgets::fromBytes(dir));
    editDirPath_ = dir;
    EditDir->setCursorPosition(0);
    FileListBox->SetFolder(dir);
    offerUndoOfCutRun();
}

void TMainForm::OptionCunfigMenuClick()
{
    settings::Values& v = settings::values();
    TPagesDlg dlg(this);
    dlg.CheckWinMem->setChecked(v.WinMem);
    dlg.CheckInitMax->setChecked(v.InitMax);
    dlg.setLastDir(v.LastDir);
    switch (v.RootDirSel) {
    case 0:
        dlg.RadioButton0->setChecked(true);
        break;
    case 1:
        dlg.RadioButton1->setChecked(true);
        break;
    case 2:
        dlg.RadioButton2->setChecked(true);
        dlg.setRootDir(v.RootDir);
        break;
    default:
        break;  // shown as the desktop choice
    }
    // Cancel, Esc and the close box leave every value as it was, a folder
    // picked with "参照" included.
    if (dlg.exec() != QDialog::Accepted)
        return;
    v.WinMem = dlg.CheckWinMem->isChecked();
    v.InitMax = dlg.CheckInitMax->isChecked();
    if (dlg.RadioButton0->isChecked()) {
        v.RootDirSel = 0;
        v.RootDir.clear();
    } else if (dlg.RadioButton1->isChecked()) {
        v.RootDirSel = 1;
        v.RootDir.clear();
    } else if (dlg.RadioButton2->isChecked()) {
        v.RootDirSel = 2;
        v.RootDir = dlg.rootDir();
    }
}
