// The rename run: every entry gets the name made from its line, and the
// window reports each step, the summary, and reads the folder again. The run
// is a job on a thread of its own, with a journal for undo; the window keeps
// painting and takes no input meanwhile.
#include "app/mainform.h"

#include "app/messages.h"
#include "app/undostate.h"
#include "rename/job.h"
#include "rename/journalstore.h"
#include "rename/messages.h"
#include "rename/ui/filelistbox.h"
#include "settings/values.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QAction>
#include <QLineEdit>

void TMainForm::ButtonRenameClick()
{
    // The list does not change during the run; it is read again at the end.
    const renaming::NameList& list = FileListBox->list();
    const renaming::PlanRules rules = planRules();
    renaming::RenameRequest rq;
    // The run acts in the list's folder, by a handle of its own.
    rq.folder = list.folder().duplicate().value();
    rq.entries = list.entries();
    // Entry i pairs with line i; lines past the last entry are never read.
    rq.lines = memoLines(static_cast<int>(rq.entries.size()));
    rq.rule = rules.rule;
    rq.cp = rules.cp;
    rq.deleteOld = rules.deleteOld;
    rq.swap = rules.swap;
    rq.stateFolder = renaming::journals::stateFolder();
    renaming::Job job(std::move(rq));
    runJob(job, [](const renaming::JobProgress& p) {
        return widgets::fromUtf8(renaming::msg::kFileOpen) + widgets::fromBytes(p.name) +
               widgets::fromUtf8(renaming::stepEnding(p.runStep));
    });
    const renaming::JobEnd& end = job.end();

    // The run's own journal is now the folder's last: the run tells at once
    // whether there is anything to take back, and a look off this thread
    // at the journal's ends says it again.
    ownRun_ = OwnRun{end.folder, end.journalPath};
    std::optional<renaming::journals::LastRun> own;
    if (end.journal != renaming::JournalFate::none && end.anyDone)
        own = renaming::journals::LastRun{end.journalPath, true};
    undoState().settle(end.folder, std::move(own));
    updateUndoMenu();

    // The summary tells of the run as it was asked for, whatever the box
    // shows by now.
    std::string summary = renaming::summaryText(end.counts, rules.deleteOld);
    if (end.unrecordedFrom >= 0)
        summary += "\n" + renaming::unrecordedText(end.unrecordedFrom);
    widgets::messageBox(QString::fromUtf8(summary),
                        widgets::fromUtf8(app::msg::kRenameResultCaption), widgets::kMbOk);
    // Old journals go once the summary is read, not while the user waits.
    renaming::journals::prune();
    // A folder that has gone raises here; the prompt and LastDir stay then.
    FileListBox->Reread();
    setStatusText(widgets::fromUtf8(app::msg::kPrompt));
    if (EditDir->text() == widgets::fromBytes(editDirPath_)) {
        settings::values().LastDir = editDirPath_;
    } else {
        settings::values().LastDir = widgets::toBytes(EditDir->text());
    }
}
