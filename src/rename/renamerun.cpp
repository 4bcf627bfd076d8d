#include "rename/renamerun.h"

#include "platform/fileops.h"
#include "rename/folderondisk.h"
#include "rename/messages.h"
#include "rename/plan.h"

#include <cerrno>
#include <ctime>

namespace renaming {

namespace {

// The journal's view of the run: what each operation is about to do and
// what came of it, with the identity of the files it touched.
class Record {
public:
    Record(JournalWriter* j, int dir) : j_(j), dir_(dir) {}
    void intent(int entry, JournalOp op, const std::string& from, const std::string& to)
    {
        if (j_)
            j_->intent(entry, op, from, to, stampOf(dir_, from).value_or(FileStamp{}));
    }
    void done(int entry, JournalOp op, const std::string& made)
    {
        if (j_)
            j_->done(entry, op, made.empty() ? FileStamp{} : stampOf(dir_, made).value_or(FileStamp{}));
    }
    void failed(int entry, JournalOp op, int err)
    {
        if (j_)
            j_->failed(entry, op, err ? err : EIO);
    }

private:
    JournalWriter* j_;
    int dir_;
};

}  // namespace

uint64_t bytesToCopy(const RunRequest& rq)
{
    const FolderOnDisk folder(rq.folder.fd());
    const Plan plan = makePlan(rq.entries, rq.lines, static_cast<int>(rq.lines.size()),
                               {rq.rule, rq.cp, rq.deleteOld}, folder);
    uint64_t bytes = 0;
    for (const PlannedEntry& e : plan.entries) {
        if (e.outcome == Outcome::copied || e.outcome == Outcome::oldStays) {
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
    const platform::CopyOptions copy{rq.deleteOld, rq.copyTick.tick ? &rq.copyTick : nullptr};
    const PlanRules rules{rq.rule, rq.cp, rq.deleteOld};
    // Each entry is decided as its plan decides it, against the folder as it
    // is at that moment; only what the file operations then answer can
    // differ from the plan.
    const FolderOnDisk folder(dir);
    if (rq.journal) {
        const auto& id = rq.folder.id();
        rq.journal->begin({rq.folder.path(), id.dev, id.ino}, static_cast<int64_t>(std::time(nullptr)),
                          total, rq.deleteOld);
    }
    Record record(rq.journal, dir);
    auto step = [&](RunStep s, const std::string& name) {
        if (rq.onStep)
            rq.onStep(s, name);
    };
    const std::string noLine;
    for (int i = 0; i < total; ++i) {
        const size_t at = static_cast<size_t>(i);
        const std::string& oldName = rq.entries[at];
        const Decision d = decide(oldName, at < rq.lines.size() ? rq.lines[at] : noLine, rules, folder);
        const std::string& newName = d.newName;
        auto copyThenDelete = [&] {
            record.intent(i, JournalOp::copy, oldName, newName);
            if (rq.onCopy) {
                const auto st = stampOf(dir, oldName);
                rq.onCopy(st ? st->size : 0);
            }
            int err = 0;
            if (!platform::copyFileNoReplace(dir, oldName, dir, newName, &err, copy)) {
                record.failed(i, JournalOp::copy, err);
                step(RunStep::createFailed, newName);
                ++c.failed;
                return;
            }
            record.done(i, JournalOp::copy, newName);
            step(RunStep::created, newName);
            if (!rq.deleteOld) {
                ++c.success;
                return;
            }
            record.intent(i, JournalOp::remove, oldName, {});
            if (platform::deleteFile(dir, oldName, &err)) {
                record.done(i, JournalOp::remove, {});
                step(RunStep::deleted, oldName);
                ++c.success;
            } else {
                record.failed(i, JournalOp::remove, err);
                step(RunStep::deleteFailed, oldName);
                ++c.deleteFailed;
            }
        };
        switch (d.outcome) {
        case Outcome::badLine:
            ++c.failed;
            break;
        case Outcome::noName:
            ++c.ignored;
            break;
        case Outcome::hiddenName:
        case Outcome::unacceptable:
        case Outcome::oldGone:
        case Outcome::oldNotFile:
        case Outcome::taken:
        case Outcome::takenByRun:
            step(RunStep::createFailed, newName);
            ++c.failed;
            break;
        case Outcome::moved: {
            // Moving a file to a new name inside its folder is the copy and
            // the delete in one step that cannot be interrupted half-way:
            // nothing can be lost to a power cut, no space is needed and no
            // time is spent copying. Where the file system cannot move
            // without replacing, the copy and the delete do it.
            record.intent(i, JournalOp::move, oldName, newName);
            const auto result = platform::renameNoReplace(dir, oldName, dir, newName);
            const auto moved = result.status;
            if (moved == platform::RenameStatus::done)
                record.done(i, JournalOp::move, newName);
            else
                record.failed(i, JournalOp::move, moved == platform::RenameStatus::targetExists ? EEXIST : result.error);
            if (moved == platform::RenameStatus::done) {
                step(RunStep::created, newName);
                step(RunStep::deleted, oldName);
                ++c.success;
            } else if (moved == platform::RenameStatus::targetExists) {
                step(RunStep::createFailed, newName);
                ++c.failed;
            } else {
                copyThenDelete();
            }
            break;
        }
        case Outcome::copied:
        case Outcome::oldStays:
            // A read-only file is never moved, since it is never deleted.
            copyThenDelete();
            break;
        }
        if (rq.onProgress)
            rq.onProgress(i + 1, total);
    }
    if (rq.journal)
        rq.journal->end();
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
    return s;
}

}  // namespace renaming
