#include "rename/renamerun.h"

#include "platform/fileops.h"
#include "platform/nameinfo.h"
#include "rename/folderondisk.h"
#include "rename/messages.h"
#include "rename/plan.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

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
        platform::FileIdentity id;
        switch (platform::nameKind(dir_, name, &id)) {
        case platform::NameKind::missing:
            return NameState::missing;
        case platform::NameKind::other:
            return NameState::other;
        case platform::NameKind::regular:
            break;
        }
        seenName_ = name;
        seen_ = FileStamp{id.size, id.mtimeNs, id.inode};
        seenMode_ = id.mode;
        return NameState::regular;
    }
    // Taken or not, the no-replace operation finds out itself, and refuses
    // a taken name with the same words and count as a decision that saw it
    // taken; a look first would cost every entry a call.
    NameState newNameState(const std::string&) const override { return NameState::missing; }
    // From the decision's look at the old file, when that was the last.
    bool readOnly(const std::string& name) const override
    {
        if (seen_ && seenName_ == name)
            return platform::isReadOnlyMode(seenMode_);
        return FolderOnDisk::readOnly(name);
    }
    // The identity of `name` from the last look, when that look was at
    // `name`; asked once, so that a later operation on the file looks again.
    std::optional<FileStamp> take(const std::string& name)
    {
        std::optional<FileStamp> s;
        if (seen_ && seenName_ == name)
            s = seen_;
        seen_.reset();
        return s;
    }

private:
    int dir_;
    mutable std::string seenName_;
    mutable std::optional<FileStamp> seen_;
    mutable unsigned seenMode_ = 0;
};

