// Undo of the last run in the list's folder, from the journal the run left:
// the menu item, the offer of a run that was cut short, and undo's own
// report.
#include "app/mainform.h"

#include "app/messages.h"
#include "rename/job.h"
#include "rename/journalstore.h"
#include "rename/messages.h"
#include "rename/ui/filelistbox.h"
#include "rename/undo.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QAction>

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

namespace {

// The run to take back in `folder`: the window's own last run there, else
// the folder's last run; or nothing.
template <class OwnRun>
std::optional<renaming::journals::Found> runToUndo(const platform::FolderHandle& folder,
                                                  const std::optional<OwnRun>& own)
{
    const bool mine = own && folder && folder.id() == own->folder;
    auto found = mine ? renaming::journals::runAt(own->journal, folder) : renaming::journals::lastRunIn(folder);
    if (!found || !renaming::journals::undoable(*found))
        return std::nullopt;
    return found;
}

}  // namespace

void TMainForm::updateUndoMenu()
{
    EditUndoMenu->setEnabled(runToUndo(FileListBox->list().folder(), ownRun_).has_value());
}

void TMainForm::EditUndoMenuClick()
{
    const auto found = runToUndo(FileListBox->list().folder(), ownRun_);
    if (!found) {
        EditUndoMenu->setEnabled(false);
        return;
    }
    undoRun(*found);
}

void TMainForm::undoRun(const renaming::journals::Found& found)
{
    renaming::UndoRequest rq;
    // Undo acts in the folder the journal names, by a handle of its own.
    rq.folder = FileListBox->list().folder().duplicate();
    rq.journal = found.journal;
    rq.journalPath = found.path;
    renaming::Job job(std::move(rq));
    runJob(job, [](const renaming::JobProgress& p) { return stepText(p.undoStep); });
    offeredJournal_ = found.path;
    updateUndoMenu();
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
    const auto found = runToUndo(FileListBox->list().folder(), ownRun_);
    EditUndoMenu->setEnabled(found.has_value());
    if (!found || found->journal.ended || found->path == offeredJournal_)
        return;
    // Asked once for each run cut short; the menu item stays for later.
    offeredJournal_ = found->path;
    if (widgets::messageBox(fromUtf8(app::msg::kUndoKilledQuestion), fromUtf8(app::msg::kUndoKilledCaption),
                            widgets::kMbYesNo) == widgets::kIdYes)
        undoRun(*found);
}
