// Undo of a rename run from its journal: the entries are taken back in the
// reverse of the run's order, each only once its records pass the journal's
// checks (journalcheck.h). A moved file goes back to its old name only by a
// rename that never replaces; a copy the run made is removed only while it
// is still exactly that copy and its original is still there. Whatever else
// is found is left as it is and reported, so undo never overwrites and never
// deletes a file that changed after the run.
#pragma once

#include "platform/status.h"
#include "rename/journal.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace renaming {

// The folder undo works in.
class UndoFolder {
public:
    virtual ~UndoFolder() = default;
    // The identity of the regular file `name`; nothing when the name is
    // free or stands for something else.
    virtual std::optional<platform::FileId> stamp(const std::string& name) const = 0;
    // True when `name` stands for anything at all (a dangling link too).
    virtual bool taken(const std::string& name) const = 0;
    // True when `name` is a regular file itself, not a link to one.
    virtual bool plainFile(const std::string& name) const = 0;
    // Never replaces `to`: EEXIST when it is taken.
    virtual platform::Status moveNoReplace(const std::string& from, const std::string& to) = 0;
    virtual platform::Status remove(const std::string& name) = 0;
    // True when the regular files `a` and `b` hold the same bytes; false
    // when they differ or either cannot be read.
    virtual bool sameBytes(const std::string& a, const std::string& b) const = 0;
    // Removes what killed runs left in the folder besides its files.
    virtual void removeLeftovers() {}
    // True when the regular file `part` holds the first bytes of `whole`
    // and no more than it; false when not, or either cannot be read.
    virtual bool prefixOf(const std::string& part, const std::string& whole) const
    {
        (void)part, (void)whole;
        return false;
    }
    // True when `a` and `b` are one name of the folder: the same string, or
    // two spellings a file system that folds case takes for one.
    virtual bool sameEntry(const std::string& a, const std::string& b) const { return a == b; }
};

enum class UndoResult {
    nothingToDo,       // the run changed nothing for this entry
    movedBack,         // the file has its old name again
    copyRemoved,       // the run's copy is gone; the original stayed all along
    leftGone,          // the file the run made is no longer there
    leftChanged,       // the file under the new name is not the one the run left
    leftNameTaken,     // another file has the old name now
    leftOriginalGone,  // the original is gone, so its copy stays
    leftOriginalChanged,  // another file, or other bytes, under the old name: the copy stays
    failed,            // the rename or removal itself failed (errorCode)
    partialCopyRemoved,  // the start of a copy a killed run left under the new name is gone
    leftUnsound,       // the entry's records fail the journal's checks (journalcheck.h)
};

// True for the outcomes that count as restored.
inline bool restored(UndoResult r)
{
    return r == UndoResult::movedBack || r == UndoResult::copyRemoved || r == UndoResult::partialCopyRemoved;
}

struct UndoStep {
    int entry = 0;
    std::string oldName;  // the name the entry had before the run
    std::string newName;  // the name the run gave it
    UndoResult result = UndoResult::nothingToDo;
    int errorCode = 0;
};

struct UndoReport {
    std::vector<UndoStep> steps;  // in the order undo took them, nothingToDo left out
    int restored = 0;
    int leftAlone = 0;
    // Entries undo did not come to: it was stopped before them.
    int notDone = 0;
    // Entries the run changed that its journal, broken (the disk full), does
    // not tell of: at most this many, where the run was killed before it
    // could count them.
    int unrecorded = 0;
};

// What undo tells as it goes.
struct UndoWatch {
    // After each entry that undo acted on or left alone.
    std::function<void(const UndoStep&)> onStep;
    // After every entry, with how many are done of how many.
    std::function<void(int done, int total)> onProgress;
    // When set, undo stops before its next entry. None when null.
    const std::atomic<bool>* stop = nullptr;
};

// Takes the run of `journal` back in `folder`.
UndoReport undoRun(const Journal& journal, UndoFolder& folder, const UndoWatch& watch);
// The same, told only of each step.
UndoReport undoRun(const Journal& journal, UndoFolder& folder,
                   const std::function<void(const UndoStep&)>& onStep = nullptr);

// Undo's line for `n` entries it could not take back for want of a record.
std::string undoUnrecordedText(int n);

}  // namespace renaming
