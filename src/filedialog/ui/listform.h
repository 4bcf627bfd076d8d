// TListForm: the modal file list window behind the open and save dialog
// components. It lists one folder's files of one extension (or all), each
// without its extension, sorted, optionally with icons; shows the folder on
// a line at the top with two optional tool buttons (partial-match search,
// folder browser); and lets the user open, save, rename in place and delete.
#pragma once

#include "filedialog/ui/listview.h"
#include "widgets/guard.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class QFrame;
class TnxBrowseFolder;
class TnxFileDialogBase;
class TnxOpenDialog;
class TnxSaveDialog;

class TListForm : public QDialog {
    Q_OBJECT
public:
    explicit TListForm(TnxFileDialogBase* Owner);
    ~TListForm() override;

    // Controls.
    QLabel* DirNamePanel;
    QToolButton* FindBtn;
    QToolButton* FolderBtn;
    QFrame* Panel1;
    nx::ListView* ListView1;
    QFrame* Panel2;
    QLineEdit* FileEdit;
    QPushButton* FileOpenBtn;
    QPushButton* FileSaveBtn;
    QPushButton* CloseBtn;
    QMenu* PopupMenu1;
    QAction* FileRename;
    QAction* FileDelete;

    // Set by the owner's Execute before the window is shown.
    TnxOpenDialog* OpenDialog = nullptr;
    TnxSaveDialog* SaveDialog = nullptr;

    // Listing and display.
    void FormCreate();
    void FormShow();
    void SetFilesToList();
    void DisplayDirectory();
    void FormCanResize(int NewWidth, int NewHeight, bool& Resize);
    void FormResize();
    void ListView1SelectItem();
    void ListView1DblClick();
    void FileEditChange();
    void FormDestroy();

    // Operations.
    void FileOpenBtnClick();
    void FileSaveBtnClick();
    void PopupMenu1Popup();
    void FileRenameClick();
    void ListView1Editing(int row, bool& AllowEdit);
    void ListView1Edited(int row, QString& S);
    // Not a handler of the list's own: an abandoned edit ends the editing
    // state just as a committed one does.
    void ListView1EditAbandoned();
    void FileDeleteClick();
    void FindButtonClick();
    void FolderButtonClick();
    void BrowseShow(QObject* Sender);
    void BrowseSelectionChanged(QObject* Sender, QWidget* Wnd, const std::string& Directory,
                                std::string& StatusText, bool& OKBtnEnabled);

    // The window's outer bounds (frame included), as the owner keeps them.
    QRect outerBounds() const;
    void setOuterBounds(const QRect& r);

    // Modal results.
    static constexpr int kResultNone = 0;
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    friend class TnxFileDialogBase;
    TnxFileDialogBase* owner() const;
    void buildControls();
    void setDefaultButtons(bool on);
    int selectedCount() const;
    int selectedRow() const;
    void selectRow(int row);
    // The name without folder and without its last extension.
    static std::string nameOnly(const std::string& path);

    bool ShowIcons = false;
    std::string CurDir;
    std::string ExtFilter;
    std::string NameMask;
    std::string RootDir;
    std::string BrowseTitle;
    TnxBrowseFolder* BrowseFolder = nullptr;
    int32_t LastIndex = -1;
    std::string SelPath;
    bool Editing = false;
    bool ShowDirLine = false;
    int32_t SelIndex = 0;

    void commitEdit(int row, const QString& text);
    // Runs a handler; false when it threw, and the window is then ending.
    template <class F>
    bool guarded(F&& f);
    widgets::HandlerFault fault_;
    bool shown_ = false;
    QRect wantedBounds_;
    bool frameSettled_ = false;
    void settleFrame();
};
