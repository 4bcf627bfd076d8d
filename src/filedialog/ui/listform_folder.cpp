// The folder button of the file list window: a folder browser that the list
// follows while the user walks through the folders.
#include "filedialog/ui/listform.h"

#include "filedialog/ui/browsefolder.h"
#include "filedialog/ui/messages.h"
#include "filedialog/ui/opendialog.h"
#include "filedialog/unitstate.h"
#include "widgets/text.h"

#include <QPushButton>

#include <memory>

void TListForm::FolderButtonClick()
{
    TnxFileDialogBase* o = owner();
    bool DefaultEvent = true;
    if (o->OnFolderBtnClick) {
        DefaultEvent = false;
        o->OnFolderBtnClick(o, std::string(CurDir), DefaultEvent);
    }
    if (!DefaultEvent)
        return;
    nx::unit().BrowseShown = false;
    auto browser = std::make_unique<TnxBrowseFolder>(this);
    struct Forget {
        TnxBrowseFolder*& ref;
        ~Forget() { ref = nullptr; }
    } forget{BrowseFolder};
    BrowseFolder = browser.get();
    browser->RootDir = RootDir;
    browser->InitDir = CurDir;
    browser->RootSpecialDir = sfNone;
    browser->Title = BrowseTitle;
    browser->OnSelectionChanged = [this](QObject* s, QWidget* w, const std::string& d,
                                         std::string& status, bool& ok) {
        BrowseSelectionChanged(s, w, d, status, ok);
    };
    browser->OnShow = [this](QObject* s) { BrowseShow(s); };
    browser->Execute();
}

void TListForm::BrowseShow(QObject*)
{
    if (!BrowseFolder)
        return;
    const QRect r = outerBounds();
    BrowseFolder->FormTop = r.top() + 30;
    BrowseFolder->FormLeft = r.left() + r.width() - BrowseFolder->FormWidth() + 100;
    if (QWidget* dlg = BrowseFolder->Handle()) {
        if (auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("OK")))
            ok->hide();
        if (auto* cancel = dlg->findChild<QPushButton*>(QStringLiteral("Cancel")))
            cancel->setText(widgets::fromUtf8(nx::msg::kBrowseClose));
    }
    nx::unit().BrowseShown = true;
}

void TListForm::BrowseSelectionChanged(QObject*, QWidget*, const std::string& Directory,
                                       std::string&, bool&)
{
    if (!nx::unit().BrowseShown)
        return;
    CurDir = Directory;
    if (TnxFileDialogBase* o = owner())
        o->Directory = CurDir;
    SelIndex = 0;
    SetFilesToList();
}
