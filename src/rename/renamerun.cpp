#include "rename/renamerun.h"

#include "platform/fileops.h"
#include "platform/nameinfo.h"
#include "platform/tempfile.h"
#include "platform/textfile.h"
#include "rename/filelooks.h"
#include "rename/folderondisk.h"
#include "rename/journalstore.h"
#include "rename/messages.h"
#include "rename/namemap.h"
#include "rename/plan.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <optional>
#include <string_view>

namespace renaming {

namespace {

// The run's view of its folder, as the plan's, keeping the identity of the
// regular file it found last: the journal's record of the operation on an
// entry's file, made right after the entry's decision looked at it, takes
// the identity from that look instead of one of its own.
class RunFolder : public FolderOnDisk {
public:
    explicit RunFolder(int dir) : FolderOnDisk(dir), dir_(dir) {}
    NameState state(const std::string& name) const override
    {
        platform::FileId id;
        if (ahead_ == &name) {
            ahead_ = nullptr;
            seenName_ = name;
            seen_ = aheadId_;
            return NameState::regular;
        }
        switch (platform::nameKind(dir_, name, &id)) {
        case platform::NameKind::missing:
            return NameState::missing;
        case platform::NameKind::other:
            return NameState::other;
        case platform::NameKind::regular:
            break;
        }
        seenName_ = name;
        seen_ = id;
        return NameState::regular;
    }
    // The look of a run that deletes: the same, with the mode from it, so
    // that the journal's record takes the identity from it too.
    NameState look(const std::string& name, bool& isReadOnly) const override
    {
        const NameState st = state(name);
        isReadOnly = st == NameState::regular && platform::isReadOnlyMode(seen_->mode);
        return st;
    }
    // Taken or not, the no-replace operation finds out itself, and refuses
    // a taken name with the same words and count as a decision that saw it
    // taken; a look first would cost every entry a call.
    NameState newNameState(const std::string&) const override { return NameState::missing; }
    // From the decision's look at the old file, when that was the last.
    bool readOnly(const std::string& name) const override
    {
        if (seen_ && seenName_ == name)
            return platform::isReadOnlyMode(seen_->mode);
        return FolderOnDisk::readOnly(name);
    }
    // Takes `id`, a look taken ahead at the regular file of the entry whose
    // name is `name` itself, as the answer when the entry's decision asks
    // for that name; none for an entry with no such look. The run never
    // puts a file where there is one, so the look still holds; where it saw
    // none, the decision looks again, since a file of the run may have come
    // there since.
    void lookedAhead(const std::string* name, const platform::FileId& id = {})
    {
        ahead_ = name;
        aheadId_ = id;
    }
    // Takes `id` as the last look at the regular file `name`.
    void seen(const std::string& name, const platform::FileId& id)
    {
        seenName_ = name;
        seen_ = id;
    }
    // The identity of `name` from the last look, when that look was at
    // `name`; asked once, so that a later operation on the file looks again.
    std::optional<platform::FileId> take(const std::string& name)
    {
        std::optional<platform::FileId> s;
        if (seen_ && seenName_ == name)
            s = seen_;
        seen_.reset();
        return s;
    }

private:
    int dir_;
    mutable std::string seenName_;
    mutable std::optional<platform::FileId> seen_;
    mutable const std::string* ahead_ = nullptr;
    platform::FileId aheadId_;
};

// Per entry, whether the folder's list names it as a regular file. What
// killed runs left in the folder goes on the way.
std::vector<char> listedFiles(int dir, const std::vector<std::string>& entries)
{
    std::vector<char> listed(entries.size());
    NameMap at(entries.size(), [&](int i) { return std::string_view(entries[static_cast<size_t>(i)]); });
    for (size_t i = 0; i < entries.size(); ++i)
        at.emplace(entries[i], static_cast<int>(i));
    platform::removeStaleScratchFiles(dir, [&](const char* name, unsigned char type) {
        if (type != DT_REG)
            return;
        if (const int i = at.find(name); i >= 0)
            listed[static_cast<size_t>(i)] = 1;
    });
    return listed;
}

// The folder as a swapping run's plan looks at it. Its entries' files are
// taken from one read of the folder: a name it lists as a regular file is
// planned as a writable file the run may move, and looked at only as its
// move comes (confirm()), or by `early` before; any other entry is looked
// at once the read is in, and the plan made again where the look finds no
// writable file. A look can only find the file
// read-only then, which makes its move a copy and leaves the order as it
// is, or find that the folder changed since it was read.
class PlannedFolder : public FolderOnDisk {
public:
    // Every entry taken for the regular file the window's list showed,
    // until the folder's list says otherwise.
    PlannedFolder(int dir, const std::vector<std::string>& entries, EarlyLooks& early)
        : FolderOnDisk(dir), dir_(dir), entries_(entries), early_(early), listed_(entries.size(), 1)
    {
    }
    // The entries the folder's list did not name as regular files, looked
    // at (a file system that gives no kinds in its list names none); true
    // when any is not the writable file the plan took it for.
    bool unlisted(const std::vector<char>& listed)
    {
        bool changes = false;
        for (size_t i = 0; i < entries_.size(); ++i) {
            const int e = static_cast<int>(i);
            if (listed[i] || !unconfirmed(e))
                continue;
            confirm(e);
            changes = moveAsSeen(e) != Outcome::moved || changes;
        }
        return changes;
    }
    NameState look(const std::string& name, bool& isReadOnly) const override
    {
        // An entry's own name is asked as the entry's string itself.
        if (!entries_.empty() && &name >= &entries_.front() && &name <= &entries_.back())
            return stateOf(lookAtEntry(static_cast<int>(&name - &entries_.front())), isReadOnly);
        return stateOf(renaming::lookAt(dir_, name), isReadOnly);
    }
    // Whether entry `i`'s file is yet to be looked at, as planned from the
    // folder's list alone.
    bool unconfirmed(int i) const { return listed_[static_cast<size_t>(i)] != 0; }
    // Every entry's file looked at now: for a plan whose outcomes the looks
    // could change beyond the moves they make copies.
    void confirmAll()
    {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (listed_[i])
                confirm(static_cast<int>(i));
    }
    // Entry `i`'s file looked at, now or before.
    void confirm(int i)
    {
        early_.take(static_cast<size_t>(i));
        listed_[static_cast<size_t>(i)] = 0;
    }
    // What a look at entry `i`'s file makes of its planned move.
    Outcome moveAsSeen(int i) const
    {
        bool readOnly = false;
        switch (stateOf(lookAtEntry(i), readOnly)) {
        case NameState::missing:
            return Outcome::oldGone;
        case NameState::other:
            return Outcome::oldNotFile;
        case NameState::regular:
            break;
        }
        return readOnly ? Outcome::oldStays : Outcome::moved;
    }
    // The look at entry `i`'s file, when it saw a regular file.
    std::optional<platform::FileId> lookAt(int i) const
    {
        if (unconfirmed(i))
            return std::nullopt;
        const FileLook& l = early_.take(static_cast<size_t>(i));
        return l.kind == platform::NameKind::regular ? std::optional(l.id) : std::nullopt;
    }

private:
    // What the plan takes entry `i`'s file for: the look at it, or what the
    // folder's list said of it.
    const FileLook& lookAtEntry(int i) const
    {
        static const FileLook listed{platform::NameKind::regular, {0, 0, 0, 0, 0600}};
        return unconfirmed(i) ? listed : early_.take(static_cast<size_t>(i));
    }

