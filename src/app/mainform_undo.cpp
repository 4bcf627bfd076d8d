// Undo of the last run in the list's folder, from the journal the run left:
// the menu item, the offer of a run that was cut short, and undo's own
// report.
#include "app/mainform.h"

#include "app/messages.h"
#include "app/runaside.h"
#include "app/undostate.h"
#include "rename/job.h"
#include "rename/journalstore.h"
#include "rename/messages.h"
#include "rename/ui/filelistbox.h"
#include "rename/undo.h"
#include "widgets/guard.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QAction>
#include <QApplication>
#include <QScopeGuard>

#include <map>

namespace {

using renaming::UndoResult;
using widgets::fromBytes;
using widgets::fromUtf8;

QString counted(const char* word, int n)
{
    return fromUtf8(word) + QString::number(n) + fromUtf8(renaming::msg::kItemsSep);
}

QString stepText(const renaming::UndoStep& s)
{
    const QString open = fromUtf8(renaming::msg::kFileOpen);
    switch (s.result) {
    case UndoResult::movedBack:
        return open + fromBytes(s.newName) + fromUtf8(app::msg::kUndoMovedBack) + fromBytes(s.oldName) +
               fromUtf8(app::msg::kUndoMovedBackEnd);
    case UndoResult::copyRemoved:
        return open + fromBytes(s.newName) + fromUtf8(app::msg::kUndoCopyRemoved);
    case UndoResult::partialCopyRemoved:
        return open + fromBytes(s.newName) + fromUtf8(renaming::msg::kUndoPartialCopyRemoved);
    default:
        return open + fromBytes(s.newName) + fromUtf8(app::msg::kUndoLeft);
    }
}

}  // namespace

QString TMainForm::undoSummaryText(const renaming::UndoReport& r)
{
    QString s = counted(app::msg::kUndoRestored, r.restored) + counted(app::msg::kUndoLeftAlone, r.leftAlone);
    std::map<UndoResult, int> why;
    for (const auto& st : r.steps)
        if (!renaming::restored(st.result))
            ++why[st.result];
    if (why.empty())
        return s;
    const std::pair<UndoResult, const char*> words[] = {
        {UndoResult::leftChanged, app::msg::kUndoWhyChanged},
        {UndoResult::leftNameTaken, app::msg::kUndoWhyNameTaken},
        {UndoResult::leftGone, app::msg::kUndoWhyGone},
        {UndoResult::leftOriginalGone, app::msg::kUndoWhyOriginalGone},
        {UndoResult::leftOriginalChanged, app::msg::kUndoWhyOriginalChanged},
        {UndoResult::failed, app::msg::kUndoWhyFailed},
        {UndoResult::leftUnsound, renaming::msg::kUndoWhyUnsound},
    };
    s += QLatin1Char('\n');
    for (const auto& [result, word] : words)
        if (why.count(result))
            s += counted(word, why[result]);
    return s;
}

app::UndoState& TMainForm::undoState()
{
    if (!undoState_) {
        undoState_ = new app::UndoState(this);
        undoState_->setObjectName(QStringLiteral("UndoState"));
        undoState_->onFound = [this] { widgets::guarded([this] { undoStateFound(); }); };
    }
    return *undoState_;
}

void TMainForm::refreshUndoState()
{
    const platform::FolderHandle& folder = FileListBox->list().folder();
    // In the folder of the window's own last run, that run and no other.
    std::optional<std::string> own;
    if (ownRun_ && folder && folder.id() == ownRun_->folder)
        own = ownRun_->journal;
    undoState().refresh(folder.duplicate().value(), std::move(own));
}

bool TMainForm::undoFoundHere() const
{
    const platform::FolderHandle& folder = FileListBox->list().folder();
    return undoState_ && undoState_->run() && folder && undoState_->folder() == folder.id();
}

void TMainForm::updateUndoMenu()
{
    // What the last look in this folder found stands until the next one
    // ends; in another folder, nothing is offered till the look there ends.
    undoState();
    EditUndoMenu->setEnabled(undoFoundHere());
    refreshUndoState();
}

void TMainForm::undoStateFound()
{
    const bool here = undoFoundHere();
    EditUndoMenu->setEnabled(here);
    // The offer of a run cut short waits for the window to be free.
    if (!offerPending_ || app::workingAside())
        return;
    offerPending_ = false;
    const auto& run = undoState_->run();
    if (!here || run->ended || run->path == offeredJournal_)
        return;
    // Asked once for each run cut short; the menu item stays for later.
    offeredJournal_ = run->path;
    const std::string path = run->path;
    if (widgets::messageBox(fromUtf8(app::msg::kUndoKilledQuestion), fromUtf8(app::msg::kUndoKilledCaption),
                            widgets::kMbYesNo) == widgets::kIdYes)
        undoRun(path);
}

void TMainForm::EditUndoMenuClick()
{
    // The job reads the journal again and takes nothing back where the run
    // is no longer there to take back.
    if (!undoFoundHere()) {
        EditUndoMenu->setEnabled(false);
        return;
    }
    undoRun(undoState_->run()->path);
}

void TMainForm::undoRun(const std::string& journalPath)
{
    renaming::UndoRequest rq;
    // Undo acts in the folder the journal names, by a handle of its own, and
    // reads the journal on its own thread.
    rq.folder = FileListBox->list().folder().duplicate().value();
    rq.journalPath = journalPath;
    renaming::Job job(std::move(rq));
    {
        // Till the journal is marked as undone, at the job's end.
        QApplication::setOverrideCursor(Qt::BusyCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        runJob(job, [](const renaming::JobProgress& p) { return stepText(p.undoStep); });
    }
    offeredJournal_ = journalPath;
    // A run taken back whole is there to take back no more.
    if (job.end().runUndone)
        undoState().settle(job.end().folder, std::nullopt);
    updateUndoMenu();
    if (job.end().nothingToUndo)
        return;  // taken back or gone meanwhile: nothing to report
    QString summary = undoSummaryText(job.end().undo);
    if (job.end().undo.unrecorded > 0)
        summary += QLatin1Char('\n') + QString::fromUtf8(renaming::undoUnrecordedText(job.end().undo.unrecorded));
    if (job.end().undo.notDone > 0)
        summary += QLatin1Char('\n') + QString::fromStdString(renaming::stoppedText(job.end().undo.notDone));
    widgets::messageBox(summary, fromUtf8(app::msg::kUndoResultCaption), widgets::kMbOk);
    FileListBox->Reread();
    setStatusText(fromUtf8(app::msg::kPrompt));
}

void TMainForm::offerUndoOfCutRun()
{
    offerPending_ = true;
    updateUndoMenu();
}
