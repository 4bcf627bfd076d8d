#include "filedialog/ui/browsefolder.h"

#include "filedialog/specialdirs.h"
#include "filedialog/ui/browsedialog.h"
#include "filedialog/unitstate.h"
#include "widgets/text.h"

#include <QWidget>

TnxBrowseFolder::TnxBrowseFolder(QWidget* Owner) : QObject(Owner), owner_(Owner)
{
    nx::unit().BrowseShown = false;
    SetFormWidth(371);
    SetFormHeight(311);
}

TnxBrowseFolder::~TnxBrowseFolder() = default;

void TnxBrowseFolder::SetFormWidth(int32_t Value)
{
    if (Handle_)
        return;
    FormWidth_ = Value > MinWidth_ ? Value : MinWidth_;
}

void TnxBrowseFolder::SetFormHeight(int32_t Value)
{
    if (Handle_)
        return;
    FormHeight_ = Value > MinHeight_ ? Value : MinHeight_;
}

bool TnxBrowseFolder::Execute()
{
    // One chooser at a time: a handler must not start another.
    if (Handle_)
        return false;
    Directory_.clear();
    DisplayName_.clear();
    struct Idle {
        QWidget*& handle;
        ~Idle() { handle = nullptr; }
    } idle{Handle_};
    try {
        const nx::SpecialDirs dirs = nx::SpecialDirs::fromProcess();
        nx::FolderTarget root = nx::resolveFolderTarget(RootDir, RootSpecialDir, dirs);
        if (root.kind == nx::FolderTarget::Kind::none)
            root.kind = nx::FolderTarget::Kind::top;  // no such folder: the whole hierarchy
        const nx::FolderTarget init = nx::resolveFolderTarget(InitDir, InitSpecialDir, dirs);

        TnxBrowseDialog dlg(*this, owner_, root, init, dirs);
        dlg.initialize();
        const int result = dlg.exec();

        // Where the chooser was when it closed, also after a cancel, so this
        // object reopens it there.
        const nx::UnitState& u = nx::unit();
        FormLeft = u.lastLeft;
        FormTop = u.lastTop;
        FormHeight_ = u.lastHeight;
        FormWidth_ = u.lastWidth;
        Handle_ = nullptr;

        if (result != QDialog::Accepted || dlg.failed())
            return false;
        // The whole path, however long: a cut path would name another folder.
        Directory_ = dlg.chosenPath();
        if (Directory_.empty()) {
            DisplayName_ = widgets::toBytes(dlg.chosenName());
        } else {
            DisplayName_ = nx::lastComponent(Directory_);
        }
        return true;
    } catch (...) {
        Directory_.clear();
        DisplayName_.clear();
        return false;
    }
}
