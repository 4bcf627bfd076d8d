// What an entry's outcome means, in one place: what the summary counts it
// as, what the status line reports of it, in which order, and its words in
// the preview and the one-item test. The run, its plan, the preview and the
// one-item test all go through here, so that they cannot mean different
// things by the same outcome.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace renaming {

struct RunCounts {
    int32_t success = 0;       // made, and (when deleting) the old file removed
    int32_t failed = 0;        // line refused by the name check, or not made
    int32_t ignored = 0;       // no new name (blank or missing line)
    int32_t deleteFailed = 0;  // made, but the old file stayed
    // Entries the run did not come to: it was stopped before them.
    int32_t notDone = 0;
    bool operator==(const RunCounts&) const = default;
};

// What the status line reports after a file operation.
enum class RunStep {
    created,       // about the new name
    createFailed,  // about the new name
    deleted,       // about the old name
    deleteFailed,  // about the old name
};

// What happens to one entry.
enum class Outcome {
    badLine,       // the line holds a character a name may not hold: failed, silently
    noName,        // a blank or missing line: ignored, silently
    hiddenName,    // the new name begins with ".": it would vanish from the list
    unacceptable,  // the file system cannot take the new name (too long, NUL byte)
    oldGone,       // the entry's file is no longer there
    oldNotFile,    // the entry's name now stands for a folder or another kind of file
    taken,         // the new name is taken now
    takenByRun,    // the new name is made by an earlier entry of the same run
    copied,        // the new file is made beside the old one
    moved,         // the new file is made and the old one goes (box ticked)
    oldStays,      // the new file is made, but the old one is read-only and stays
    // Only a run meets these two: the file operation itself failed.
    notMade,     // the new file could not be made (a full disk, say)
    notRemoved,  // the new file is made, but the old one could not be removed
};

// The counter an outcome adds to.
enum class Counted { success, failed, ignored, deleteFailed };
Counted countedAs(Outcome o);
void countInto(RunCounts& counts, Outcome o);

// The status reports a run gives for an outcome, in order. Outcomes that
// fail before a file is made report one createFailed about the new name;
// badLine and noName report nothing.
const std::vector<RunStep>& stepsOf(Outcome o);
// Whether a step names the new name (or the old one).
inline bool aboutNewName(RunStep s) { return s == RunStep::created || s == RunStep::createFailed; }

// The outcome in the program's words, as the preview shows it.
// `because` is the entry (from 0) that makes the name first (takenByRun),
// or that frees it (a made name an earlier move freed); -1 for none.
std::string outcomeWords(Outcome o, int because = -1);

// Whether the run refuses the new name itself, whatever the folder holds.
bool refusesName(Outcome o);

}  // namespace renaming
