// A journal being written by a run. What an operation is about to do goes
// to the file before it is done, together with what came of the operation
// before it (nothing touches the folder in between), so that a kill of the
// program never leaves an operation the journal does not name: one write
// for each operation, or for a batch of moves whose intents all go ahead of
// them, in room taken ahead (see platform/appendfile.h). The
// file, and with its first sync its name in the state folder, is put on the
// disk before every removal of an old file, at least once a second while
// the run goes, and, on a thread of its own, as soon as the run ends, so
// that a power cut loses at most the last second of records and never the
// record of a copy whose original was then removed.
//
// A journal that cannot be written (its disk full, say) stops where it
// failed and the run goes on: the rename matters more than its undo, and
// undo then takes back what the journal tells. In a few bytes of room held
// back for it, the journal then says from which entry on it is silent and,
// as the run ends, how many entries the run changed after that, and that
// the run came to its end: undo can say what it cannot take back, and the
// run is not taken for one cut short.
#pragma once

#include "platform/appendfile.h"
#include "platform/uniquefd.h"
#include "rename/journal.h"

#include <chrono>
#include <string>
#include <vector>

namespace renaming {

class JournalWriter {
public:
    // No journal: every record goes nowhere.
    JournalWriter() = default;
    // Writes to `fd`, the open file at `path` (for reading and writing,
    // not O_APPEND), after what it holds.
    JournalWriter(platform::UniqueFd fd, std::string path);
    // Writes what is still held back.
    ~JournalWriter();
    JournalWriter(JournalWriter&&) noexcept = default;
    JournalWriter& operator=(JournalWriter&&) noexcept = default;

    bool valid() const { return file_.valid(); }
    const std::string& path() const { return path_; }
    // A write failed; nothing was written after it.
    bool broken() const { return broken_; }
    // A record of an operation done has been written: a run whose journal
    // is whole can be taken back exactly when this holds.
    bool anyDone() const { return anyDone_; }
    // The entry from whose operation on nothing could be written; -1 while
    // the journal is whole or broke with no operation of an entry lost.
    int unrecordedFrom() const { return unrecordedFrom_; }
    // The entries the run changed from there on, as far as it has gone.
    int unrecordedChanged() const { return changedCount_; }

    void begin(const JournalFolder& folder, int64_t started, int entries, bool deleteOld);
    void intent(int entry, JournalOp op, const std::string& from, const std::string& to,
                const platform::FileId& before);
    // A move about to be made, as movesAhead() takes it.
    struct Move {
        int entry;
        const std::string& from;
        const std::string& to;
        platform::FileId before;
    };
    // The intents of moves about to be made one after another, in one
    // write ahead of them. The intent() of each then writes nothing, and
    // what came of it goes out with the next write, as after any other; a
    // move never made (the run stopped or killed first) has its intent
    // alone, as a move killed before it was made.
    void movesAhead(const std::vector<Move>& moves);
    void done(int entry, JournalOp op, const platform::FileId& after);
    void failed(int entry, JournalOp op, int err);
    // The file of `entry` is about to go to the temporary name `name`.
    void temporary(int entry, const std::string& name);
    // The run was stopped, `notDone` entries before its end.
    void stopped(int notDone);
    void end();
    // Writes what is held back, and puts the journal on the disk now.
    void sync();

private:
    // Appends what is held back; then, once a second, puts it on the disk.
    void put();
    // After a record of `entry` that tells of a change: counted where the
    // journal has broken.
    void changed(int entry);

    platform::AppendFile file_;
    std::string path_;
    bool broken_ = false;
    bool anyDone_ = false;
    // Records not yet in the file: what came of the last operation, written
    // with the next record.
    std::string pending_;
    bool pendingDone_ = false;
    int pendingEntry_ = -1;  // the entry of the intent or temporary record in pending_
    // The entries whose move intents are written ahead and not made yet, in
    // their order, from aheadNext_ on.
    std::vector<int> ahead_;
    size_t aheadNext_ = 0;
    // Once broken: where, and the entries changed since, each counted once.
    int unrecordedFrom_ = -1;
    int notDone_ = 0;
    std::vector<bool> changedSince_;
    int changedCount_ = 0;
    bool folderSynced_ = false;  // the journal's entry in its folder is on the disk
    std::chrono::steady_clock::time_point lastSync_{};
};

// The summary's line for a run whose journal could not be written from
// entry `from` (0 for the first) on.
std::string unrecordedText(int from);

}  // namespace renaming