    int dir_;
    const std::vector<std::string>& entries_;
    EarlyLooks& early_;
    std::vector<char> listed_;  // per entry: planned from the list, not yet looked at
};

// The journal's view of the run: what each operation is about to do and
// what came of it, with the identity of the files it touched.
class Record {
public:
    Record(JournalWriter* j, int dir, RunFolder& folder) : j_(j), dir_(dir), folder_(folder) {}
    // Returns the stamp it recorded, so that the operation's other uses of
    // the old file's identity need no look of their own.
    std::optional<platform::FileId> intent(int entry, JournalOp op, const std::string& from, const std::string& to)
    {
        if (!j_)
            return std::nullopt;
        auto before = folder_.take(from);
        if (!before)
            before = stampOf(dir_, from);
        j_->intent(entry, op, from, to, before.value_or(platform::FileId{}));
        return before;
    }
    void done(int entry, JournalOp op, const std::string& made)
    {
        if (j_)
            j_->done(entry, op, made.empty() ? platform::FileId{} : stampOf(dir_, made).value_or(platform::FileId{}));
    }
    // A copy, as the copy saw the file it published (`madeOut()`).
    void copied(int entry)
    {
        if (j_)
            j_->done(entry, JournalOp::copy, made_);
    }
    // Where the copy is to say what it made: only for the journal.
    platform::FileId* madeOut() { return j_ ? &made_ : nullptr; }
    // A rename keeps the file's inode, size and time: the file under its new
    // name is the one the intent recorded, and is not looked at again.
    void moved(int entry, const std::optional<platform::FileId>& before, const std::string& made)
    {
        if (j_ && before)
            j_->done(entry, JournalOp::move, *before);
        else
            done(entry, JournalOp::move, made);
    }
    void failed(int entry, JournalOp op, int err)
    {
        if (j_)
            j_->failed(entry, op, err ? err : EIO);
    }

private:
    JournalWriter* j_;
    int dir_;
    RunFolder& folder_;
    platform::FileId made_;
};

}  // namespace

uint64_t bytesToCopy(const RunRequest& rq, size_t from, bool movesCopy)
{
    if (from >= rq.entries.size())
        return 0;
    const FolderOnDisk folder(rq.folder.fd());
    const std::vector<std::string> entries(rq.entries.begin() + static_cast<ptrdiff_t>(from), rq.entries.end());
    const std::vector<std::string> lines(
        rq.lines.begin() + static_cast<ptrdiff_t>(std::min(from, rq.lines.size())), rq.lines.end());
    const Plan plan = makePlan(entries, lines, static_cast<int>(lines.size()), {rq.rule, rq.cp, rq.deleteOld},
                               folder);
    uint64_t bytes = 0;
    for (const PlannedEntry& e : plan.entries) {
        if (e.outcome == Outcome::copied || e.outcome == Outcome::oldStays ||
            (movesCopy && e.outcome == Outcome::moved)) {
            if (const auto st = stampOf(rq.folder.fd(), e.oldName))
                bytes += st->size;
        }
    }
    return bytes;
}

namespace {

// One run: the decisions and file operations of its entries, in the order
// of its steps, each reported and counted as its outcome means.
class Runner {
public:
    explicit Runner(const RunRequest& rq)
        : rq_(rq), dir_(rq.folder.fd()), total_(static_cast<int>(rq.entries.size())),
          rules_{rq.rule, rq.cp, rq.deleteOld, rq.swap}, folder_(dir_), record_(rq.journal, dir_, folder_),
          copy_{rq.deleteOld, rq.copyTick.tick ? &rq.copyTick : nullptr, nullptr, &clonesRefused_, rq.stop}
    {
    }

