// Making a folder in the resizable chooser: the new folder's first free
// name, offered for naming at once, and what the user is told when a name
// given to it cannot be taken.
#include "filedialog/ui/browsedialog.h"

#include "filedialog/specialdirs.h"
#include "filedialog/ui/browsemessages.h"
#include "filedialog/ui/foldertreemodel.h"
#include "platform/fs.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QTreeView>

#include <cerrno>

void TnxBrowseDialog::newFolderClick()
{
    const QModelIndex cur = tree_->currentIndex();
    if (!model_->isFolder(cur) || model_->isTop(cur))
        return;
    const std::string parent = model_->pathOf(cur);
    const std::string base = widgets::toBytes(widgets::fromUtf8(nx::msg::kNewFolderName));
    std::string name;
    int err = 0;
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate = n == 1 ? base : base + " (" + std::to_string(n) + ")";
        if (nx::makeFolder(parent, candidate, &err)) {
            name = candidate;
            break;
        }
        if (err != EEXIST)
            break;
    }
    if (name.empty()) {
        widgets::messageBox(widgets::fromBytes(platform::ioErrorMessage(err)), windowTitle(), widgets::kMbIconStop);
        return;
    }
    tree_->expand(cur);
    const QModelIndex added = model_->addFolder(cur, name);
    tree_->setCurrentIndex(added);
    tree_->scrollTo(added);
    // The new folder is offered for naming at once.
    tree_->setFocus();
    tree_->edit(added);
}

void TnxBrowseDialog::renameFailed(const QString& name, int err)
{
    QString text;
    if (err == EEXIST || err == ENOTEMPTY)
        text = widgets::fromUtf8(nx::msg::kNameTaken).arg(name);
    else if (err == EINVAL)
        text = widgets::fromUtf8(nx::msg::kNameInvalid);
    else
        text = widgets::fromBytes(platform::ioErrorMessage(err));
    widgets::messageBox(text, windowTitle(), widgets::kMbIconStop);
}