// The journal's view of the run: what each operation is about to do and
// what came of it, with the identity of the files it touched.
class Record {
public:
    Record(JournalWriter* j, int dir, RunFolder& folder) : j_(j), dir_(dir), folder_(folder) {}
    // Returns the stamp it recorded, so that the operation's other uses of
    // the old file's identity need no look of their own.
    std::optional<FileStamp> intent(int entry, JournalOp op, const std::string& from, const std::string& to)
    {
        if (!j_)
            return std::nullopt;
        auto before = folder_.take(from);
        if (!before)
            before = stampOf(dir_, from);
        j_->intent(entry, op, from, to, before.value_or(FileStamp{}));
        return before;
    }
    void done(int entry, JournalOp op, const std::string& made)
    {
        if (j_)
            j_->done(entry, op, made.empty() ? FileStamp{} : stampOf(dir_, made).value_or(FileStamp{}));
    }
    // A copy, as the copy saw the file it published (`madeOut()`).
    void copied(int entry)
    {
        if (j_)
            j_->done(entry, JournalOp::copy, FileStamp{made_.size, made_.mtimeNs, made_.inode});
    }
    // Where the copy is to say what it made: only for the journal.
    platform::FileIdentity* madeOut() { return j_ ? &made_ : nullptr; }
    // A rename keeps the file's inode, size and time: the file under its new
    // name is the one the intent recorded, and is not looked at again.
    void moved(int entry, const std::optional<FileStamp>& before, const std::string& made)
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
    platform::FileIdentity made_;
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

RunCounts runRename(const RunRequest& rq)
{
    platform::removeStaleScratchFiles(rq.folder.fd());  // what killed runs left there
    RunCounts c;
    const int dir = rq.folder.fd();
    const int total = static_cast<int>(rq.entries.size());
    bool clonesRefused = false;
    const platform::CopyOptions copy{rq.deleteOld, rq.copyTick.tick ? &rq.copyTick : nullptr, nullptr,
                                     &clonesRefused, rq.stop};
    auto stopAsked = [&] { return rq.stop && rq.stop->load(); };
    const PlanRules rules{rq.rule, rq.cp, rq.deleteOld};
    // Each entry is decided as its plan decides it, against the folder as it
    // is at that moment; only what the file operations then answer can
    // differ from the plan.
    RunFolder folder(dir);
    if (rq.journal) {
        const auto& id = rq.folder.id();
        const Clock& clock = rq.clock ? *rq.clock : systemClock();
        rq.journal->begin({rq.folder.path(), id.dev, id.ino}, clock.wallSeconds(), total, rq.deleteOld);
    }
    Record record(rq.journal, dir, folder);
    // What came of an entry, as its outcome means it: the reports, in
    // order, and the count.
    auto report = [&](Outcome o, const std::string& oldName, const std::string& newName) {
        if (rq.onStep)
            for (RunStep s : stepsOf(o))
                rq.onStep(s, aboutNewName(s) ? newName : oldName);
        countInto(c, o);
    };
    const std::string noLine;
    for (int i = 0; i < total; ++i) {
        if (stopAsked()) {
            c.notDone = total - i;
            break;
        }
        const size_t at = static_cast<size_t>(i);
        const std::string& oldName = rq.entries[at];
        const Decision d = decide(oldName, at < rq.lines.size() ? rq.lines[at] : noLine, rules, folder);
        const std::string& newName = d.newName;
        // Nothing when the copy was abandoned on request.
        auto copyThenDelete = [&](bool forMove, Outcome planned) -> std::optional<Outcome> {
            const auto before = record.intent(i, JournalOp::copy, oldName, newName);
            if (rq.onCopy) {
                const auto st = before ? before : stampOf(dir, oldName);
                rq.onCopy(st ? st->size : 0, forMove);
            }
            int err = 0;
            platform::CopyOptions options = copy;
            options.made = record.madeOut();
            if (!platform::copyFileNoReplace(dir, oldName, dir, newName, &err, options)) {
                record.failed(i, JournalOp::copy, err);
                if (err == platform::kCopyStopped && stopAsked())
                    return std::nullopt;
                return err == EEXIST ? Outcome::taken : Outcome::notMade;
            }
            record.copied(i);
            if (!rq.deleteOld)
                return Outcome::copied;
            record.intent(i, JournalOp::remove, oldName, {});
            if (platform::deleteFile(dir, oldName, &err)) {
                record.done(i, JournalOp::remove, {});
                return Outcome::moved;
            }
            record.failed(i, JournalOp::remove, err);
            return planned == Outcome::oldStays ? Outcome::oldStays : Outcome::notRemoved;
        };
        auto act = [&]() -> std::optional<Outcome> {
            switch (d.outcome) {
            case Outcome::moved: {
                // Moving a file to a new name inside its folder is the copy
                // and the delete in one step that cannot be interrupted
                // half-way: nothing can be lost to a power cut, no space is
                // needed and no time is spent copying. Where the file
                // system cannot move without replacing, the copy and the
                // delete do it.
                const auto before = record.intent(i, JournalOp::move, oldName, newName);
                const auto result = platform::renameNoReplace(dir, oldName, dir, newName);
                switch (result.status) {
                case platform::RenameStatus::done:
                    record.moved(i, before, newName);
                    return Outcome::moved;
                case platform::RenameStatus::targetExists:
                    record.failed(i, JournalOp::move, EEXIST);
                    return Outcome::taken;
                case platform::RenameStatus::notPossible:
                case platform::RenameStatus::failed:
                    break;
                }
                record.failed(i, JournalOp::move, result.error);
                return copyThenDelete(true, Outcome::moved);
            }
            case Outcome::copied:
            case Outcome::oldStays:
                // A read-only file is never moved, since it is never deleted.
                return copyThenDelete(false, d.outcome);
            default:
                // Decided without a file operation.
                return d.outcome;
            }
        };
        const auto outcome = act();
        if (!outcome) {
            c.notDone = total - i;
            break;
        }
        report(*outcome, oldName, newName);
        if (rq.onProgress)
            rq.onProgress(i + 1, total);
    }
    if (rq.journal) {
        if (c.notDone)
            rq.journal->stopped(c.notDone);
        rq.journal->end();
    }
    return c;
}

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