    RunCounts run()
    {
        if (rq_.journal) {
            const Clock& clock = rq_.clock ? *rq_.clock : systemClock();
            rq_.journal->begin(journals::journalFolderOf(rq_.folder), clock.wallSeconds(), total_, rq_.deleteOld);
        }
        if (rules_.swaps()) {
            runSteps();
        } else {
            removeLeftovers();
            runInListOrder();
        }
        if (rq_.journal) {
            if (c_.notDone)
                rq_.journal->stopped(c_.notDone);
            rq_.journal->end();
        }
        return c_;
    }

private:
    bool stopAsked() const { return rq_.stop && rq_.stop->load(); }
    // What killed runs left in the folder goes before the run's first file.
    void removeLeftovers() const { platform::removeStaleScratchFiles(dir_); }
    const std::string& oldName(int i) const { return rq_.entries[static_cast<size_t>(i)]; }
    const std::string& line(int i) const
    {
        static const std::string noLine;
        const auto at = static_cast<size_t>(i);
        return at < rq_.lines.size() ? rq_.lines[at] : noLine;
    }
    // Each entry is decided as its plan decides it, against the folder as
    // it is at that moment; only what the file operations then answer can
    // differ from the plan.
    Decision decideNow(int i) { return decide(oldName(i), line(i), rules_, folder_); }

