// The rename run: every entry of the list gets the new name made from its
// typed line, one at a time, in list order. A new name never replaces an
// existing file, and an old file is removed only once its content is safe
// under the new name.
//
// A run is one request value that carries everything it needs: its own
// handle on the folder, the entries, the lines, the rule, the delete box,
// and the callbacks that report its steps, its progress and the ticks of a
// long copy. Its data is its own, with no pointer into the list or the
// memo, so it can be moved to a worker thread and run there. The callbacks
// run on the thread that runs the request, and what they touch is theirs to
// guard: the window's own run keeps its widgets alive, and takes no input,
// for the run's length.
#pragma once

#include "platform/codepage.h"
#include "platform/filecopy.h"
#include "platform/folder.h"
#include "rename/clock.h"
#include "rename/journalwriter.h"
#include "rename/namerule.h"
#include "rename/outcome.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace renaming {

struct RunRequest {
    // The folder the run acts in. Every name is resolved in it, never
    // against the process's current folder: a folder renamed meanwhile is
    // still the one acted on, and in a removed one (or with no folder at
    // all) every entry fails instead of touching another folder.
    platform::FolderHandle folder;
    // The old names, bare, in list order.
    std::vector<std::string> entries;
    // The new names' lines; an entry beyond the last line pairs with the
    // empty string. Lines beyond the last entry are never looked at.
    std::vector<std::string> lines;
    NameRule rule = NameRule::replace;
    platform::CodePage cp = platform::CodePage::utf8;
    bool deleteOld = false;
    // With `deleteOld`, the moves are ordered so that chains and cycles of
    // names succeed, a cycle through a temporary name (PlanRules::swap).
    bool swap = false;
    // Called after every file operation with the name the report is about.
    std::function<void(RunStep, const std::string& name)> onStep;
    // Called after every entry with the number done so far and the total.
    std::function<void(int done, int total)> onProgress;
    // Called before each copy with the size of the file it copies, and
    // whether the copy stands in for a move the file system refused.
    std::function<void(uint64_t bytes, bool forMove)> onCopy;
    // Called now and then while a large file's data is copied; none when
    // its function is empty.
    platform::CopyTick copyTick;
    // Where the run writes what it is about to do and what it did; none
    // when null. Only the run writes to it while it goes.
    JournalWriter* journal = nullptr;
    // The journal's start time is this clock's; the system's when null.
    const Clock* clock = nullptr;
    // When set, the run stops before its next entry, and a copy under way
    // is abandoned (its new file dropped, the old one untouched); the
    // entries it did not come to are counted as not done. None when null.
    const std::atomic<bool>* stop = nullptr;
};

RunCounts runRename(const RunRequest& request);

// The bytes the run of `request` will copy from entry `from` on, as its
// plan says now: in the midst of the run, the entries before `from` are
// done, and the folder as it is then is what the rest will meet. With
// `movesCopy`, the moves too: where the file system refuses to move without
// replacing, a move is a copy and a delete.
uint64_t bytesToCopy(const RunRequest& request, size_t from = 0, bool movesCopy = false);

// The words that follow the name in the status text of a step.
const char* stepEnding(RunStep step);

// The status text of a step: the program's words around the name's bytes.
std::string stepText(RunStep step, const std::string& name);

// "成功：n件　失敗：n件　無視：n件　", and "削除失敗：n件" when deleting;
// for a run that was stopped, a line of its own after them (stoppedText).
std::string summaryText(const RunCounts& counts, bool deleteOld);

// "中止しました（残り n 件は処理していません）".
std::string stoppedText(int notDone);

}  // namespace renaming
