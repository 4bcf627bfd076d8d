// TnxBrowseFolder: a component that lets the user pick a folder in a modal
// folder chooser, rooted at and preselected on a path or a special folder,
// placed and sized by the caller, remembering its last place and size, and
// reporting each selection so the caller can show a status text and enable
// or disable OK.
#pragma once

#include "filedialog/browsetarget.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

class TnxBrowseFolder;
using TnxBrowseEvent = std::function<void(QObject* Sender)>;
using TnxBrowseChangeEvent =
    std::function<void(QObject* Sender, QWidget* Wnd, const std::string& Directory,
                       std::string& StatusText, bool& OKBtnEnabled)>;

class TnxBrowseFolder : public QObject {
    Q_OBJECT
public:
    // `Owner` must be a window: it owns the chooser while it is shown.
    explicit TnxBrowseFolder(QWidget* Owner);
    ~TnxBrowseFolder() override;

    // Published properties.
    std::string RootDir;
    TnxBFSpecialDir RootSpecialDir = sfDesktop;
    std::string InitDir;
    TnxBFSpecialDir InitSpecialDir = sfNone;
    TnxBrowseOptions Options{bifReturnOnlyFSDirs};
    std::string Title;
    std::string Caption;
    int32_t FormWidth() const { return FormWidth_; }
    void SetFormWidth(int32_t Value);
    int32_t FormHeight() const { return FormHeight_; }
    void SetFormHeight(int32_t Value);
    int32_t FormLeft = 0;
    int32_t FormTop = 0;
    // Once the chooser exists, before it is placed: a handler may set
    // FormLeft and FormTop; the size can no longer change.
    TnxBrowseEvent OnShow;
    // On every selection, the initial one included: Directory is the item's
    // path (empty for the top); StatusText enters empty and OKBtnEnabled as
    // OK is; what the handler leaves is shown and applied.
    TnxBrowseChangeEvent OnSelectionChanged;

    // Run-time, read-only. Handle() is the chooser (a QDialog) while Execute
    // runs, from before the first selection report on, else null. Its
    // buttons are QPushButtons named "OK" and "Cancel" (an OnShow handler
    // may hide or relabel them), its tree the QTreeView "FolderTree", its
    // status line the QLabel "StatusText".
    QWidget* Handle() const { return Handle_; }
    const std::string& Directory() const { return Directory_; }
    const std::string& DisplayName() const { return DisplayName_; }

    // Shows the modal chooser; true when the user confirmed a folder, whose
    // whole path is then in Directory(). Returns false, raising nothing, on
    // cancel or on any failure. Either way FormLeft, FormTop, FormWidth and
    // FormHeight then hold the chooser's place and size as it closed.
    bool Execute();

private:
    QWidget* owner_;
    QWidget* Handle_ = nullptr;
    std::string Directory_;
    std::string DisplayName_;
    int32_t FormWidth_ = 371;
    int32_t FormHeight_ = 311;
    // Lower bounds of the size: 371 x 311 until a chooser has been shown,
    // then that chooser's natural size.
    int32_t MinWidth_ = 371;
    int32_t MinHeight_ = 311;
    friend class TnxBrowseDialog;
};