    // What came of an entry, as its outcome means it: the reports, in
    // order, and the count.
    void report(Outcome o, const std::string& oldName, const std::string& newName)
    {
        if (rq_.onStep)
            for (RunStep s : stepsOf(o))
                rq_.onStep(s, aboutNewName(s) ? newName : oldName);
        countInto(c_, o);
        ++done_;
        if (rq_.onProgress)
            rq_.onProgress(done_, total_);
    }

    void runInListOrder()
    {
        // Only ahead of moves: beside a copy of each file a look is little,
        // and the thread would take a core from the copies.
        std::optional<LookAhead> ahead;
        if (rq_.deleteOld)
            ahead_ = &ahead.emplace(dir_, rq_.entries);
        for (int i = 0; i < total_; ++i)
            if (!entry(i))
                break;
        ahead_ = nullptr;
    }

    // Decides entry `i` now, or takes the decision made ahead of it, and
    // does what the decision says. False when the run stopped before the
    // entry was done.
    bool entry(int i)
    {
        if (stopAsked()) {
            c_.notDone = total_ - done_;
            return false;
        }
        if (rq_.journal && static_cast<size_t>(i - decidedFrom_) >= decided_.size())
            decideMovesAhead(i);
        Decision d;
        if (const auto k = static_cast<size_t>(i - decidedFrom_); k < decided_.size()) {
            if (decided_[k].id)
                folder_.seen(oldName(i), *decided_[k].id);
            d = std::move(decided_[k].d);
        } else {
            useLookAhead(i);
            d = decideNow(i);
        }
        const auto outcome = act(i, d);
        if (!outcome) {
            c_.notDone = total_ - done_;
            return false;
        }
        report(*outcome, oldName(i), d.newName);
        return true;
    }

    // The most moves whose intents go to the journal in one write.
    static constexpr int kMovesAhead = 128;
    // Entry `i`'s move to `to`, for the journal ahead of it, with the file
    // as a look before saw it, or as one now sees it.
    JournalWriter::Move moveAhead(int i, const std::string& to, const std::optional<platform::FileId>& seen) const
    {
        return {i, oldName(i), to, seen ? *seen : stampOf(dir_, oldName(i)).value_or(platform::FileId{})};
    }

    // Moves are batched once the file system has moved a file without
    // replacing, and never after it refused to: where a copy stands in for
    // each move, the journal tells of each entry's operations together.
    bool batchMoves() const { return movesSeen_ && !movesRefused_; }

    // Tells the folder of the look taken ahead at entry `i`'s file, when it
    // saw a regular file; a look is there to take once.
    void useLookAhead(int i)
    {
        FileLook l;
        const bool regular =
            ahead_ && ahead_->take(static_cast<size_t>(i), l) && l.kind == platform::NameKind::regular;
        folder_.lookedAhead(regular ? &oldName(i) : nullptr, l.id);
    }

