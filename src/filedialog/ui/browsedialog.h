// The modal folder chooser that TnxBrowseFolder shows: a title text, an
// optional status line, the folder tree, and OK and Cancel (plus a
// new-folder button in the resizable style). Its controls carry the
// objectNames "TitleLabel", "StatusText", "FolderTree", "NewFolder", "OK"
// and "Cancel", so that a caller's OnShow can reach them through Handle().
#pragma once

#include "filedialog/browsetarget.h"
#include "widgets/guard.h"

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class QTreeView;
class TnxBrowseFolder;

namespace nx {
class FolderTreeModel;
class SpecialDirs;
}  // namespace nx

class TnxBrowseDialog : public QDialog {
    Q_OBJECT
public:
    TnxBrowseDialog(TnxBrowseFolder& component, QWidget* owner, const nx::FolderTarget& root,
                    const nx::FolderTarget& init, const nx::SpecialDirs& dirs);
    ~TnxBrowseDialog() override;

    // What happens once the chooser exists and before it is shown: the
    // initial selection, the natural size, OnShow, the caption, then the
    // place and size. Exceptions of the handlers pass through (no event
    // loop runs yet).
    void initialize();

    // An exception was raised by a handler while the chooser was open.
    bool failed() const { return fault_.failed(); }
    // The confirmed item.
    std::string chosenPath() const;
    QString chosenName() const;

protected:
    void done(int r) override;
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;

private:
    void selectionChanged();
    void newFolderClick();
    void renameFailed(const QString& name, int err);
    void applyFrame();
    void fitFrame();
    template <class F>
    void guarded(F&& f);

    TnxBrowseFolder& c_;
    nx::FolderTreeModel* model_;
    nx::FolderTarget init_;
    QLabel* title_;
    QLabel* status_;
    QTreeView* tree_;
    QPushButton* newFolder_ = nullptr;
    QPushButton* ok_;
    QPushButton* cancel_;
    QRect placed_;  // outer rectangle given to a classic chooser; empty otherwise
    bool frameFitted_ = false;
    widgets::HandlerFault fault_;
};
