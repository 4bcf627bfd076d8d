// The journal of a rename run: before each file operation the run writes
// what it is about to do, and after it what came of it, so that whatever
// stops the run (a kill, a power cut, a full disk) the journal names every
// operation that may have taken effect. Undo reads it back.
//
// The journal is a text file, one record a line (LF), fields separated by
// tabs. Names and paths are bytes, with "%" and every byte below 0x21 or
// equal to 0x7F written as "%XX", so that a record is always one line and
// any name comes back exactly.
//
//   TSUMUGI-JOURNAL 1
//   folder  <path>  <device>  <inode>  [<volume>]
//   start   <seconds since 1970>  <entries>  <delete box: 0 or 1>
//   intent  <entry>  <move|copy|delete>  <from>  <to>  <size>  <mtime ns>  <inode>
//   done    <entry>  <move|copy|delete>  <size>  <mtime ns>  <inode>
//   failed  <entry>  <move|copy|delete>  <errno>
//   temporary <entry>  <name>
//   stopped <entries not done>
//   unrecorded <entry>  [<entries changed>]
//   end
//   undone
//   superseded
//
// An intent names the old file as it was before the operation; a done the
// file the operation left under the new name (nothing for a delete). A done
// or failed answers its entry's latest intent: a run that swaps names
// writes the intents of a batch of moves ahead of them, and what came of
// each after them. A
// temporary record comes before the move of an entry's file to a temporary
// name, on the way to its new one in a cycle of names. A line cut short by
// a kill is not read. The volume names the folder's file system the same at
// every mount (platform/volume.h); journals written before it was recorded
// have none. "superseded" marks a run that a later run in its folder, which
// could not be recorded, has made impossible to take back. "unrecorded"
// says the journal could not be written from the operation of an entry on
// (its disk full), in the room the journal held back for it; at the run's
// end it says too how many entries the run changed after that, which no
// record tells of.
#pragma once

#include "platform/fileid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace renaming {

enum class JournalOp { move, copy, remove };

// What the journal keeps of a file's identity, and undo knows its content
// by: a run's copy keeps the old file's size and modification time, and a
// move keeps its inode. Device and mode are not recorded.
bool sameRecord(const platform::FileId& a, const platform::FileId& b);

struct JournalFolder {
    std::string path;
    uint64_t device = 0;
    uint64_t inode = 0;
    std::string volume = {};  // empty where it is not known
};

// One operation of the run as the journal tells it.
struct JournalStep {
    int entry = 0;
    JournalOp op = JournalOp::move;
    std::string from;              // the old name
    std::string to;                // the new name (empty for a delete)
    platform::FileId before;              // the old file at the intent
    std::optional<platform::FileId> after;  // set when the operation was done
    int failedErrno = 0;           // set when it failed
};

struct Journal {
    JournalFolder folder;
    int64_t started = 0;
    int entries = 0;
    bool deleteOld = false;
    std::vector<JournalStep> steps;
    // The temporary names the run's cycles used, with their entries.
    std::vector<std::pair<int, std::string>> temporaries;
    // Entries the run did not come to, stopped on request before them.
    int notDone = 0;
    // The entry from whose operation on the journal could not be written;
    // -1 where it was written whole. Of the entries after it, how many the
    // run changed; -1 where the run did not come to say (it was killed).
    int unrecordedFrom = -1;
    int unrecordedChanged = -1;
    bool ended = false;   // the run came to its end
    bool undone = false;  // undo has been run on it
    bool superseded = false;  // a later run, not recorded, came after it
};

// The lines of the journal, one function a record kind; each returns the
// line with its LF.
namespace journal_text {
std::string header(const JournalFolder& folder, int64_t started, int entries, bool deleteOld);
std::string intent(int entry, JournalOp op, const std::string& from, const std::string& to,
                   const platform::FileId& before);
std::string done(int entry, JournalOp op, const platform::FileId& after);
std::string failed(int entry, JournalOp op, int err);
std::string temporary(int entry, const std::string& name);
std::string stopped(int notDone);
std::string unrecorded(int from, int changed = -1);
std::string end();
std::string undone();
std::string superseded();
// The same records of operations, added to the end of `out`.
void appendIntent(std::string& out, int entry, JournalOp op, std::string_view from, std::string_view to,
                  const platform::FileId& before);
void appendDone(std::string& out, int entry, JournalOp op, const platform::FileId& after);
void appendFailed(std::string& out, int entry, JournalOp op, int err);
}  // namespace journal_text

// Reads a journal's text. Nothing when the text is no journal (wrong first
// line, or no folder and start records); records it cannot read end the
// reading there, as a kill would have.
std::optional<Journal> parseJournal(std::string_view text);

// "%XX" escapes of a name, and back.
std::string escapeField(std::string_view bytes);
std::optional<std::string> unescapeField(std::string_view text);

}  // namespace renaming