    // The entries from `i` on decided now, as many moves as follow one
    // another up to a batch, and the entry after them, whose intents the
    // journal takes in one write ahead of them. A decision that saw a
    // regular file, or that the line alone made, holds until the entry's
    // turn: the run never puts a file where there is one. One that saw no
    // file does not (a move of the run may put one there), and its entry is
    // decided again when its turn comes.
    void decideMovesAhead(int i)
    {
        decided_.clear();
        decidedFrom_ = i;
        if (!batchMoves())
            return;
        for (int j = i; j < total_ && j - i < kMovesAhead; ++j) {
            useLookAhead(j);
            Decision d = decideNow(j);
            const auto id = folder_.take(oldName(j));
            if (d.outcome == Outcome::oldGone || d.outcome == Outcome::oldNotFile)
                break;
            const bool moves = d.outcome == Outcome::moved;
            decided_.push_back({std::move(d), id});
            if (!moves)
                break;
        }
        std::vector<JournalWriter::Move> moves;
        for (size_t k = 0; k < decided_.size(); ++k)
            if (decided_[k].d.outcome == Outcome::moved)
                moves.push_back(moveAhead(i + static_cast<int>(k), decided_[k].d.newName, decided_[k].id));
        rq_.journal->movesAhead(moves);
    }

    // Nothing when a copy was abandoned on request.
    std::optional<Outcome> act(int i, const Decision& d)
    {
        switch (d.outcome) {
        case Outcome::moved:
            return move(i, oldName(i), d.newName, rq_.stop);
        case Outcome::copied:
        case Outcome::oldStays:
            // A read-only file is never moved, since it is never deleted.
            return copyThenDelete(i, oldName(i), d.newName, false, d.outcome, rq_.stop);
        default:
            // Decided without a file operation.
            return d.outcome;
        }
    }

    // Moving a file to a new name inside its folder is the copy and the
    // delete in one step that cannot be interrupted half-way: nothing can be
    // lost to a power cut, no space is needed and no time is spent copying.
    // Where the file system cannot move without replacing, the copy and the
    // delete do it. Moved, taken (nothing changed), notMade (nothing
    // changed), notRemoved (a copy beside the file); nothing when a copy
    // standing in for the move was abandoned on request.
    std::optional<Outcome> move(int i, const std::string& from, const std::string& to,
                                const std::atomic<bool>* stop)
    {
        const auto before = record_.intent(i, JournalOp::move, from, to);
        const platform::Status result = platform::renameNoReplace(dir_, from, dir_, to);
        if (result) {
            record_.moved(i, before, to);
            movesSeen_ = true;
            return Outcome::moved;
        }
        if (result.error() == EEXIST) {
            record_.failed(i, JournalOp::move, EEXIST);
            return Outcome::taken;
        }
        record_.failed(i, JournalOp::move, result.error());
        movesRefused_ = true;
        return copyThenDelete(i, from, to, true, Outcome::moved, stop);
    }
    // The same inside a cycle, which is never stopped half-way, done whole
    // or not at all: where the file system copies in place of the move and
    // the original cannot go, the copy goes again, so that the name it
    // holds is free for the file that is to come back to it.
    Outcome moveWhole(int i, const std::string& from, const std::string& to)
    {
        const Outcome o = move(i, from, to, nullptr).value_or(Outcome::notMade);
        if (o != Outcome::notRemoved)
            return o;
        platform::removeOwnFile(dir_, to);
        return Outcome::notMade;
    }

