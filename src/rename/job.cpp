#include "rename/job.h"

#include "rename/folderondisk.h"
#include "rename/journalstore.h"

#include <algorithm>

namespace renaming {

namespace {

// A copying run still going after this sizes what it has left to copy, in
// good time before the window shows the bytes. Sizing is a plan of its own,
// a look at every file left, which a shorter run would pay for with nothing
// shown.
constexpr auto kSizeAfter = std::chrono::milliseconds(1000);
// The copy of a large file reports this often.
constexpr size_t kTickBytes = size_t{8} << 20;

}  // namespace

Job::Job(RenameRequest request) : request_(std::move(request)) {}

Job::Job(UndoRequest request) : request_(std::move(request)) {}

Job::~Job()
{
    if (thread_.joinable())
        thread_.join();
}

void Job::start(std::function<void()> onEnd)
{
    thread_ = std::thread([this, onEnd = std::move(onEnd)] {
        try {
            end_ = std::visit(
                [this](auto& rq) {
                    // The job's calls are those of its request, whatever
                    // the window's thread uses meanwhile.
                    platform::ThreadSys use(*rq.sys);
                    if constexpr (std::is_same_v<std::decay_t<decltype(rq)>, RenameRequest>)
                        return rename(rq);
                    else
                        return undo(rq);
                },
                request_);
        } catch (...) {
            error_ = std::current_exception();
        }
        finished_ = true;
        if (onEnd)
            onEnd();
    });
}

void Job::wait()
{
    if (thread_.joinable())
        thread_.join();
    if (error_)
        std::rethrow_exception(error_);
}

JobEnd Job::rename(RenameRequest& r)
{
    JobEnd end;
    end.folder = r.folder.id();
    // A run without its journal still runs; it cannot be taken back.
    JournalWriter journal;
    if (!r.stateFolder.empty())
        journal = journals::create(r.folder, r.stateFolder).value();

    RunRequest rq;
    rq.folder = std::move(r.folder);
    rq.entries = std::move(r.entries);
    rq.lines = std::move(r.lines);
    rq.rule = r.rule;
    rq.cp = r.cp;
    rq.deleteOld = r.deleteOld;
    rq.swap = r.swap;
    rq.clock = r.clock;
    rq.stop = &stop_;
    if (journal.valid())
        rq.journal = &journal;
    progress_.update([&](JobProgress& p) { p.total = static_cast<int>(rq.entries.size()); });

    rq.onStep = [&](RunStep step, const std::string& name) {
        progress_.update([&](JobProgress& p) {
            p.runStep = step;
            p.name = name;
            ++p.steps;
        });
    };
    // A run that moves copies nothing, or only its read-only files, until a
    // file system that cannot move without replacing makes every move a
    // copy (a FUSE stick): it is sized once it copies, and again once it is
    // seen to copy instead of moving.
    const auto started = r.clock->now();
    bool copies = !rq.deleteOld, movesCopy = false, sized = false;
    auto sizeRest = [&](size_t next) {
        if (!copies || sized || r.clock->now() - started < kSizeAfter)
            return;
        sized = true;
        const uint64_t rest = bytesToCopy(rq, next, movesCopy);
        progress_.update([&](JobProgress& p) {
            // Every copy begun so far, and what the plan of the rest will copy.
            p.bytesPlanned = p.bytesFinished + p.bytesCurrent + rest;
        });
    };
    int done = 0;  // this thread's own count, for the sizing
    rq.onProgress = [&](int n, int) {
        done = n;
        progress_.update([&](JobProgress& p) { p.done = n; });
        sizeRest(static_cast<size_t>(n));
    };
    rq.onCopy = [&](uint64_t bytes, bool forMove) {
        if (!copies || (forMove && !movesCopy)) {
            copies = true;
            movesCopy = forMove;
            sized = false;
        }
        progress_.update([&](JobProgress& p) {
            p.bytesFinished += p.bytesCurrent;
            p.bytesCurrent = bytes;
            p.bytesTicked = 0;
        });
    };
    rq.copyTick = {[&](size_t moved) {
                       progress_.update([&](JobProgress& p) {
                           p.bytesTicked = std::min(p.bytesCurrent, p.bytesTicked + moved);
                       });
                       sizeRest(static_cast<size_t>(done) + 1);  // the entries after this copy's
                   },
                   kTickBytes};
    end.counts = runRename(rq);
    end.journal = !journal.valid() ? JournalFate::none : journal.broken() ? JournalFate::broken : JournalFate::whole;
    end.anyDone = journal.anyDone();
    if (journal.valid())
        end.journalPath = journal.path();
    if (journal.valid() && journal.unrecordedChanged() > 0)
        end.unrecordedFrom = journal.unrecordedFrom();
    else if (!journal.valid() && !r.stateFolder.empty() && end.counts.success + end.counts.deleteFailed > 0)
        end.unrecordedFrom = 0;
    // Let go before the end is told: while it is open, the run counts as
    // going on.
    journal = JournalWriter();
    return end;
}

JobEnd Job::undo(UndoRequest& r)
{
    JobEnd end;
    end.folder = r.folder.id();
    // Read here, not on the window's thread: a large run's journal takes a
    // while.
    if (!r.journal) {
        auto found = journals::runAt(r.journalPath, r.folder);
        if (!found || !journals::undoable(*found)) {
            end.nothingToUndo = true;
            return end;
        }
        r.journal = std::move(found->journal);
    }
    UndoOnDisk disk(r.folder.fd());
    UndoWatch watch;
    watch.stop = &stop_;
    watch.onStep = [&](const UndoStep& s) {
        progress_.update([&](JobProgress& p) {
            p.undoStep = s;
            ++p.steps;
        });
    };
    watch.onProgress = [&](int n, int total) {
        progress_.update([&](JobProgress& p) {
            p.done = n;
            p.total = total;
        });
    };
    end.undo = undoRun(*r.journal, disk, watch);
    // Taken back as far as it goes: what was left alone stays so. Where the
    // disk refused a step, the run stays to be taken back again, when the
    // disk takes it (a stick's write protection off, say); so does a run
    // whose undo was stopped, for the rest.
    const bool refused = std::any_of(end.undo.steps.begin(), end.undo.steps.end(),
                                     [](const UndoStep& s) { return s.result == UndoResult::failed; });
    if (!refused && end.undo.notDone == 0 && !r.journalPath.empty())
        end.runUndone = journals::markUndone(r.journalPath).ok();
    return end;
}

}  // namespace renaming
