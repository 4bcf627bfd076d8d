// Where the journals of runs are kept: the user's state folder,
// "$XDG_STATE_HOME/tsumugi/" ("~/.local/state/tsumugi/" when the variable
// is unset or not an absolute path, ~ being $HOME or the account's home), one file a run, named by the moment it
// started so that the names sort as the runs went. The last few runs are
// kept; older journals are removed after a run.
#pragma once

#include "platform/folder.h"
#include "rename/journal.h"
#include "rename/journalwriter.h"

#include <optional>
#include <string>

namespace renaming::journals {

// How many journals are kept, the new one included.
inline constexpr int kKept = 10;

// The folder the journals go to; empty when neither the variable nor a home
// folder says where it is.
std::string stateFolder();

// A new, empty journal in the state folder `folder`, which is made when
// missing. No journal (with `err` set) when the folder or the file cannot be
// made.
JournalWriter create(int* err = nullptr, const std::string& folder = stateFolder());

// Removes the journals older than the last kKept, except one still being
// written. Apart from create(), so that a run need not wait for it.
void prune();

struct Found {
    std::string path;
    Journal journal;
    // The run is still going (in another copy of the program): its journal
    // is being written, and nothing of it may be taken back yet.
    bool running = false;
};

// The journal of the last run in the folder `folder` (the same device and
// inode, under the same path), read back; nothing when no kept journal is of
// that folder.
std::optional<Found> lastRunIn(const platform::FolderHandle& folder);

// True when taking the run back could change anything: not yet undone, and
// with an operation that was not refused.
bool undoable(const Journal& journal);
// The same, and the run is over.
bool undoable(const Found& found);

// Marks the journal at `path` as undone; refused (EBUSY) while its run goes.
bool markUndone(const std::string& path, int* err = nullptr);

}  // namespace renaming::journals
