// Where the journals of runs are kept: the user's state folder,
// "$XDG_STATE_HOME/tsumugi/" ("~/.local/state/tsumugi/" when the variable
// is unset or not an absolute path, ~ being $HOME or the account's home), one
// file a run. The last few runs are kept; older journals are removed after
// a run.
//
// A journal's name carries a number of the program's own, one more than the
// highest in the folder when it is made, so that the names sort as the runs
// went whatever the clock said meanwhile, and a tag of the folder the run
// was in, so that the folder's runs are found without reading the others,
// and a run whose journal got no further than its name (a full disk) still
// stands between its folder and the runs before it:
//   run-s<number, 12 digits>-<folder tag, 16 hex digits>.journal
// Journals of earlier versions, named "run-<the clock's nanoseconds>-...",
// sort before every numbered one and are found by what they hold.
#pragma once

#include "platform/folder.h"
#include "platform/status.h"
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

// How a journal names `folder`: its path, device and inode, and its file
// system as every mount of it shows it.
JournalFolder journalFolderOf(const platform::FolderHandle& folder);

// True when a journal naming `recorded` is of the folder `now`: the same
// path and inode, on the same file system, known by its volume where both
// name one, else by its device number.
bool sameFolder(const JournalFolder& recorded, const JournalFolder& now);

// A new, empty journal in the state folder `state`, which is made when
// missing, for a run in `folder`. A failure when the folder or the file
// cannot be made; then the folder's last run is marked as superseded, so
// that no copy of the program offers to take it back after the run that
// could not be recorded.
platform::Result<JournalWriter> create(const platform::FolderHandle& folder,
                                       const std::string& state = stateFolder());
// The same without a folder to tag it with: found by what it holds.
platform::Result<JournalWriter> create(const std::string& state = stateFolder());

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

// The journal of the last run in the folder `folder`, read back; nothing
// when no kept journal is of that folder, or when the last one is, but
// holds nothing to read (its run could not record itself).
std::optional<Found> lastRunIn(const platform::FolderHandle& folder);

// The journal at `path`, read back, when it is of the folder `folder` (a
// window's own last run); nothing otherwise.
std::optional<Found> runAt(const std::string& path, const platform::FolderHandle& folder);

// What undo would take back in a folder, as found without reading its
// journal whole.
struct LastRun {
    std::string path;  // the journal
    bool ended = false;  // the run came to its end; else it was cut short
};

// The run undo would take back in `folder`: with `own`, the window's own
// last run there, recorded at that path (none when it is empty: the run
// could not be recorded), else the folder's last run; nothing when there is
// none, while it is still going, or where taking it back could change
// nothing. Reads the start and the end of a journal, not the records
// between (but for a journal whose end tells of no operation done).
std::optional<LastRun> runToUndo(const platform::FolderHandle& folder,
                                 const std::optional<std::string>& own = std::nullopt,
                                 const std::string& state = stateFolder());

// True when taking the run back could change anything: not yet undone nor
// superseded, and with an operation that was not refused.
bool undoable(const Journal& journal);
// The same, and the run is over.
bool undoable(const Found& found);

// Marks the journal at `path` as undone; refused (EBUSY) while its run goes.
platform::Status markUndone(const std::string& path);

}  // namespace renaming::journals