    // Nothing when the copy was abandoned on request.
    std::optional<Outcome> copyThenDelete(int i, const std::string& from, const std::string& to, bool forMove,
                                          Outcome planned, const std::atomic<bool>* stop)
    {
        const auto before = record_.intent(i, JournalOp::copy, from, to);
        if (rq_.onCopy) {
            const auto st = before ? before : stampOf(dir_, from);
            rq_.onCopy(st ? st->size : 0, forMove);
        }
        platform::CopyOptions options = copy_;
        options.made = record_.madeOut();
        options.stop = stop;
        if (const platform::Status copied = platform::copyFileNoReplace(dir_, from, dir_, to, options); !copied) {
            const int err = copied.error();
            record_.failed(i, JournalOp::copy, err);
            if (err == platform::kCopyStopped && stopAsked())
                return std::nullopt;
            return err == EEXIST ? Outcome::taken : Outcome::notMade;
        }
        record_.copied(i);
        if (!rq_.deleteOld)
            return Outcome::copied;
        record_.intent(i, JournalOp::remove, from, {});
        const platform::Status removed = platform::deleteOriginal(dir_, from);
        if (removed) {
            record_.done(i, JournalOp::remove, {});
            return Outcome::moved;
        }
        record_.failed(i, JournalOp::remove, removed.error());
        // The copy stands beside the file it was to replace.
        return planned == Outcome::oldStays ? Outcome::oldStays : Outcome::notRemoved;
    }

    // The steps of a plan that swaps names, made against the folder as it
    // is when the run starts: each entry as the plan decided it, from the
    // plan's own look at its file, with what the steps before it did. A
    // name taken since is refused by the no-replace move, and a copy checks
    // its source itself.
    void runSteps()
    {
        // The folder is read beside the plan, which takes each entry for
        // the file the window listed; an entry the folder's list does not
        // name as a file is looked at, and where the look finds otherwise,
        // the plan is made again.
        std::vector<char> listed;
        EarlyLooks early(dir_, rq_.entries, [&] { listed = listedFiles(dir_, rq_.entries); });
        PlannedFolder looked(dir_, rq_.entries, early);
        auto planNow = [&] {
            return makePlan(rq_.entries, rq_.lines, static_cast<int>(rq_.lines.size()), rules_, looked);
        };
        Plan plan = planNow();
        early.awaitFirst();
        if (looked.unlisted(listed))
            plan = planNow();
        // Where a name is asked for twice, the second one's words tell
        // whether the first one's move is made, before the looks that can
        // tell it come: every file is looked at first then.
        if (std::any_of(plan.entries.begin(), plan.entries.end(),
                        [](const PlannedEntry& e) { return e.outcome == Outcome::takenByRun; })) {
            looked.confirmAll();
            plan = planNow();
        }
        planned_ = &plan;
        looked_ = &looked;
        // The files still to be looked at, in the order of their moves.
        std::vector<int> toLook;
        for (const PlannedStep& st : plan.order)
            if (st.kind != PlannedStep::Kind::fromTemporary && looked.unconfirmed(st.entry) &&
                planFor(st.entry).outcome == Outcome::moved)
                toLook.push_back(st.entry);
        early.follow(std::move(toLook));
        const auto& steps = plan.order;
        size_t aheadEnd = 0;  // the steps before it have their intents written
        for (size_t k = 0; k < steps.size(); ++k) {
            if (stopAsked()) {
                c_.notDone = total_ - done_;
                break;
            }
            if (steps[k].kind == PlannedStep::Kind::entry) {
                if (k >= aheadEnd)
                    aheadEnd = movesAhead(steps, k);
                if (!plannedEntry(steps[k].entry))
                    break;
                continue;
            }
            // A cycle, from its first file's temporary name to its return.
            std::vector<int> members;
            size_t last = k + 1;
            for (; last < steps.size() && steps[last].kind == PlannedStep::Kind::entry; ++last)
                members.push_back(steps[last].entry);
            cycle(steps[k].entry, members);
            k = last;
        }
        planned_ = nullptr;
        looked_ = nullptr;
    }

    // What entry `i`'s planned outcome is once its file is looked at: a move
    // planned from the folder's list may find the file read-only, and copy
    // it, or find that the folder changed since.
    Outcome asSeen(int i)
    {
        const Outcome planned = planFor(i).outcome;
        if (planned != Outcome::moved)
            return planned;
        if (looked_->unconfirmed(i))
            looked_->confirm(i);
        return looked_->moveAsSeen(i);
    }

