#include "rename/undo.h"

#include "rename/journalcheck.h"
#include "rename/messages.h"

#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <map>
#include <unordered_map>
#include <string>
#include <vector>

namespace renaming {

namespace {

// The operations of one entry, in the run's order.
struct EntrySteps {
    const JournalStep* move = nullptr;
    const JournalStep* copy = nullptr;
    const JournalStep* remove = nullptr;
};

// The run writes the stamp of a file it could not look at (the disk said
// no to that one call) as zeros; no file has inode 0. Such a stamp says
// nothing, and the other record of the same operation must tell the file.
bool known(const platform::FileId& s) { return s.inode != 0; }

std::optional<platform::FileId> knownAfter(const JournalStep& st)
{
    return st.after && known(*st.after) ? st.after : std::nullopt;
}

UndoStep moveBack(UndoFolder& folder, UndoStep s)
{
    if (folder.taken(s.oldName)) {
        s.result = UndoResult::leftNameTaken;
        return s;
    }
    if (const platform::Status moved = folder.moveNoReplace(s.newName, s.oldName); !moved) {
        s.result = moved.error() == EEXIST ? UndoResult::leftNameTaken : UndoResult::failed;
        s.errorCode = moved.error();
        return s;
    }
    s.result = UndoResult::movedBack;
    return s;
}

UndoStep undoMove(UndoFolder& folder, const JournalStep& m, UndoStep s)
{
    // Refused, or to its own name, which the run always finds taken.
    if (m.failedErrno || m.from == m.to)
        return s;
    const auto atNew = folder.stamp(m.to);
    const auto atOld = folder.stamp(m.from);
    // A move keeps the file: its inode before, or the one the move left.
    const auto after = knownAfter(m);
    const uint64_t inode = known(m.before) ? m.before.inode : after ? after->inode : 0;
    const bool moved = inode && atNew && atNew->inode == inode;
    if (moved && atOld && atOld->inode == inode && folder.plainFile(m.from) && folder.plainFile(m.to) &&
        !folder.sameEntry(m.from, m.to)) {
        // Both names hold the file: where the file system renames without
        // replacing only by a link and a removal of the old name, the run
        // was cut between the two. The old name has the file still; the
        // new one, the same file, is all that goes. Not when either name is
        // a link to the other (made since by the user): removing the file
        // behind the link would leave the link to nothing.
        if (const platform::Status removed = folder.remove(m.to); !removed) {
            s.result = UndoResult::failed;
            s.errorCode = removed.error();
            return s;
        }
        s.result = UndoResult::movedBack;
        return s;
    }
    if (!moved) {
        // Never moved (a run stopped before the rename), or moved and then
        // replaced or removed by someone else.
        if (inode && atOld && atOld->inode == inode)
            return s;
        s.result = atNew ? UndoResult::leftChanged : UndoResult::leftGone;
        return s;
    }
    return moveBack(folder, s);
}

// The start of the copy a run killed in the middle of it left under the new
// name, where the file system made the copy under that name itself (FUSE
// sticks): the run had not said the copy was made, the file is another
// than the original, and its bytes are the original's first ones.
bool partialCopy(const UndoFolder& folder, const JournalStep& c, const std::optional<platform::FileId>& atNew,
                 bool originalThere)
{
    return !c.after && originalThere && known(c.before) && atNew && atNew->inode != c.before.inode &&
           atNew->size <= c.before.size && folder.prefixOf(c.to, c.from);
}

UndoStep undoCopy(UndoFolder& folder, const JournalStep& c, const JournalStep* r, UndoStep s)
{
    if (c.failedErrno || c.from == c.to)
        return s;
    const auto atNew = folder.stamp(c.to);
    const auto atOld = folder.stamp(c.from);
    // The copy the run made: known by its recorded stamp, or, where the run
    // stopped before recording it, by the size and time it took over from
    // its original under a name the run had found free.
    const auto made = knownAfter(c);
    const bool ours = atNew && (made ? sameRecord(*atNew, *made)
                                     : known(c.before) && atNew->inode != c.before.inode &&
                                           atNew->size == c.before.size &&
                                           atNew->mtimeNs == c.before.mtimeNs);
    // The original is known by its whole stamp, never by its inode alone:
    // file systems give a removed file's inode number to the next file made
    // (ext4 at once, vfat by the place of its entry), so a file made under
    // the old name after the run's removal may carry the original's number,
    // and taking it for the original would remove the only copy left. A
    // removal the journal saw done settles it whatever the folder shows.
    // Where the run could not look at the original before the copy, it is
    // known as the copy is: by the size and time the copy took over from it.
    const bool sameAsBefore =
        atOld && (known(c.before) ? sameRecord(*atOld, c.before)
                                  : made && atOld->inode != made->inode &&
                                        atOld->size == made->size && atOld->mtimeNs == made->mtimeNs);
    const bool originalThere = sameAsBefore && !(r && r->after);
    const bool originalRemoved = r && !r->failedErrno && !originalThere;
    if (!atNew && !made && !originalRemoved)
        return s;  // stopped before the copy had a name
    if (originalRemoved) {
        // The copy holds the only content now: it goes back to the old
        // name, changed or not, and is never removed.
        if (!atNew || (made && atNew->inode != made->inode)) {
            s.result = atNew ? UndoResult::leftChanged : UndoResult::leftGone;
            return s;
        }
        return moveBack(folder, s);
    }
    if (!atNew) {
        // Gone, and the original still there: the entry is as it was before
        // the run (an undo taken again, or the copy removed by hand).
        if (!originalThere)
            s.result = UndoResult::leftGone;
        return s;
    }
    // A link put in the copy's place leads to it; it is not the copy. Nor
    // is the original itself, under a name its file system takes for its
    // own.
    if (!folder.plainFile(c.to) || (atOld && atOld->inode == atNew->inode)) {
        s.result = UndoResult::leftChanged;
        return s;
    }
    if (!ours) {
        if (partialCopy(folder, c, atNew, originalThere)) {
            const platform::Status removed = folder.remove(c.to);
            s.result = removed ? UndoResult::partialCopyRemoved : UndoResult::failed;
            s.errorCode = removed.error();
        } else if (c.after || !originalThere) {
            s.result = UndoResult::leftChanged;
        }
        // Else the run stopped before it said what came of the copy, and
        // the name holds another file: the name was taken (the run's copy
        // refused), or the copy never got it.
        return s;
    }
    // The copy goes only while the file under the old name holds its bytes,
    // whatever the stamps say: an inode number is given again to the next
    // file made, and many file systems keep times only to the clock's tick,
    // so a file the run made under the old name after its journal broke
    // (a chain) can carry the original's whole stamp.
    if (!originalThere || !folder.sameBytes(c.from, c.to)) {
        // Where the run never said it made the copy, a file of other bytes
        // than the original's, which is there as it was, is not its copy:
        // another file of the same size and time had the name.
        if (!c.after && originalThere)
            return s;
        s.result = atOld || folder.taken(c.from) ? UndoResult::leftOriginalChanged : UndoResult::leftOriginalGone;
        return s;
    }
    if (const platform::Status removed = folder.remove(c.to); !removed) {
        s.result = UndoResult::failed;
        s.errorCode = removed.error();
        return s;
    }
    s.result = UndoResult::copyRemoved;
    return s;
}

}  // namespace

UndoReport undoRun(const Journal& journal, UndoFolder& folder,
                   const std::function<void(const UndoStep&)>& onStep)
{
    return undoRun(journal, folder, UndoWatch{onStep, nullptr});
}

namespace {

// One operation of the run as undo takes it back: a move, or a copy with
// the removal of its original (and the move the file system refused, in
// whose place they came). An entry has one, or, where its file went through
// a temporary name, more.
struct Unit {
    int entry = 0;
    EntrySteps steps;
    const JournalStep& first() const
    {
        return steps.move ? *steps.move : steps.copy ? *steps.copy : *steps.remove;
    }
};

std::vector<Unit> unitsOf(const Journal& journal)
{
    std::vector<Unit> units;
    // Each entry's latest unit: the copy in place of a refused move, and the
    // removal after a copy, come after the intents written ahead of a batch
    // of moves, which are other entries'.
    std::unordered_map<int, size_t> latest;
    for (const JournalStep& st : journal.steps) {
        const auto at = latest.find(st.entry);
        EntrySteps* es = at == latest.end() ? nullptr : &units[at->second].steps;
        const size_t next = units.size();
        switch (st.op) {
        case JournalOp::move:
            units.push_back({st.entry, {&st, nullptr, nullptr}});
            break;
        case JournalOp::copy:
            // In place of the move just refused, or a copy of its own.
            if (es && es->move && !es->copy && es->move->failedErrno && es->move->from == st.from &&
                es->move->to == st.to)
                es->copy = &st;
            else
                units.push_back({st.entry, {nullptr, &st, nullptr}});
            break;
        case JournalOp::remove:
            if (es && es->copy && !es->remove && es->copy->from == st.from)
                es->remove = &st;
            else
                units.push_back({st.entry, {nullptr, nullptr, &st}});
            break;
        }
        if (units.size() > next)
            latest[st.entry] = next;
    }
    return units;
}

UndoStep undoUnit(UndoFolder& folder, const Unit& u)
{
    const EntrySteps& es = u.steps;
    UndoStep s{u.entry, u.first().from, u.first().to, UndoResult::nothingToDo, 0};
    // A move the file system refused was made by a copy instead.
    if (es.move && (!es.move->failedErrno || !es.copy))
        return undoMove(folder, *es.move, s);
    if (es.copy)
        return undoCopy(folder, *es.copy, es.remove, s);
    return s;
}

// What undo made of one entry so far, over its units.
struct EntryUndo {
    int unitsLeft = 0;
    std::string oldName;  // before the run
    std::string newName;  // where the run left it
    UndoStep result;      // the first unit not taken back, else the last one
    bool started = false;
    bool multi = false;  // more than one unit: taken back in part until the last
};

}  // namespace

UndoReport undoRun(const Journal& journal, UndoFolder& folder, const UndoWatch& watch)
{
    const std::vector<Unit> units = unitsOf(journal);
    std::map<int, EntryUndo> entries;
    for (const Unit& u : units) {
        EntryUndo& e = entries[u.entry];
        if (e.unitsLeft++ == 0)
            e.oldName = u.first().from;
        // Where the run left it: not the old name again, after a cycle the
        // run moved back.
        if (e.unitsLeft == 1 || u.first().to != e.oldName)
            e.newName = u.first().to;
    }
    std::multimap<int, std::string> temporaries(journal.temporaries.begin(), journal.temporaries.end());
    // A run killed in the middle of a copy, where the file system has no
    // unnamed files, left the copy's scratch file: the folder is as it was
    // before the run only without it.
    folder.removeLeftovers();
    const std::set<int> unsound = unsoundEntries(journal);
    UndoReport report;
    const int total = static_cast<int>(entries.size());
    int done = 0;
    int open = 0;  // entries taken back in part: a cycle under way
    // The run taken back in the reverse of its order: a cycle's files go
    // back through the temporary name they came by.
    for (auto u = units.rbegin(); u != units.rend(); ++u) {
        // Never between the units of one entry: a cycle's file is not left
        // under its temporary name.
        if (open == 0 && watch.stop && watch.stop->load()) {
            report.notDone = total - done;
            break;
        }
        EntryUndo& e = entries[u->entry];
        if (!e.started) {
            e.started = true;
            if (watch.onProgress)
                watch.onProgress(done, total);
            e.multi = e.unitsLeft > 1;
            if (e.multi)
                ++open;
        }
        // An entry whose records fail the checks is left as it is.
        UndoStep s{u->entry, u->first().from, u->first().to, UndoResult::leftUnsound, 0};
        if (!unsound.count(u->entry))
            s = undoUnit(folder, *u);
        // The first unit not taken back says why; else any that was.
        if (s.result != UndoResult::nothingToDo &&
            (e.result.result == UndoResult::nothingToDo || restored(e.result.result)))
            e.result = s;
        if (--e.unitsLeft > 0)
            continue;
        if (e.multi)
            --open;
        // A file left under a temporary name (its old name taken since)
        // comes out to its old name or, failing that, to the one the run
        // gave it: never hidden.
        for (auto [t, end] = temporaries.equal_range(u->entry); t != end && !unsound.count(u->entry); ++t) {
            if (!folder.plainFile(t->second))
                continue;
            if (folder.moveNoReplace(t->second, e.oldName))
                e.result.result = UndoResult::movedBack;
            else if (folder.moveNoReplace(t->second, e.newName))
                e.result.result = UndoResult::leftNameTaken;
        }
        ++done;
        UndoStep step = e.result;
        step.entry = u->entry;
        step.oldName = e.oldName;
        step.newName = e.newName;
        if (step.result == UndoResult::nothingToDo)
            continue;
        if (restored(step.result))
            ++report.restored;
        else
            ++report.leftAlone;
        if (watch.onStep)
            watch.onStep(step);
        report.steps.push_back(std::move(step));
    }
    if (watch.onProgress)
        watch.onProgress(total - report.notDone, total);
    if (journal.unrecordedFrom >= 0)
        report.unrecorded = journal.unrecordedChanged >= 0 ? journal.unrecordedChanged
                                                           : std::max(0, journal.entries - journal.unrecordedFrom);
    return report;
}

std::string undoUnrecordedText(int n)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, msg::kUndoUnrecordedFormat, n);
    return buf;
}

}  // namespace renaming
