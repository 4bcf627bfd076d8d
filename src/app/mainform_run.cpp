// The rename run: every entry gets the name made from its line, and the
// window reports each step, the summary, and reads the folder again. The
// file operations go to a thread of their own, with a journal for undo; the
// window keeps painting and takes no input meanwhile.
#include "app/mainform.h"

#include "app/messages.h"
#include "app/runaside.h"
#include "rename/journalstore.h"
#include "rename/messages.h"
#include "rename/renamerun.h"
#include "rename/ui/filelistbox.h"
#include "settings/values.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace {

// A run that takes longer than this shows its progress.
constexpr qint64 kProgressAfterMs = 500;
// ... and, when it copies, the bytes and the time left after this.
constexpr qint64 kBytesAfterMs = 3000;
// How often the window shows where the run is.
constexpr int kShowEveryMs = 50;
// The copy of a large file reports this often.
constexpr size_t kTickBytes = size_t{8} << 20;
// A copying run still going after this sizes what it has left to copy, in
// good time before the bytes are shown. Sizing is a plan of its own, a look
// at every file left, which a shorter run would pay for with nothing shown.
constexpr auto kSizeAfter = std::chrono::milliseconds(1000);

// Where the run is, written by the run's thread and shown by the window's.
struct RunState {
    std::mutex m;
    bool stepFresh = false;
    renaming::RunStep step = renaming::RunStep::created;
    std::string name;
    int done = 0;
    uint64_t bytesPlanned = 0;  // what the plan said the run would copy
    uint64_t bytesFinished = 0; // of the copies done
    uint64_t bytesCurrent = 0;  // the size of the copy under way
    uint64_t bytesTicked = 0;   // how much of it has moved
};

QString sizeText(uint64_t bytes)
{
    constexpr double kGiB = 1024.0 * 1024 * 1024, kMiB = 1024.0 * 1024;
    if (bytes >= uint64_t{1} << 30)
        return QString::number(bytes / kGiB, 'f', 1) + QStringLiteral(" GiB");
    return QString::number(bytes / kMiB, 'f', 1) + QStringLiteral(" MiB");
}

}  // namespace

QString TMainForm::copyProgressText(uint64_t done, uint64_t total, double seconds)
{
    QString s = sizeText(done) + widgets::fromUtf8(app::msg::kCopyBytesOf) + sizeText(total);
    if (done > 0 && total > done && seconds > 0) {
        const double left = seconds * static_cast<double>(total - done) / static_cast<double>(done);
        if (left < 90)
            s += widgets::fromUtf8(app::msg::kTimeLeftSeconds).arg(std::max(1, static_cast<int>(left + 0.5)));
        else
            s += widgets::fromUtf8(app::msg::kTimeLeftMinutes).arg(static_cast<int>(left / 60 + 0.5));
    }
    return s;
}

void TMainForm::ButtonRenameClick()
{
    // The list does not change during the run; it is read again at the end.
    const renaming::NameList& list = FileListBox->list();

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
    renaming::JournalWriter journal;

    RunState state;
    rq.onStep = [&](renaming::RunStep step, const std::string& name) {
        std::lock_guard lock(state.m);
        state.step = step;
        state.name = name;
        state.stepFresh = true;
    };
    // Sizing runs on the run's thread, between two files or two ticks of a
    // large file's copy; these flags are that thread's alone. A run that
    // moves copies nothing, or only its read-only files, until a file system
    // that cannot move without replacing makes every move a copy (a FUSE
    // stick): it is sized once it copies, and again once it is seen to copy
    // instead of moving.
    const auto started = std::chrono::steady_clock::now();
    bool copies = !rq.deleteOld, movesCopy = false, sized = false;
    auto sizeRest = [&](size_t next) {
        if (!copies || sized || std::chrono::steady_clock::now() - started < kSizeAfter)
            return;
        sized = true;
        const uint64_t rest = renaming::bytesToCopy(rq, next, movesCopy);
        std::lock_guard lock(state.m);
        // Every copy begun so far, and what the plan of the rest will copy.
        state.bytesPlanned = state.bytesFinished + state.bytesCurrent + rest;
    };
    rq.onProgress = [&](int done, int) {
        {
            std::lock_guard lock(state.m);
            state.done = done;
        }
        sizeRest(static_cast<size_t>(done));
    };
    rq.onCopy = [&](uint64_t bytes, bool forMove) {
        if (!copies || (forMove && !movesCopy)) {
            copies = true;
            movesCopy = forMove;
            sized = false;
        }
        std::lock_guard lock(state.m);
        state.bytesFinished += state.bytesCurrent;
        state.bytesCurrent = bytes;
        state.bytesTicked = 0;
    };
    rq.copyTick = {[&](size_t moved) {
                       size_t copying = 0;  // the entry whose copy this is
                       {
                           std::lock_guard lock(state.m);
                           state.bytesTicked = std::min(state.bytesCurrent, state.bytesTicked + moved);
                           copying = static_cast<size_t>(state.done);
                       }
                       sizeRest(copying + 1);
                   },
                   kTickBytes};

    QElapsedTimer clock;
    clock.start();
    auto show = [&] {
        std::unique_lock lock(state.m);
        const bool fresh = state.stepFresh;
        state.stepFresh = false;
        const renaming::RunStep step = state.step;
        const std::string name = fresh ? state.name : std::string();
        const int done = state.done;
        const uint64_t copied = state.bytesFinished + state.bytesTicked;
        const uint64_t bytesTotal =
            std::max(state.bytesPlanned, state.bytesFinished + state.bytesCurrent);
        lock.unlock();
        if (fresh)
            setStatusText(widgets::fromUtf8(renaming::msg::kFileOpen) + widgets::fromBytes(name) +
                          widgets::fromUtf8(renaming::stepEnding(step)));
        const qint64 ms = clock.elapsed();
        if (progress_->isHidden() && ms > kProgressAfterMs) {
            progress_->setRange(0, total);
            progress_->setFormat(QStringLiteral("%v / %m"));  // done of total
            progress_->show();
        }
        if (!progress_->isHidden())
            progress_->setValue(done);
        if (ms > kBytesAfterMs && bytesTotal > 0) {
            copyProgress_->setText(copyProgressText(copied, bytesTotal, ms / 1000.0));
            copyProgress_->show();
        }
    };
    renaming::RunCounts counts;
    app::runAside(
        [&] {
            // Made here, off the window's thread, as the state folder may be
            // on a slow disk too. A run without its journal still runs; it
            // cannot be taken back.
            journal = renaming::journals::create(rq.folder);
            if (journal.valid())
                rq.journal = &journal;
            counts = renaming::runRename(rq);
        },
        show, kShowEveryMs);
    progress_->hide();
    copyProgress_->hide();
    // The run's own journal is now the folder's last: when it was written
    // whole, it tells at once whether there is anything to take back, and
    // is not read back (for a large run, a pause before the summary). It is
    // let go first: while it is open, the run counts as going on.
    const bool journalled = journal.valid(), whole = journalled && !journal.broken();
    const bool anyDone = journal.anyDone();
    ownRun_ = OwnRun{FileListBox->list().folder().id(), journalled ? journal.path() : std::string()};
    journal = renaming::JournalWriter();
    if (whole)
        EditUndoMenu->setEnabled(anyDone);
    else
        updateUndoMenu();

    widgets::messageBox(QString::fromUtf8(renaming::summaryText(counts, CheckBoxOldDel->isChecked())),
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