    const PlannedEntry& planFor(int i) const { return planned_->entries[static_cast<size_t>(i)]; }
    // The moves of the plain steps from `k` on, as many as follow one
    // another up to a batch, go to the journal in one write ahead of them:
    // the run's own records of them cost it as little as the moves. Returns
    // the step after the last so written.
    size_t movesAhead(const std::vector<PlannedStep>& steps, size_t k)
    {
        if (!rq_.journal)
            return steps.size();
        if (!batchMoves())
            return k + 1;
        std::vector<JournalWriter::Move> moves;
        size_t end = k;
        for (; end < steps.size() && end - k < kMovesAhead && steps[end].kind == PlannedStep::Kind::entry &&
               asSeen(steps[end].entry) == Outcome::moved;
             ++end) {
            const int i = steps[end].entry;
            moves.push_back(moveAhead(i, planFor(i).newName, looked_->lookAt(i)));
        }
        rq_.journal->movesAhead(moves);
        return end;
    }
    // The plan's look at entry `i`'s file, for the journal's record of it.
    void usePlansLook(int i)
    {
        if (const auto id = looked_->lookAt(i))
            folder_.seen(oldName(i), *id);
    }

    // False when the run stopped before the entry was done.
    bool plannedEntry(int i)
    {
        const PlannedEntry& e = planFor(i);
        const Outcome seen = asSeen(i);
        usePlansLook(i);
        const auto outcome = act(i, Decision{seen, e.newName});
        if (!outcome) {
            c_.notDone = total_ - done_;
            return false;
        }
        report(*outcome, oldName(i), e.newName);
        return true;
    }

    // A hidden name of the program's own pattern, another at every call.
    // Not the scratch files' pattern: those of a killed run are removed,
    // and this one holds a file of the user's.
    static std::string temporaryName()
    {
        static std::atomic<unsigned> counter{0};
        return ".tsumugi-" + std::to_string(platform::processId()) + "-" + std::to_string(++counter) + ".swap";
    }

    // A cycle: the file of `first` goes to a temporary name, each of
    // `members` then takes the name the one after it freed, and the first
    // file takes the last name freed. A cycle is done whole or not at all:
    // where a step fails, what was done of it is moved back, so that no file
    // stays under a temporary name. It is not stopped half-way either.
    void cycle(int first, const std::vector<int>& members)
    {
        std::vector<int> all{first};
        all.insert(all.end(), members.begin(), members.end());
        auto newName = [&](size_t k) -> const std::string& { return planFor(all[k]).newName; };
        // Every file of it looked at before anything moves: one that stays
        // where it is, read-only or changed since the folder was read, holds
        // the whole cycle up, the first file last as ever.
        std::vector<Outcome> seen;
        for (int e : all)
            seen.push_back(asSeen(e));
        if (std::any_of(seen.begin(), seen.end(), [](Outcome o) { return o != Outcome::moved; })) {
            for (size_t k = 1; k <= all.size(); ++k) {
                const size_t at = k % all.size();
                const Outcome o = seen[at];
                report(o == Outcome::moved || o == Outcome::oldStays ? Outcome::taken : o, oldName(all[at]),
                       newName(at));
            }
            return;
        }
        std::string temporary;
        bool parked = false;
        std::vector<size_t> moved;  // indexes into `all` of the members moved
        Outcome failure = Outcome::moved;
        size_t failedAt = 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            temporary = temporaryName();
            if (rq_.journal)
                rq_.journal->temporary(first, temporary);
            usePlansLook(first);
            const Outcome m = moveWhole(first, oldName(first), temporary);
            if (m == Outcome::taken)
                continue;
            parked = m == Outcome::moved;
            if (!parked)
                failure = m;
            break;
        }
        if (!parked && failure == Outcome::moved)
            failure = Outcome::notMade;  // every temporary name taken
        for (size_t k = 1; parked && failure == Outcome::moved && k < all.size(); ++k) {
            usePlansLook(all[k]);
            const Outcome m = moveWhole(all[k], oldName(all[k]), newName(k));
            if (m != Outcome::moved) {
                failure = m;
                failedAt = k;
                break;
            }
            moved.push_back(k);
        }
        if (parked && failure == Outcome::moved) {
            const Outcome m = moveWhole(first, temporary, newName(0));
            if (m == Outcome::moved) {
                for (size_t k = 1; k < all.size(); ++k)
                    report(Outcome::moved, oldName(all[k]), newName(k));
                report(Outcome::moved, oldName(first), newName(0));
                return;
            }
            failure = m;
            failedAt = 0;
        }
        // Back as it was: the members moved, in the reverse order, then the
        // first file from its temporary name. A member that cannot go back
        // keeps its new name, and is reported so.
        std::vector<char> stayedMoved(all.size(), 0);
        for (auto k = moved.rbegin(); k != moved.rend(); ++k)
            if (moveWhole(all[*k], newName(*k), oldName(all[*k])) != Outcome::moved)
                stayedMoved[*k] = 1;
        if (parked)
            moveWhole(first, temporary, oldName(first));
        // The one that failed says why; each other one's new name is held
        // by the file of the next, back where it was.
        for (size_t k = 0; k < all.size(); ++k) {
            if (stayedMoved[k])
                report(Outcome::moved, oldName(all[k]), newName(k));
            else
                report(k == failedAt ? failure : Outcome::taken, oldName(all[k]), newName(k));
        }
    }

