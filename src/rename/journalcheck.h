// The checks undo makes of a journal before it acts on any of it: a journal
// is data, which a failing disk or a hand may have changed, never a command.
// An entry's records pass when they could have been written by a run:
//  - every name is a bare name of the folder (not empty, no "/" and no NUL
//    byte, not "." or ".."), and a move or a copy done did not have its
//    old name for its new one;
//  - each of its operations is one a run makes, in a run's order (a move;
//    or a copy, where the move was refused or the old file stays, then
//    perhaps the old file's removal, only after a copy that was made), all
//    of the same old name and new name;
//  - where its file went through a temporary name (a cycle of names), each
//    operation starts from the name the one before it left the file under,
//    and that name is one of the entry's temporary names;
//  - the files are those the entry's own earlier records gave: a move
//    leaves the file it moved, a copy is another file than its original,
//    and a removal is of the copy's original;
//  - its number is one of the run's entries, and no other entry has its
//    old name or made its new name.
// Records of an entry that fails are left alone, and undo says so.
#pragma once

#include "rename/journal.h"

#include <set>
#include <string_view>

namespace renaming {

// True for a name that stands for an entry of the folder itself.
bool bareName(std::string_view name);

// The numbers of the entries of `journal` whose records fail the checks.
std::set<int> unsoundEntries(const Journal& journal);

}  // namespace renaming
