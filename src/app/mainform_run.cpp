// The rename run: every entry gets the name made from its line, and the
// window reports each step, the summary, and reads the folder again.
#include "app/mainform.h"

#include "app/messages.h"
#include "app/radiogroup.h"
#include "platform/codepage.h"
#include "rename/messages.h"
#include "rename/renamerun.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "settings/values.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>

namespace {

// A run that takes longer than this shows its progress.
constexpr qint64 kProgressAfterMs = 500;
// The status line is painted again this often during a run: half the 100 ms
// a user takes for "still moving", since one file operation may take a
// while of its own between two chances to paint.
constexpr qint64 kRepaintEveryMs = 50;

}  // namespace

void TMainForm::ButtonRenameClick()
{
    // The list does not change during the run; it is read again at the end.
    const renaming::NameList& list = FileListBox->list();

    QElapsedTimer clock;
    clock.start();
    qint64 lastPaint = 0;
    // The run keeps the GUI thread and takes no input; only the status bar
    // is painted, so that a long run is seen to move.
    auto paintNow = [&] {
        if (clock.elapsed() - lastPaint < kRepaintEveryMs)
            return;
        lastPaint = clock.elapsed();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        StatusBar->repaint();
    };

    renaming::RunRequest rq;
    // The run acts in the list's folder, by a handle of its own.
    rq.folder = list.folder().duplicate();
    rq.entries = list.entries();
    // Entry i pairs with line i; lines past the last entry are never read.
    const int total = static_cast<int>(rq.entries.size());
    rq.lines = memoLines(total);
    const renaming::PlanRules rules = planRules();
    rq.rule = rules.rule;
    rq.cp = rules.cp;
    rq.deleteOld = rules.deleteOld;
    rq.onStep = [&](renaming::RunStep step, const std::string& name) {
        setStatusText(widgets::fromUtf8(renaming::msg::kFileOpen) + widgets::fromBytes(name) + widgets::fromUtf8(renaming::stepEnding(step)));
        paintNow();
    };
    int doneSoFar = 0;
    auto showProgress = [&] {
        if (progress_->isHidden() && clock.elapsed() > kProgressAfterMs) {
            progress_->setRange(0, total);
            progress_->setFormat(QStringLiteral("%v / %m"));  // done of total
            progress_->setValue(doneSoFar);
            progress_->show();
            lastPaint = -kRepaintEveryMs;
        }
        paintNow();
    };
    rq.onProgress = [&](int done, int) {
        doneSoFar = done;
        if (!progress_->isHidden())
            progress_->setValue(done);
        showProgress();
    };
    // A large file's copy keeps the window painted, the bar shown, while it
    // goes.
    rq.copyTick.tick = showProgress;
    const renaming::RunCounts counts = renaming::runRename(rq);
    progress_->hide();

    widgets::messageBox(QString::fromUtf8(renaming::summaryText(counts, CheckBoxOldDel->isChecked())),
                   widgets::fromUtf8(app::msg::kRenameResultCaption), widgets::kMbOk);
    // A folder that has gone raises here; the prompt and LastDir stay then.
    FileListBox->Reread();
    setStatusText(widgets::fromUtf8(app::msg::kPrompt));
    if (EditDir->text() == widgets::fromBytes(editDirPath_)) {
        settings::values().LastDir = editDirPath_;
    } else {
        settings::values().LastDir = widgets::toBytes(EditDir->text());
    }
}
