#include "rename/undo.h"

#include <cerrno>
#include <map>

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
bool known(const FileStamp& s) { return s.inode != 0; }

std::optional<FileStamp> knownAfter(const JournalStep& st)
{
    return st.after && known(*st.after) ? st.after : std::nullopt;
}

bool sameCopy(const FileStamp& now, const FileStamp& made)
{
    return now.inode == made.inode && now.size == made.size && now.mtimeNs == made.mtimeNs;
}

UndoStep moveBack(UndoFolder& folder, UndoStep s)
{
    if (folder.taken(s.oldName)) {
        s.result = UndoResult::leftNameTaken;
        return s;
    }
    if (const int e = folder.moveNoReplace(s.newName, s.oldName); e != 0) {
        s.result = e == EEXIST ? UndoResult::leftNameTaken : UndoResult::failed;
        s.errorCode = e;
        return s;
    }
    s.result = UndoResult::movedBack;
    return s;
}

UndoStep undoMove(UndoFolder& folder, const JournalStep& m, UndoStep s)
{
    if (m.failedErrno)
        return s;
    const auto atNew = folder.stamp(m.to);
    const auto atOld = folder.stamp(m.from);
    // A move keeps the file: its inode before, or the one the move left.
    const auto after = knownAfter(m);
    const uint64_t inode = known(m.before) ? m.before.inode : after ? after->inode : 0;
    const bool moved = inode && atNew && atNew->inode == inode;
    if (moved && atOld && atOld->inode == inode && folder.plainFile(m.from) && folder.plainFile(m.to)) {
        // Both names hold the file: where the file system renames without
        // replacing only by a link and a removal of the old name, the run
        // was cut between the two. The old name has the file still; the
        // new one, the same file, is all that goes. Not when either name is
        // a link to the other (made since by the user): removing the file
        // behind the link would leave the link to nothing.
        if (const int e = folder.remove(m.to); e != 0) {
            s.result = UndoResult::failed;
            s.errorCode = e;
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

UndoStep undoCopy(UndoFolder& folder, const JournalStep& c, const JournalStep* r, UndoStep s)
{
    if (c.failedErrno)
        return s;
    const auto atNew = folder.stamp(c.to);
    const auto atOld = folder.stamp(c.from);
    // The copy the run made: known by its recorded stamp, or, where the run
    // stopped before recording it, by the size and time it took over from
    // its original under a name the run had found free.
    const auto made = knownAfter(c);
    const bool ours = atNew && (made ? sameCopy(*atNew, *made)
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
        atOld && (known(c.before) ? *atOld == c.before
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
    // A link put in the copy's place leads to it; it is not the copy.
    if (!ours || !folder.plainFile(c.to)) {
        s.result = UndoResult::leftChanged;
        return s;
    }
    // The copy goes only while the file under the old name holds its bytes,
    // whatever the stamps say: an inode number is given again to the next
    // file made, and many file systems keep times only to the clock's tick,
    // so a file the run made under the old name after its journal broke
    // (a chain) can carry the original's whole stamp.
    if (!originalThere || !folder.sameBytes(c.from, c.to)) {
        s.result = atOld || folder.taken(c.from) ? UndoResult::leftOriginalChanged : UndoResult::leftOriginalGone;
        return s;
    }
    if (const int e = folder.remove(c.to); e != 0) {
        s.result = UndoResult::failed;
        s.errorCode = e;
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

UndoReport undoRun(const Journal& journal, UndoFolder& folder, const UndoWatch& watch)
{
    std::map<int, EntrySteps> byEntry;
    std::vector<int> order;
    for (const JournalStep& st : journal.steps) {
        auto [it, fresh] = byEntry.try_emplace(st.entry);
        if (fresh)
            order.push_back(st.entry);
        switch (st.op) {
        case JournalOp::move:
            it->second.move = &st;
            break;
        case JournalOp::copy:
            it->second.copy = &st;
            break;
        case JournalOp::remove:
            it->second.remove = &st;
            break;
        }
    }
    // A run killed in the middle of a copy, where the file system has no
    // unnamed files, left the copy's scratch file: the folder is as it was
    // before the run only without it.
    folder.removeLeftovers();
    UndoReport report;
    const int total = static_cast<int>(order.size());
    int done = 0;
    for (auto e = order.rbegin(); e != order.rend(); ++e) {
        if (watch.stop && watch.stop->load()) {
            report.notDone = total - done;
            break;
        }
        if (watch.onProgress)
            watch.onProgress(done, total);
        ++done;
        const EntrySteps& es = byEntry[*e];
        const JournalStep* first = es.move ? es.move : es.copy ? es.copy : es.remove;
        UndoStep s{*e, first->from, first->to, UndoResult::nothingToDo, 0};
        // A move the file system refused was made by a copy instead.
        if (es.move && (!es.move->failedErrno || !es.copy))
            s = undoMove(folder, *es.move, s);
        else if (es.copy)
            s = undoCopy(folder, *es.copy, es.remove, s);
        if (s.result == UndoResult::nothingToDo)
            continue;
        if (restored(s.result))
            ++report.restored;
        else
            ++report.leftAlone;
        if (watch.onStep)
            watch.onStep(s);
        report.steps.push_back(std::move(s));
    }
    if (watch.onProgress)
        watch.onProgress(total - report.notDone, total);
    return report;
}

}  // namespace renaming
