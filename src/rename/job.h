// A rename run or an undo as a job: a request that carries everything it
// needs, run on a thread of its own. The job publishes where it is through
// one latest-value channel (progress()), which the window polls at its own
// pace; it can be asked to stop; and it ends with what it did: the counts,
// the journal's fate and the folder whose list is to be read again.
//
// Nothing of a job calls into the window: the window drives it (start,
// stop, progress, end) and nothing else.
#pragma once

#include "platform/codepage.h"
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "rename/clock.h"
#include "rename/journal.h"
#include "rename/latest.h"
#include "rename/namerule.h"
#include "rename/renamerun.h"
#include "rename/undo.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace renaming {

// A rename run: entry i of `entries` gets the name made from line i.
struct RenameRequest {
    platform::FolderHandle folder;
    std::vector<std::string> entries;
    std::vector<std::string> lines;
    NameRule rule = NameRule::replace;
    platform::CodePage cp = platform::CodePage::utf8;
    bool deleteOld = false;
    // Chains and cycles of names ordered to succeed (RunRequest::swap).
    bool swap = false;
    // Where the run's journal goes; none when empty.
    std::string stateFolder;
    const Clock* clock = &systemClock();
    // The system calls the job makes, on its own thread: those in force
    // where the request is made.
    platform::Sys* sys = &platform::sys();
};

// The undo of the run `journal` tells of, in `folder`.
struct UndoRequest {
    platform::FolderHandle folder;
    // Where none is given, the job reads it from `journalPath`, and takes
    // back nothing where it is no run of the folder it could change
    // anything by taking back (JobEnd::nothingToUndo).
    std::optional<Journal> journal;
    // Marked as undone once the run is taken back as far as it goes.
    std::string journalPath;
    const Clock* clock = &systemClock();
    platform::Sys* sys = &platform::sys();
};

// Where a job is, as the window shows it.
struct JobProgress {
    int done = 0;   // entries done
    int total = 0;  // entries in all
    // Steps reported so far: a step is new to a reader that saw fewer.
    long steps = 0;
    // The last step of a run, and the name it is about.
    RunStep runStep = RunStep::created;
    std::string name;
    // The last step of an undo.
    UndoStep undoStep;
    // A copying run's bytes: what it will copy in all (0 until sized), of
    // the copies finished, the size of the one under way and how much of
    // it has moved.
    uint64_t bytesPlanned = 0;
    uint64_t bytesFinished = 0;
    uint64_t bytesCurrent = 0;
    uint64_t bytesTicked = 0;
};

enum class JournalFate {
    none,    // no journal could be made: the run cannot be taken back
    broken,  // written only in part: it tells less than the run did
    whole,   // every record written
};

struct JobEnd {
    RunCounts counts;  // a run's
    UndoReport undo;   // an undo's
    JournalFate journal = JournalFate::none;
    std::string journalPath;  // a run's journal, empty where none was made
    // A whole journal that records an operation done: the run can be
    // taken back.
    bool anyDone = false;
    // A run's first entry whose operations its journal does not tell of
    // (the disk full, or no journal could be made), where the run changed
    // anything; -1 where the journal tells all.
    int unrecordedFrom = -1;
    // The folder acted in: its list is to be read again.
    platform::FileId folder;
    // An undo that found no run to take back in its journal.
    bool nothingToUndo = false;
    // An undo that took its run back as far as it goes and marked it so.
    bool runUndone = false;
    // Entries the job did not come to: it was stopped before them.
    int notDone() const { return counts.notDone + undo.notDone; }
};

class Job {
public:
    explicit Job(RenameRequest request);
    explicit Job(UndoRequest request);
    // Waits for the job's thread.
    ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Runs the job on a thread of its own; `onEnd` is called on that thread
    // as it ends, after end() has its value.
    void start(std::function<void()> onEnd = nullptr);
    // Asks the job to stop before its next file; a copy under way is
    // abandoned, with nothing of it left. From any thread.
    void stop() { stop_ = true; }
    bool stopAsked() const { return stop_.load(); }
    // Where the job is now.
    JobProgress progress() const { return progress_.get(); }
    bool finished() const { return finished_.load(); }
    // Waits for the end; rethrows what the job threw.
    void wait();
    // What the job did; valid once finished.
    const JobEnd& end() const { return end_; }

private:
    JobEnd rename(RenameRequest& rq);
    JobEnd undo(UndoRequest& rq);

    std::variant<RenameRequest, UndoRequest> request_;
    Latest<JobProgress> progress_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
    JobEnd end_;
    std::exception_ptr error_;
};

}  // namespace renaming
