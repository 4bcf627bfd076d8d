// MainForm: the one main window. Folder row on top, the current names and
// the new names side by side, the settings and the three action buttons on
// the right, and the status line at the bottom.
#pragma once

#include "platform/folder.h"
#include "rename/namerule.h"
#include "rename/plan.h"

#include <QMainWindow>
#include <QRect>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QMimeData;
class QProgressBar;
class QPushButton;
class QStatusBar;
class TRadioGroup;

namespace renaming {
class Job;
struct JobProgress;
class TFileListBox;
class TMemo;
struct UndoReport;
}  // namespace renaming
namespace app {
class UndoState;
}

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Controls, in their declared order.
    QMenuBar* MainMenu;
    QMenu* File;
    QAction* FileExitMenu;
    QMenu* Help;
    QAction* HelpAboutMenu;
    QStatusBar* StatusBar;
    QPushButton* ButtonRename;
    QPushButton* ButtonTest;
    QPushButton* ButtonDir;
    QPushButton* ButtonCopy;
    renaming::TMemo* Memo2;
    renaming::TFileListBox* FileListBox;
    QLineEdit* EditDir;
    TRadioGroup* RadioGroupName;
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QCheckBox* CheckBoxOldDel;
    QLabel* Label1;
    QLabel* Label2;
    QWidget* PanelTop;
    QWidget* PanelBottom;
    QWidget* PanelRight;
    QWidget* PanelAft;
    QWidget* PanelLabel2;
    QWidget* PanelMemo;
    QWidget* PanelBef;
    QWidget* PanelLabel1;
    QWidget* PanelFileList;
    QWidget* PanelLeft;
    QWidget* PanelDir;
    QWidget* PanelDirEdit;
    QMenu* OptionMenu;
    QAction* OptionCunfigMenu;
    // Beyond the designed controls: the edit menu, its preview and the undo
    // of the last run.
    QMenu* EditMenu;
    QAction* EditPreviewMenu;
    QAction* EditUndoMenu;
    // The tools that make names on the memo's lines, and their handlers.
    QAction* EditReplaceMenu;
    QAction* EditConvertMenu;
    QAction* FileImportMenu;
    void EditReplaceMenuClick();
    void EditConvertMenuClick();
    void FileImportMenuClick();
    // The list's order and the files it shows, in the option menu.
    QMenu* OptionOrderMenu;
    QAction* OrderNameMenu;
    QAction* OrderNaturalMenu;
    QAction* OrderModifiedMenu;
    QAction* OptionFilterMenu;
    void OptionOrderMenuClick(int order);
    void OptionFilterMenuClick();
    // And the swapping of names in a run, checkable, kept in the settings.
    QAction* OptionSwapMenu;

    // Event handlers.
    void FormCreate();
    void FormResize();
    // Saves the settings; true when the window may close. After a failed
    // save, shown in the general error report, the window stays open once.
    bool FormClose();
    void ButtonDirClick();
    void ButtonCopyClick();
    void ButtonTestClick();
    void ButtonRenameClick();
    void FileExitMenuClick();
    void OptionCunfigMenuClick();
    void HelpAboutMenuClick();
    void EditPreviewMenuClick();
    void EditUndoMenuClick();

    // The text beside the progress bar while a run copies: bytes copied of
    // all, and the time left at the pace of the first `seconds`.
    static QString copyProgressText(uint64_t done, uint64_t total, double seconds);
    // Undo's summary: how many came back, how many were left alone and why.
    static QString undoSummaryText(const renaming::UndoReport& report);

    // The name operations, under the rule chosen in RadioGroupName.
    std::string MakeNewFileName(const std::string& oldName, const std::string& line) const;
    bool CheckFileName(const std::string& line) const;

    // Makes `dir` the working folder as "フォルダ指定" does with the folder
    // picked: EditDir shows it, then the list is pointed at it. Raises
    // InOutError when the folder cannot be entered; EditDir shows it then.
    void chooseFolder(const std::string& dir);

    // Writes the status line's one simple panel.
    void setStatusText(const QString& text);

    // The window's outer bounds (frame included) in screen pixels, as the
    // settings file keeps them.
    QRect outerBounds() const;
    void setOuterBounds(const QRect& r);

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    // A folder dropped anywhere on the window, or a file standing for its
    // folder, is chosen; anything else is refused.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The rule, code page and delete box a run and its plan use now.
    renaming::PlanRules planRules() const;
    // Lines 0 to count - 1 of the memo.
    std::vector<std::string> memoLines(int count) const;
    void connectPairingAid();
    // Undo is offered while the list's folder holds a run it can take back,
    // as a look off the window's thread finds (undoState_).
    void updateUndoMenu();
    void refreshUndoState();
    void undoStateFound();
    bool undoFoundHere() const;
    app::UndoState& undoState();
    app::UndoState* undoState_ = nullptr;
    void undoRun(const std::string& journalPath);
    // Drives a run or an undo until it ends, showing each step as
    // `stepText` words it, and the job's progress.
    void runJob(renaming::Job& job, const std::function<QString(const renaming::JobProgress&)>& stepText);
    // The run's own controls beyond the designed ones: the swapping of
    // names after the option menu's items, the stop button beside the
    // progress bar.
    void buildRunControls();
    QPushButton* stopButton_ = nullptr;
    // Asks whether to take back a run in the list's folder that was cut
    // short (the program killed, the power gone), once for each such run.
    void offerUndoOfCutRun();
    std::string offeredJournal_;
    bool offerPending_ = false;  // asked once the look under way ends
    // This window's last run: its folder and its journal, empty where none
    // could be written. In that folder undo takes back this run, not one
    // another window made there since, and nothing at all (least of all an
    // older run) when the run has no journal.
    struct OwnRun {
        platform::FileId folder;
        std::string journal;
    };
    std::optional<OwnRun> ownRun_;
    // Where the settings are loaded and saved.
    void LoadSettings();
    void SaveSettings();
    void buildMenus();
    void buildControls();
    // Drops of folders reach the window over the controls that take drops
    // of their own (the folder field, the memo).
    void setUpDrops();
    // The folder or file a drag carries, or nothing.
    const std::optional<std::string>& draggedPath(const QDropEvent* e);
    // The same, and the drag accepted when there is one, refused otherwise.
    std::optional<std::string> answerDrag(QDropEvent* e);
    const QMimeData* dragData_ = nullptr;
    std::optional<std::string> dragPath_;
    // The chosen folder's path as bytes: EditDir shows it decoded, and a
    // name that is not valid in the locale must reach LastDir unchanged.
    std::string editDirPath_;
    // The order and filter menus, the guard label at the right of the
    // status line, and the list and memo kept level.
    void buildListMenus();
    void buildListGuard();
    // The order and filter of the settings, given to the list.
    void applyListSettings();
    void updateLineGuard();
    QLabel* lineGuard_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* copyProgress_ = nullptr;
    // The outer bounds last given, and the window's geometry once the
    // platform has placed it: unmoved, the window reports what it was given.
    QRect givenOuter_;
    std::optional<QRect> placedGeometry_;
    bool settled_ = false;
    bool saveFailureShown_ = false;
};