    const RunRequest& rq_;
    const int dir_;
    const int total_;
    const PlanRules rules_;
    RunFolder folder_;
    Record record_;
    bool clonesRefused_ = false;
    const platform::CopyOptions copy_;
    RunCounts c_;
    int done_ = 0;  // entries reported
    // While the steps of a plan are run: the plan, and its looks.
    const Plan* planned_ = nullptr;
    PlannedFolder* looked_ = nullptr;
    // While a run goes in list order: the looks taken ahead of it.
    LookAhead* ahead_ = nullptr;
    bool movesSeen_ = false;     // a move was made
    bool movesRefused_ = false;  // a move was refused, and a copy tried instead
    // Entries decided ahead of their turn, from decidedFrom_ on, with what
    // their decision saw of their file.
    struct DecidedAhead {
        Decision d;
        std::optional<platform::FileId> id;
    };
    std::vector<DecidedAhead> decided_;
    int decidedFrom_ = 0;
};

}  // namespace

RunCounts runRename(const RunRequest& rq) { return Runner(rq).run(); }

const char* stepEnding(RunStep step)
{
    switch (step) {
    case RunStep::created:
        return msg::kCreated;
    case RunStep::createFailed:
        return msg::kCreateFailed;
    case RunStep::deleted:
        return msg::kDeleted;
    case RunStep::deleteFailed:
        return msg::kDeleteFailed;
    }
    return "";
}

std::string stepText(RunStep step, const std::string& name)
{
    return std::string(msg::kFileOpen) + name + stepEnding(step);
}

std::string summaryText(const RunCounts& c, bool deleteOld)
{
    std::string s = std::string(msg::kSuccess) + std::to_string(c.success) + msg::kItemsSep +
                    msg::kFailed + std::to_string(c.failed) + msg::kItemsSep + msg::kIgnored +
                    std::to_string(c.ignored) + msg::kItemsSep;
    if (deleteOld)
        s += std::string(msg::kDeleteFailedCount) + std::to_string(c.deleteFailed) + msg::kItems;
    if (c.notDone > 0)
        s += "\n" + stoppedText(c.notDone);
    return s;
}

std::string stoppedText(int notDone)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, msg::kStoppedFormat, notDone);
    return buf;
}

}  // namespace renaming
