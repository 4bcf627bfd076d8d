// The plan of a rename run: for every entry of the list, what the run will do
// with it and why, worked out before any file is touched. The run walks the
// same decision (`decide`) against the folder as it is at each step, so a
// plan and the run that follows it differ only where the folder changed in
// between or a file operation failed.
#pragma once

#include "platform/codepage.h"
#include "rename/namerule.h"
#include "rename/renamerun.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace renaming {

// What a name stands for in the folder.
enum class NameState {
    missing,
    regular,  // a regular file (a link to one counts)
    other,    // a folder, a FIFO, a dangling link: a name that is taken, no file to move
};

// The folder a decision looks at.
class FolderView {
public:
    virtual ~FolderView() = default;
    virtual NameState state(const std::string& name) const = 0;
    // What the new name an entry is to get stands for now.
    virtual NameState newNameState(const std::string& name) const { return state(name); }
    // A regular file whose mode has no write bit: never deleted.
    virtual bool readOnly(const std::string& name) const = 0;
    // The longest name the folder's file system takes, in bytes.
    virtual size_t nameMax() const { return 255; }
    // Whether names that differ only in the case of ASCII letters are one
    // name there (platform::caseFolded); `state` answers that way already.
    virtual bool foldsCase() const { return false; }
    // The state of `name` and, for a regular file, whether it is read-only,
    // in one look where the folder can.
    virtual NameState look(const std::string& name, bool& isReadOnly) const
    {
        const NameState s = state(name);
        isReadOnly = s == NameState::regular && readOnly(name);
        return s;
    }
};

// Settings of a run that a decision needs.
struct PlanRules {
    NameRule rule = NameRule::replace;
    platform::CodePage cp = platform::CodePage::utf8;
    bool deleteOld = false;
    // Names are swapped on request: with the old files deleted, the moves
    // are ordered so that a chain (a to b while b goes to c) succeeds in any
    // list order, and a cycle (a and b swapped) goes through a temporary
    // name. Without it, or without deleting, entries go in list order.
    bool swap = false;
    bool swaps() const { return swap && deleteOld; }
};

struct Decision {
    Outcome outcome = Outcome::noName;
    std::string newName;  // empty for badLine and noName
};

// What the run will do with the entry `oldName` paired with `line`, in the
// folder as `folder` shows it now.
Decision decide(const std::string& oldName, const std::string& line, const PlanRules& rules,
                const FolderView& folder);

// What the run would make of the name alone, in a folder where the entry's
// file is there and nothing stands in the new name's way, on a file system
// that takes names of up to `nameMax` bytes: the one-item test's decision.
Decision decideName(const std::string& oldName, const std::string& line, const PlanRules& rules,
                    size_t nameMax);

// One entry of a plan.
struct PlannedEntry {
    std::string oldName;
    std::string newName;
    Outcome outcome = Outcome::noName;
    // For takenByRun: the entry that makes the name first. For a made name
    // that an earlier entry moved out of the way: that entry. Else -1.
    int because = -1;
};

// One step of a run, in the order the run takes them.
struct PlannedStep {
    enum class Kind {
        entry,          // the entry, decided at its turn
        toTemporary,    // a cycle's first file to a temporary name, freeing its old one
        fromTemporary,  // that file from its temporary name to its new one
    };
    int entry = 0;
    Kind kind = Kind::entry;
    bool operator==(const PlannedStep&) const = default;
};

struct Plan {
    std::vector<PlannedEntry> entries;
    // The run's steps: every entry once, in list order; where names are
    // swapped, each chain from its free end, and each cycle between the
    // two steps of its temporary name.
    std::vector<PlannedStep> order;
    RunCounts counts;
    // Lines beyond the last entry: they pair with no entry and count nowhere.
    int unpairedLines = 0;
};

// Works out the whole run, each entry seeing the folder as the steps before
// it will have left it: in list order, or, where names are swapped, in the
// order that lets chains and cycles succeed. `lines` are the memo's lines (an
// entry beyond the last pairs with the empty string); `lineCount` is how
// many the memo holds, which may be more than `lines` carries.
Plan makePlan(const std::vector<std::string>& entries, const std::vector<std::string>& lines,
              int lineCount, const PlanRules& rules, const FolderView& folder);

// How far a plan made on another thread has come, and the request to stop
// making it.
struct PlanProgress {
    // Steps at the front of the plan's order that are final, with their
    // entries: in list order they come as the entries are decided; where
    // names are swapped, all at once at the end.
    std::atomic<size_t> steps{0};
    std::atomic<bool> done{false};  // the whole plan, counts included
    std::atomic<bool> stop{false};
};

// makePlan into `plan`, which another thread may read up to `progress`'s
// steps meanwhile. Returns at once, with the plan unfinished, when a stop is
// asked.
void makePlanInto(Plan& plan, const std::vector<std::string>& entries, const std::vector<std::string>& lines,
                  int lineCount, const PlanRules& rules, const FolderView& folder, PlanProgress& progress);

// Line i of the memo, or the empty string beyond its last, as a plan reads
// them one at a time.
using LineAt = std::function<std::string(size_t)>;

// A plan as the preview keeps it for a million entries: of each entry only
// its outcome and the entry it depends on. The old names are the list's,
// and a new name is made again from its old name and line (plannedNewName)
// for the rows shown: some 13 bytes an entry instead of two names.
struct PlanRows {
    std::vector<std::uint8_t> outcomes;  // each an Outcome
    std::vector<int> because;            // as PlannedEntry::because
    std::vector<PlannedStep> order;
    RunCounts counts;
    int unpairedLines = 0;
    Outcome outcome(int entry) const { return static_cast<Outcome>(outcomes[static_cast<size_t>(entry)]); }
};

// The rows of a whole plan: its outcomes, dependencies, order and counts.
PlanRows rowsOf(const Plan& plan);

// The new name the plan gave an entry of outcome `o`, as decide made it.
std::string plannedNewName(const std::string& oldName, const std::string& line, Outcome o, const PlanRules& rules);

// makePlanInto as rows, with the lines read one at a time as they are
// needed: `lines` is called on this thread only.
void makePlanRows(PlanRows& rows, const std::vector<std::string>& entries, const LineAt& lines, int lineCount,
                  const PlanRules& rules, const FolderView& folder, PlanProgress& progress);

// The plan where names are swapped (swapplan.cpp).
Plan makeSwapPlan(const std::vector<std::string>& entries, const std::vector<std::string>& lines,
                  int lineCount, const PlanRules& rules, const FolderView& folder);

}  // namespace renaming
